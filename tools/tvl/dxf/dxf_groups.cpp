#include "dxf/dxf_groups.h"

#include <cerrno>
#include <cstdlib>

#include "writer/value_forms.h"

namespace dxf {

std::string dropped::summary() const
{
    std::string s;
    auto add = [&](const std::string &part) { s += (s.empty() ? "" : ", ") + part; };
    for (const auto &[code, n] : groups)
        add(std::to_string(n) + " group" + (n == 1 ? "" : "s") + " " + std::to_string(code));
    for (const auto &[type, n] : types)
        add(std::to_string(n) + " " + type);
    if (sequence_ends_added)
        add(std::to_string(sequence_ends_added) + " SEQEND added");
    return s;
}

namespace {

bool is_reference(int code)
{
    return code == 5 || code == 105 || (code >= 320 && code <= 369) || (code >= 390 && code <= 399);
}

// Whether a point-form code starts a point whose y and z follow as code + 10, + 20.
bool starts_point(int code)
{
    const int c = code >= 1000 ? code % 1000 : code;
    return (c >= 10 && c <= 19) || (code >= 210 && code <= 219);
}

[[noreturn]] void bad_value(const std::string &file, const pair &p, const char *what)
{
    throw dxf_error(file, p.line, "group " + std::to_string(p.code) + ": " + what + " expected, found \"" +
                                      p.value.substr(0, 40) + "\"");
}

long long parse_integer(const std::string &file, const pair &p, long long low, long long high)
{
    const char *s = p.value.c_str();
    while (*s == ' ' || *s == '\t')
        ++s;
    char *end = nullptr;
    errno = 0;
    long long v = std::strtoll(s, &end, 10);
    if (end != s && (*end == '.' || *end == 'e' || *end == 'E')) { // an integer written as a real
        const double d = std::strtod(s, &end);
        if (d != static_cast<double>(static_cast<long long>(d)))
            bad_value(file, p, "an integer");
        v = static_cast<long long>(d);
    }
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == s || *end != '\0' || errno != 0)
        bad_value(file, p, "an integer");
    if (v < low || v > high)
        throw dxf_error(file, p.line, "group " + std::to_string(p.code) + ": " + std::to_string(v) +
                                          " is out of range");
    return v;
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

tvlw::Entity convert_record(const std::string &file, const record &r, dropped &d, const name_map &blocks)
{
    tvlw::Entity e;
    e.type = r.type;
    const bool names_block = r.type == "INSERT" || r.type == "DIMENSION";
    const std::vector<pair> &g = r.groups;
    int bracket_depth = 0;
    for (std::size_t i = 0; i < g.size(); ++i) {
        const pair &p = g[i];
        if (p.code == 102) {
            if (!p.value.empty() && p.value[0] == '{')
                ++bracket_depth;
            else if (p.value == "}" && bracket_depth > 0)
                --bracket_depth;
            continue;
        }
        if (bracket_depth > 0 || is_reference(p.code))
            continue;
        switch (tvlw::value_form(p.code)) {
        case tvlw::ValueForm::real:
            e.groups.emplace_back(p.code, parse_real(file, p));
            break;
        case tvlw::ValueForm::point2:
        case tvlw::ValueForm::point3: {
            if (!starts_point(p.code)) {
                ++d.groups[p.code];
                break;
            }
            tvlw::Point pt;
            pt.x = parse_real(file, p);
            if (i + 1 < g.size() && g[i + 1].code == p.code + 10) {
                pt.y = parse_real(file, g[++i]);
                if (i + 1 < g.size() && g[i + 1].code == p.code + 20)
                    pt.z = parse_real(file, g[++i]);
            }
            e.groups.emplace_back(p.code, pt);
            break;
        }
        case tvlw::ValueForm::short_int:
            e.groups.emplace_back(p.code, parse_integer(file, p, -32768, 32767));
            break;
        case tvlw::ValueForm::long_int:
            // 32-bit values written unsigned keep their bits.
            e.groups.emplace_back(p.code, static_cast<long long>(static_cast<std::int32_t>(
                                              static_cast<std::uint32_t>(parse_integer(file, p, INT32_MIN, UINT32_MAX)))));
            break;
        case tvlw::ValueForm::string:
            if (p.value.size() > 32767) {
                ++d.groups[p.code];
                break;
            }
            e.groups.emplace_back(p.code, names_block && p.code == 2 ? blocks(p.value) : p.value);
            break;
        case tvlw::ValueForm::binary: {
            const std::string &h = p.value;
            if (h.size() % 2 != 0)
                bad_value(file, p, "hexadecimal bytes");
            tvlw::Binary b;
            for (std::size_t k = 0; k < h.size(); k += 2) {
                const int hi = hex_digit(h[k]), lo = hex_digit(h[k + 1]);
                if (hi < 0 || lo < 0)
                    bad_value(file, p, "hexadecimal bytes");
                b.bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
            }
            if (b.bytes.empty() || b.bytes.size() > 128)
                ++d.groups[p.code];
            else
                e.groups.emplace_back(p.code, std::move(b));
            break;
        }
        case tvlw::ValueForm::ename:
            break; // references, left out above
        case tvlw::ValueForm::none:
            ++d.groups[p.code];
            break;
        }
    }
    return e;
}

std::vector<tvlw::Entity> convert_entities(const std::string &file, const std::vector<record> &records,
                                           dropped &d, const name_map &blocks)
{
    std::vector<tvlw::Entity> out;
    bool follows = false; // after an INSERT or POLYLINE: its attributes or vertices may come
    bool open = false;    // ... and its group 66 says they do, so a SEQEND must end them
    for (const record &r : records) {
        const bool follower = r.type == "ATTRIB" || r.type == "VERTEX" || r.type == "SEQEND";
        if (follower) {
            if (!follows) {
                ++d.types[r.type];
                continue;
            }
            out.push_back(convert_record(file, r, d, blocks));
            if (r.type == "SEQEND")
                follows = open = false;
            continue;
        }
        if (open) {
            out.push_back(tvlw::Entity{"SEQEND", {}});
            ++d.sequence_ends_added;
        }
        follows = open = false;
        if (r.type.empty() || r.type == "BLOCK" || r.type == "ENDBLK") {
            ++d.types[r.type.empty() ? "(unnamed)" : r.type];
            continue;
        }
        out.push_back(convert_record(file, r, d, blocks));
        if (r.type == "INSERT" || r.type == "POLYLINE") {
            follows = true;
            for (const tvlw::Group &gr : out.back().groups)
                if (gr.code == 66) {
                    open = std::get<std::int64_t>(gr.value) != 0;
                    break;
                }
        }
    }
    if (open) {
        out.push_back(tvlw::Entity{"SEQEND", {}});
        ++d.sequence_ends_added;
    }
    return out;
}

} // namespace dxf
