// Byte-level emitters of the entity coding.
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <strings.h>

#include "tvlwriter/entities.h"

namespace tvlw {

namespace {

struct type_entry {
    int number;
    const char *name;
};

constexpr type_entry type_table[] = {
    {1, "LINE"},        {2, "POINT"},       {3, "CIRCLE"},     {4, "SHAPE"},
    {5, "ELLIPSE"},     {6, "SPLINE"},      {7, "TEXT"},       {8, "ARC"},
    {9, "TRACE"},       {10, "REGION"},     {11, "SOLID"},     {12, "BLOCK"},
    {13, "ENDBLK"},     {14, "INSERT"},     {15, "ATTDEF"},    {16, "ATTRIB"},
    {17, "SEQEND"},     {19, "POLYLINE"},   {20, "VERTEX"},    {21, "3DLINE"},
    {22, "3DFACE"},     {23, "DIMENSION"},  {24, "VIEWPORT"},  {25, "3DSOLID"},
    {26, "RAY"},        {27, "XLINE"},      {28, "MTEXT"},     {29, "LEADER"},
    {30, "TOLERANCE"},  {31, "MLINE"},      {32, "DICTIONARY"}, {33, "MLINESTYLE"},
    {34, "CLASS"},      {35, "BODY"},       {36, "GROUP"},     {100, "OB_ZOMBIE"},
    {101, "OB_XRECORD"}, {253, "LWPOLYLINE"}, {251, "OLE2FRAME"}, {252, "HATCH"},
    {250, "IMAGE"},     {-1, "SPACE"},      {-9, "BLOCK"},     {-5, "LAYER"},
    {-4, "LTYPE"},      {-6, "STYLE"},      {-7, "VIEW"},      {-3, "VPORT"},
    {-8, "UCS"},        {-20, "APPID"},     {-21, "CLASS"},
};

} // namespace

int entity_type_number(const std::string &name)
{
    for (const type_entry &t : type_table)
        if (strcasecmp(t.name, name.c_str()) == 0)
            return t.number;
    return 254;
}

const char *entity_type_name(int number)
{
    for (const type_entry &t : type_table)
        if (t.number == number)
            return t.name;
    return nullptr;
}

namespace raw {

void byte(std::vector<std::uint8_t> &out, int b)
{
    out.push_back(static_cast<std::uint8_t>(b & 0xFF));
}

void i16(std::vector<std::uint8_t> &out, int v)
{
    byte(out, v);
    byte(out, v >> 8);
}

void i32(std::vector<std::uint8_t> &out, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        byte(out, static_cast<int>(u >> (8 * i)));
}

void f64(std::vector<std::uint8_t> &out, double v)
{
    std::uint8_t b[8];
    std::memcpy(b, &v, 8);
    out.insert(out.end(), b, b + 8);
}

void group_code(std::vector<std::uint8_t> &out, int code, bool wide)
{
    if (!wide && code >= 1 && code <= 254) {
        byte(out, code);
        return;
    }
    byte(out, 0xFF);
    i16(out, code);
}

void real(std::vector<std::uint8_t> &out, int type, double v, int fraction_bits, bool with_type)
{
    if (with_type)
        byte(out, type);
    switch (type) {
    case 0:
        f64(out, v);
        return;
    case 1:
        return;
    case 2:
        byte(out, static_cast<int>(v));
        return;
    case 3:
        i16(out, static_cast<int>(v));
        return;
    case 4:
        i16(out, static_cast<int>(std::lround(v * 256)));
        return;
    case 5: {
        const long r = std::lround(v * 256);
        byte(out, static_cast<int>(r));
        byte(out, static_cast<int>(r >> 8));
        byte(out, static_cast<int>(r >> 16));
        return;
    }
    case 8:
        i32(out, static_cast<std::int32_t>(v));
        return;
    default:
        break;
    }
    if (type >= 9 && type <= 24) {
        const int n = type - 9 + fraction_bits;
        const auto bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(v));
        for (int i = 0; i < (n + 7) / 8; ++i)
            byte(out, static_cast<int>(bits >> (8 * i)));
    }
    // Ring references (25 and up) have no bytes of their own.
}

void string(std::vector<std::uint8_t> &out, const std::string &s)
{
    if (s.size() > 32767)
        throw std::invalid_argument("string longer than 32767 bytes");
    if (s.size() < 128) {
        byte(out, static_cast<int>(s.size()));
    } else {
        byte(out, 0x80);
        i16(out, static_cast<int>(s.size()));
    }
    out.insert(out.end(), s.begin(), s.end());
}

void string_ref(std::vector<std::uint8_t> &out, int s)
{
    if (s > -128) {
        byte(out, s);
    } else {
        byte(out, 0x80);
        i16(out, s);
    }
}

} // namespace raw

} // namespace tvlw
