// Private-profile (INI) settings files, read and changed line by line so that
// everything else in the file stays as it was.
#include "skelvane/profile.h"

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "skelvane/paths.h"

namespace {

struct ini_line {
    std::string text; // without its line end
    std::string end;  // "\n", "\r\n" or "" for a last line without one
};

std::string trimmed(const std::string &s)
{
    std::size_t begin = 0, end = s.size();
    while (begin < end && (s[begin] == ' ' || s[begin] == '\t'))
        ++begin;
    while (end > begin && (s[end - 1] == ' ' || s[end - 1] == '\t'))
        --end;
    return s.substr(begin, end - begin);
}

bool read_lines(const std::string &file, std::vector<ini_line> &lines)
{
    std::FILE *in = skel_fopen(file.c_str(), "rb");
    if (!in)
        return false;
    std::string content;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        content.append(buffer, got);
    std::fclose(in);
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t nl = content.find('\n', start);
        ini_line line;
        if (nl == std::string::npos) {
            line.text = content.substr(start);
            start = content.size();
        } else {
            line.text = content.substr(start, nl - start);
            line.end = "\n";
            start = nl + 1;
        }
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.end = "\r" + line.end;
        }
        lines.push_back(line);
    }
    return true;
}

// The section name of a "[name]" line.
bool section_of(const std::string &text, std::string &name)
{
    const std::string t = trimmed(text);
    if (t.size() < 2 || t[0] != '[')
        return false;
    const std::size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = trimmed(t.substr(1, close - 1));
    return true;
}

// The key of a "key=value" line; comments and other lines have none.
bool key_of(const std::string &text, std::string &key, std::string &value)
{
    const std::string t = trimmed(text);
    if (t.empty() || t[0] == ';' || t[0] == '[')
        return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = trimmed(t.substr(0, eq));
    value = trimmed(t.substr(eq + 1));
    return true;
}

bool same(const std::string &a, const std::string &b)
{
    return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

// Index range [begin, end) of the body of the first section of that name.
bool find_section(const std::vector<ini_line> &lines, const std::string &section, std::size_t &begin, std::size_t &end)
{
    std::string name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (section_of(lines[i].text, name) && same(name, section)) {
            begin = i + 1;
            end = begin;
            while (end < lines.size() && !section_of(lines[end].text, name))
                ++end;
            return true;
        }
    }
    return false;
}

bool write_lines(const std::string &file, const std::vector<ini_line> &lines)
{
    std::string host;
    if (!skel_resolve_existing(file, host) && !skel_host_path(file, host))
        return false;
    // A new file beside the old one replaces it whole, so a failed write
    // never leaves half a settings file behind.
    // Created exclusively, so that a file or link planted under the name is
    // never written through.
    const std::string temporary = host + ".new" + std::to_string(::getpid());
    std::FILE *out = skel_fopen_host(temporary, "wbx");
    if (!out)
        return false;
    bool ok = true;
    for (const ini_line &line : lines) {
        ok = ok && std::fwrite(line.text.data(), 1, line.text.size(), out) == line.text.size();
        ok = ok && std::fwrite(line.end.data(), 1, line.end.size(), out) == line.end.size();
    }
    ok = (std::fclose(out) == 0) && ok;
    if (!ok || std::rename(temporary.c_str(), host.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

std::string GetPrivateProfileString(const std::string &section, const std::string &key,
                                    const std::string &default_value, const std::string &file)
{
    std::vector<ini_line> lines;
    std::size_t begin, end;
    if (!read_lines(file, lines) || !find_section(lines, section, begin, end))
        return default_value;
    std::string k, v;
    for (std::size_t i = begin; i < end; ++i) {
        if (key_of(lines[i].text, k, v) && same(k, key)) {
            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
                v = v.substr(1, v.size() - 2);
            return v;
        }
    }
    return default_value;
}

bool WritePrivateProfileString(const std::string &section, const std::string &key, const char *value,
                               const std::string &file)
{
    const std::string bad_characters = "\r\n";
    if (section.find_first_of(bad_characters) != std::string::npos ||
        key.find_first_of(bad_characters) != std::string::npos ||
        (value && std::string(value).find_first_of(bad_characters) != std::string::npos))
        return false; // it would become lines of its own
    std::vector<ini_line> lines;
    read_lines(file, lines);
    std::string line_end = "\n";
    for (const ini_line &line : lines)
        if (!line.end.empty()) {
            line_end = line.end;
            break;
        }
    if (!lines.empty() && lines.back().end.empty())
        lines.back().end = line_end;

    std::size_t begin, end;
    if (!find_section(lines, section, begin, end)) {
        if (!value)
            return true;
        lines.push_back({"[" + section + "]", line_end});
        lines.push_back({key + "=" + value, line_end});
        return write_lines(file, lines);
    }
    std::string k, v;
    for (std::size_t i = begin; i < end; ++i) {
        if (key_of(lines[i].text, k, v) && same(k, key)) {
            if (value)
                lines[i].text = k + "=" + value;
            else
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            return write_lines(file, lines);
        }
    }
    if (!value)
        return true;
    // After the section's last non-blank line, before any blank lines that part it from the next.
    std::size_t at = end;
    while (at > begin && trimmed(lines[at - 1].text).empty())
        --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), {key + "=" + value, line_end});
    return write_lines(file, lines);
}
