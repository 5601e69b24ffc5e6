#include "sat_text.h"

#include <cctype>
#include <cstdlib>

namespace {

bool is_integer(const std::string &t)
{
    if (t.empty())
        return false;
    std::size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size())
        return false;
    for (; i < t.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(t[i])))
            return false;
    return true;
}

std::vector<std::string> words(const std::string &line)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        std::size_t s = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i > s)
            out.push_back(line.substr(s, i - s));
    }
    return out;
}

// Whether a line opens a record: a type name (after an optional "-n" index)
// followed by the attribute pointer.
bool opens_record(const std::vector<std::string> &w)
{
    std::size_t k = (w.size() > 1 && w[0].size() > 1 && w[0][0] == '-' && is_integer(w[0])) ? 1 : 0;
    return w.size() > k + 1 && std::isalpha(static_cast<unsigned char>(w[k][0])) && w[k + 1][0] == '$';
}

// Offset of the first record.  The header is a version line, then, depending
// on the version, none to three lines more (product, units, an id line); they
// end where the first line that opens a record begins.
std::size_t skip_header(const std::string &text, int &version)
{
    version = 0;
    std::size_t pos = 0;
    auto next_line = [&](std::string &line) {
        if (pos >= text.size())
            return false;
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        line = text.substr(pos, end - pos);
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        pos = std::min(end + 1, text.size());
        return true;
    };
    std::string line;
    std::size_t first = 0;
    // Blank lines before the header are tolerated.
    while (true) {
        first = pos;
        if (!next_line(line))
            return 0;
        if (!words(line).empty())
            break;
    }
    std::vector<std::string> w = words(line);
    bool header = w[0][0] != '-';
    for (const auto &t : w)
        header = header && is_integer(t);
    if (!header)
        return first; // no header: records start at once (perhaps with "-n" prefixes)
    long v = std::strtol(w[0].c_str(), nullptr, 10);
    version = (v > 0 && v < 1000000) ? static_cast<int>(v) : 0;
    std::size_t after_version = pos;
    constexpr int max_header_lines = 4;
    for (int k = 0; k < max_header_lines; ++k) {
        std::size_t start = pos;
        if (!next_line(line))
            return after_version;
        if (opens_record(words(line)))
            return start;
    }
    // No record in sight: take what follows the version line as records.
    return after_version;
}

} // namespace

bool sat_split(const std::string &text, sat_text &out, std::string &error)
{
    out = sat_text{};
    std::size_t i = skip_header(text, out.version);
    sat_record current;
    std::vector<std::string> fields;
    auto finish_record = [&]() {
        if (fields.empty())
            return;
        std::size_t k = 0;
        // Record index prefix written by some savers: "-12 face ...".
        if (fields.size() > 1 && fields[0].size() > 1 && fields[0][0] == '-' && is_integer(fields[0]))
            k = 1;
        current.name = fields[k];
        current.tokens.assign(fields.begin() + static_cast<long>(k) + 1, fields.end());
        out.records.push_back(std::move(current));
        current = sat_record{};
        fields.clear();
    };
    const std::size_t n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            ++i;
            continue;
        }
        if (c == '#') {
            finish_record();
            ++i;
            continue;
        }
        if (c == '@' && i + 1 < n && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            // Counted string: "@len text".
            std::size_t j = i + 1;
            unsigned long len = 0;
            while (j < n && std::isdigit(static_cast<unsigned char>(text[j])) && len < 100000000UL)
                len = len * 10 + static_cast<unsigned long>(text[j++] - '0');
            if (j < n && text[j] == ' ')
                ++j;
            std::size_t take = std::min<std::size_t>(len, n - j);
            fields.push_back(text.substr(j, take));
            i = j + take;
            continue;
        }
        std::size_t s = i;
        while (i < n && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '#')
            ++i;
        std::string tok = text.substr(s, i - s);
        if (fields.empty() && (tok == "End-of-ACIS-data" || tok == "Begin-of-ACIS-History-Data" ||
                               tok == "End-of-ASM-data"))
            break;
        fields.push_back(std::move(tok));
    }
    // An unterminated last record is dropped: its fields are incomplete.
    if (out.records.empty()) {
        error = "no SAT records found";
        return false;
    }
    return true;
}
