#include "facts_file.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "atomic_file.h"
#include "hash.h"

namespace {

const char *const header = "skelvane gallery facts 1";

// Names may hold any byte but the line structure's own.
std::string escaped(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            static const char digits[] = "0123456789ABCDEF";
            out += '%';
            out += digits[(static_cast<unsigned char>(c) >> 4) & 15];
            out += digits[static_cast<unsigned char>(c) & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool unescaped(const std::string &text, std::string &out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const std::string hex = text.substr(i + 1, 2);
        if (hex.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            return false;
        out += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16));
        i += 2;
    }
    return true;
}

std::vector<std::string> fields_of(const std::string &line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

bool number(const std::string &text, long long &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return *end == '\0';
}

bool real(const std::string &text, double &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0';
}

std::string real_text(double v)
{
    std::ostringstream s;
    s.precision(17);
    s << v;
    return s.str();
}

std::string stamp_text(const facts_stamp &stamp)
{
    return std::string(header) + "\nlibrary\t" + escaped(stamp.library) + "\nsize\t" +
           std::to_string(stamp.size) + "\nmodified\t" + std::to_string(stamp.modified) +
           "\nsettings\t" + escaped(stamp.settings) + "\n";
}

// One record line of a symbol; false when it does not fit its keyword.
bool parse_line(const std::vector<std::string> &f, symbol_facts &s)
{
    long long n = 0;
    const std::string &key = f[0];
    if (key == "delivered" && f.size() == 2 && number(f[1], n)) {
        s.delivered = n != 0;
    } else if (key == "loaded" && f.size() == 2 && number(f[1], n)) {
        s.loaded = n != 0;
    } else if (key == "definition" && f.size() == 2 && f[1].size() == 16) {
        s.definition = std::strtoull(f[1].c_str(), nullptr, 16);
    } else if (key == "view" && f.size() == 2) {
        s.view = f[1];
    } else if (key == "layer" && f.size() == 3 && number(f[2], n)) {
        layer_fact layer;
        if (!unescaped(f[1], layer.name))
            return false;
        layer.colour = static_cast<int>(n);
        s.layers.push_back(layer);
    } else if (key == "count" && f.size() == 3 && number(f[2], n)) {
        std::string kind;
        if (!unescaped(f[1], kind))
            return false;
        s.counts.emplace_back(kind, static_cast<long>(n));
    } else if (key == "nested" && f.size() == 3 && number(f[2], n)) {
        nested_block block;
        if (!unescaped(f[1], block.name))
            return false;
        block.entities = static_cast<long>(n);
        s.nested.push_back(block);
    } else if (key == "extent" && f.size() == 7) {
        for (int i = 0; i < 3; ++i)
            if (!real(f[1 + i], s.low[i]) || !real(f[4 + i], s.high[i]))
                return false;
        s.has_extent = true;
    } else {
        return false;
    }
    return true;
}

} // namespace

bool stamp_library(const std::string &library, const std::string &settings, facts_stamp &stamp)
{
    struct stat st{};
    if (stat(library.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    std::error_code error;
    const auto absolute = std::filesystem::absolute(library, error);
    stamp.library = error ? library : absolute.lexically_normal().string();
    stamp.size = static_cast<unsigned long long>(st.st_size);
    stamp.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    stamp.settings = settings;
    return true;
}

std::string facts_text(const symbol_facts &s)
{
    std::string text = "symbol\t" + escaped(s.name) + "\n";
    text += "delivered\t" + std::to_string(s.delivered ? 1 : 0) + "\n";
    text += "loaded\t" + std::to_string(s.loaded ? 1 : 0) + "\n";
    text += "definition\t" + hex64(s.definition) + "\n";
    text += "view\t" + escaped(s.view) + "\n";
    for (const layer_fact &l : s.layers)
        text += "layer\t" + escaped(l.name) + "\t" + std::to_string(l.colour) + "\n";
    for (const auto &[kind, n] : s.counts)
        text += "count\t" + escaped(kind) + "\t" + std::to_string(n) + "\n";
    for (const nested_block &b : s.nested)
        text += "nested\t" + escaped(b.name) + "\t" + std::to_string(b.entities) + "\n";
    if (s.has_extent) {
        text += "extent";
        for (double v : s.low)
            text += "\t" + real_text(v);
        for (double v : s.high)
            text += "\t" + real_text(v);
        text += "\n";
    }
    return text + "end\n";
}

bool parse_facts(const std::string &text, std::vector<symbol_facts> &facts)
{
    std::istringstream in(text);
    std::string line;
    bool open = false;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = fields_of(line);
        if (!open) {
            if (f.size() != 2 || f[0] != "symbol")
                return false;
            facts.emplace_back();
            if (!unescaped(f[1], facts.back().name))
                return false;
            open = true;
        } else if (f.size() == 1 && f[0] == "end") {
            open = false;
        } else if (!parse_line(f, facts.back())) {
            return false;
        }
    }
    return !open;
}

bool save_facts(const std::string &path, const facts_stamp &stamp, const std::vector<symbol_facts> &facts)
{
    std::string text = stamp_text(stamp);
    for (const symbol_facts &s : facts)
        text += facts_text(s);
    return write_file_atomically(path, text);
}

bool load_facts(const std::string &path, const facts_stamp &stamp, std::vector<symbol_facts> &facts)
{
    facts.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::stringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    const std::string expected = stamp_text(stamp);
    if (text.compare(0, expected.size(), expected) != 0)
        return false;
    if (!parse_facts(text.substr(expected.size()), facts)) {
        facts.clear();
        return false;
    }
    return true;
}
