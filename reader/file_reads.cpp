#include "file_reads.h"

#include "tvl_format/byte_order.h"

namespace {

// Reads n bytes and decodes them; false on a short read.
template <class T, std::size_t n, T (*decode)(const unsigned char *)>
bool read_value(std::FILE *f, T &v)
{
    unsigned char b[n];
    if (std::fread(b, 1, n, f) != n)
        return false;
    v = decode(b);
    return true;
}

} // namespace

bool lib_read_u8(std::FILE *f, unsigned char &v)
{
    const int c = std::fgetc(f);
    if (c == EOF)
        return false;
    v = static_cast<unsigned char>(c);
    return true;
}

bool lib_read_i16(std::FILE *f, std::int16_t &v)
{
    return read_value<std::int16_t, 2, tvl_format::le_i16>(f, v);
}

bool lib_read_i32(std::FILE *f, std::int32_t &v)
{
    return read_value<std::int32_t, 4, tvl_format::le_i32>(f, v);
}

bool lib_read_f64(std::FILE *f, double &v)
{
    return read_value<double, 8, tvl_format::le_f64>(f, v);
}

bool lib_read_name(std::FILE *f, std::string &name)
{
    unsigned char length;
    if (!lib_read_u8(f, length))
        return false;
    name.resize(length);
    return length == 0 || std::fread(name.data(), 1, length, f) == length;
}
