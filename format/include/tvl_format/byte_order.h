// Multi-byte values of the file: little-endian integers and reals.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tvl_format {

// The n-byte (0 to 4) little-endian unsigned value at b.
inline std::uint32_t le_uint(const unsigned char *b, int n)
{
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | b[i];
    return v;
}

inline std::uint16_t le_u16(const unsigned char *b)
{
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

inline std::int16_t le_i16(const unsigned char *b)
{
    return static_cast<std::int16_t>(le_u16(b));
}

// A 24-bit two's complement value.
inline std::int32_t le_i24(const unsigned char *b)
{
    const auto v = static_cast<std::int32_t>(le_uint(b, 3));
    return (v & 0x800000) ? v - 0x1000000 : v;
}

inline std::int32_t le_i32(const unsigned char *b)
{
    return static_cast<std::int32_t>(le_uint(b, 4));
}

// An IEEE double stored least significant byte first.
inline double le_f64(const unsigned char *b)
{
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | b[i];
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// The same values written: n bytes of v, least significant first.
inline void le_put(unsigned char *out, std::uint64_t v, int n)
{
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<unsigned char>(v >> (8 * i));
}

inline void le_put_f64(unsigned char *out, double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    le_put(out, bits, 8);
}

// Reads values from a buffer of known length; a read past its end answers
// false and takes nothing.
class le_reader {
public:
    le_reader(const unsigned char *data, std::size_t length) : p_(data), end_(data + length) {}

    std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }

    bool bytes(void *out, std::size_t n)
    {
        if (n > left())
            return false;
        if (n > 0)
            std::memcpy(out, p_, n);
        p_ += n;
        return true;
    }
    bool u8(unsigned char &v) { return take(1) && (v = p_[-1], true); }
    bool u16(std::uint16_t &v) { return take(2) && (v = le_u16(p_ - 2), true); }
    bool i16(std::int16_t &v) { return take(2) && (v = le_i16(p_ - 2), true); }
    bool i32(std::int32_t &v) { return take(4) && (v = le_i32(p_ - 4), true); }
    bool f64(double &v) { return take(8) && (v = le_f64(p_ - 8), true); }

private:
    bool take(std::size_t n)
    {
        if (n > left())
            return false;
        p_ += n;
        return true;
    }

    const unsigned char *p_;
    const unsigned char *end_;
};

} // namespace tvl_format
