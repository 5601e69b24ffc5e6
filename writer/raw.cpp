// Byte-level emitters of the entity coding.
#include "raw.h"

#include <cmath>
#include <stdexcept>

#include "tvl_format/byte_order.h"
#include "tvl_format/value_coding.h"

namespace fmt = tvl_format;

namespace tvlw::raw {

namespace {

// The n low bytes of v, least significant first.
void little_endian(std::vector<std::uint8_t> &out, std::uint64_t v, int n)
{
    unsigned char b[8];
    fmt::le_put(b, v, n);
    out.insert(out.end(), b, b + n);
}

} // namespace

void byte(std::vector<std::uint8_t> &out, int b)
{
    out.push_back(static_cast<std::uint8_t>(b & 0xFF));
}

void i16(std::vector<std::uint8_t> &out, int v)
{
    little_endian(out, static_cast<std::uint64_t>(v), 2);
}

void i32(std::vector<std::uint8_t> &out, std::int32_t v)
{
    little_endian(out, static_cast<std::uint32_t>(v), 4);
}

void f64(std::vector<std::uint8_t> &out, double v)
{
    unsigned char b[8];
    fmt::le_put_f64(b, v);
    out.insert(out.end(), b, b + 8);
}

void group_code(std::vector<std::uint8_t> &out, int code, bool wide)
{
    if (!wide && code >= 1 && code < fmt::wide_code_escape) {
        byte(out, code);
        return;
    }
    byte(out, fmt::wide_code_escape);
    i16(out, code);
}

void real(std::vector<std::uint8_t> &out, int type, double v, int fraction_bits, bool with_type)
{
    if (with_type)
        byte(out, type);
    switch (type) {
    case fmt::real_double:
        f64(out, v);
        return;
    case fmt::real_zero:
        return;
    case fmt::real_int8:
        byte(out, static_cast<int>(v));
        return;
    case fmt::real_int16:
        i16(out, static_cast<int>(v));
        return;
    case fmt::real_fixed16:
        i16(out, static_cast<int>(std::lround(v * 256)));
        return;
    case fmt::real_fixed24:
        little_endian(out, static_cast<std::uint64_t>(std::lround(v * 256)), 3);
        return;
    case fmt::real_int32:
        i32(out, static_cast<std::int32_t>(v));
        return;
    default:
        break;
    }
    if (type >= fmt::first_fixed_type && type <= fmt::last_fixed_type) {
        const int n = type - fmt::first_fixed_type + fraction_bits;
        little_endian(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(v)), (n + 7) / 8);
    }
    // Ring references have no bytes of their own.
}

void string(std::vector<std::uint8_t> &out, const std::string &s)
{
    if (s.size() > static_cast<std::size_t>(fmt::max_string_length))
        throw std::invalid_argument("string longer than 32767 bytes");
    if (s.size() < static_cast<std::size_t>(fmt::short_string_limit)) {
        byte(out, static_cast<int>(s.size()));
    } else {
        byte(out, fmt::string_escape);
        i16(out, static_cast<int>(s.size()));
    }
    out.insert(out.end(), s.begin(), s.end());
}

void string_ref(std::vector<std::uint8_t> &out, int s)
{
    if (s > -fmt::short_string_limit) {
        byte(out, s);
    } else {
        byte(out, fmt::string_escape);
        i16(out, s);
    }
}

} // namespace tvlw::raw
