#include "dxf/dxf_pairs.h"

#include <cerrno>
#include <cstring>

namespace dxf {

namespace {

std::string located(const std::string &file, long line, const std::string &message)
{
    if (line <= 0)
        return file + ": " + message;
    return file + ": line " + std::to_string(line) + ": " + message;
}

// What the first bytes say the file is, when it is not text.
const char *binary_kind(const unsigned char *b, std::size_t n)
{
    static const char binary_dxf[] = "AutoCAD Binary DXF";
    if (n >= sizeof binary_dxf - 1 && std::memcmp(b, binary_dxf, sizeof binary_dxf - 1) == 0)
        return "a binary DXF file; save the drawing as ASCII DXF";
    if (n >= 6 && b[0] == 'A' && b[1] == 'C' && (std::memcmp(b + 2, "10", 2) == 0 || std::memcmp(b + 2, "1.", 2) == 0 ||
                                                 std::memcmp(b + 2, "2.", 2) == 0))
        return "a DWG drawing, not DXF; save it as ASCII DXF";
    for (std::size_t i = 0; i < n; ++i)
        if (b[i] == 0)
            return "a binary file, not ASCII DXF";
    return nullptr;
}

bool only_spaces(const std::string &s)
{
    for (char c : s)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

} // namespace

dxf_error::dxf_error(const std::string &file, long line, const std::string &message)
    : std::runtime_error(located(file, line, message))
{
}

pair_reader::pair_reader(const std::string &file) : file_(file)
{
    f_ = std::fopen(file.c_str(), "rb");
    if (!f_)
        throw dxf_error(file, 0, std::string("cannot open: ") + std::strerror(errno));
    unsigned char head[64];
    const std::size_t n = std::fread(head, 1, sizeof head, f_);
    if (const char *kind = binary_kind(head, n)) {
        std::fclose(f_);
        f_ = nullptr;
        throw dxf_error(file, 0, kind);
    }
    std::rewind(f_);
}

pair_reader::~pair_reader()
{
    if (f_)
        std::fclose(f_);
}

void pair_reader::fail(long line, const std::string &message) const
{
    throw dxf_error(file_, line, message);
}

bool pair_reader::read_line(std::string &out)
{
    out.clear();
    int c;
    while ((c = getc_unlocked(f_)) != EOF) {
        if (c == '\n')
            break;
        if (c == 0)
            fail(line_ + 1, "a NUL byte in a text line (not ASCII DXF)");
        if (out.size() >= max_line_length)
            fail(line_ + 1, "line longer than " + std::to_string(max_line_length) + " bytes");
        out.push_back(static_cast<char>(c));
    }
    if (c == EOF) {
        if (std::ferror(f_))
            fail(line_ + 1, std::string("read error: ") + std::strerror(errno));
        if (out.empty())
            return false;
    }
    ++line_;
    if (!out.empty() && out.back() == '\r')
        out.pop_back();
    return true;
}

bool pair_reader::next(pair &p)
{
    if (pushed_) {
        pushed_ = false;
        p = saved_;
        return true;
    }
    std::string code;
    if (!read_line(code))
        return false;
    if (only_spaces(code)) { // blank lines after the last pair end nothing
        const int c = std::getc(f_);
        if (c == EOF)
            return false;
        std::ungetc(c, f_);
    }
    p.line = line_;
    const char *s = code.c_str();
    while (*s == ' ' || *s == '\t')
        ++s;
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(s, &end, 10);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == s || *end != '\0' || errno != 0 || v < -32768 || v > 32767)
        fail(p.line, "group code expected, found \"" + code.substr(0, 40) + "\"");
    p.code = static_cast<int>(v);
    if (!read_line(p.value))
        fail(p.line, "the file ends before the value of group " + std::to_string(p.code) +
                         " (truncated drawing?)");
    return true;
}

void pair_reader::push_back(const pair &p)
{
    saved_ = p;
    pushed_ = true;
}

} // namespace dxf
