// The value kind of each group code, as result records and the entity coding
// see it.  Kinds are the record kinds of tvlaccess.h.
#pragma once
#include <array>
#include <cstdint>

#include "tvlaccess.h"

namespace tvl_format {

// Codes 0 to 999 by range: each range runs up to and including `last`.  The
// refined kinds (RB_SHORT_270, RB_OBJECT, ...) narrow a short or long range.
struct kind_range {
    int last;
    int kind;
};
inline constexpr kind_range kind_ranges[] = {
    {9, RB_STRING},      {19, RB_POINT3D},     {49, RB_REAL},       {59, RB_ANGLE},      {79, RB_SHORT},
    {89, RB_NONE},       {99, RB_LONG},        {105, RB_STRING},    {139, RB_NONE},      {149, RB_REAL},
    {169, RB_NONE},      {179, RB_SHORT},      {209, RB_NONE},      {239, RB_POINT3D},   {269, RB_NONE},
    {289, RB_SHORT_270}, {299, RB_SHORT_290},  {309, RB_STRING},    {319, RB_BINARY},    {369, RB_ENAME},
    {389, RB_SHORT},     {399, RB_ENAME},      {409, RB_SHORT},     {419, RB_STRING},    {499, RB_NONE},
    {509, RB_OBJECT},    {519, RB_LONG_510},   {529, RB_LONG_520},  {998, RB_NONE},      {999, RB_STRING},
};
inline constexpr int ranged_codes = 1000;

// Extended codes (1000 to 4999) take the kind of code % 1000, except these two.
inline constexpr int extended_codes = 1000;
inline constexpr int extended_binary_code = 1004;
inline constexpr int extended_long_code = 1071;
// Codes from here on are kinds themselves.
inline constexpr int first_kind_code = 5000;

// The kind a refined kind narrows.
constexpr int unrefined_kind(int kind)
{
    switch (kind) {
    case RB_SHORT_270:
    case RB_SHORT_290:
        return RB_SHORT;
    case RB_OBJECT:
    case RB_LONG_510:
    case RB_LONG_520:
        return RB_LONG;
    default:
        return kind;
    }
}

// The kind that decides how a value is copied, released and printed.
constexpr int basic_kind_of(int kind)
{
    switch (kind) {
    case RB_REAL:
    case RB_ANGLE:
        return RB_REAL;
    case RB_SHORT:
    case RB_SHORT_270:
    case RB_SHORT_290:
        return RB_SHORT;
    case RB_STRING:
    case RB_TYPE_NAME:
        return RB_STRING;
    case RB_ENAME:
    case RB_LONG:
    case RB_POINT2D:
    case RB_POINT3D:
    case RB_BINARY:
    case RB_FLOAT:
    case RB_OBJECT:
    case RB_LONG_510:
    case RB_LONG_520:
        return kind;
    default:
        return RB_NONE;
    }
}

namespace detail {

struct kind_tables {
    std::array<std::uint16_t, ranged_codes> refined{};
    std::array<std::uint16_t, ranged_codes> base{};
    std::array<std::uint16_t, ranged_codes> basic{};
};

constexpr kind_tables make_kind_tables()
{
    kind_tables t;
    int code = 0;
    for (const kind_range &r : kind_ranges)
        for (; code <= r.last; ++code) {
            t.refined[code] = static_cast<std::uint16_t>(r.kind);
            t.base[code] = static_cast<std::uint16_t>(unrefined_kind(r.kind));
            t.basic[code] = static_cast<std::uint16_t>(basic_kind_of(r.kind));
        }
    return t;
}

inline constexpr kind_tables kinds = make_kind_tables();
static_assert(kind_ranges[std::size(kind_ranges) - 1].last == ranged_codes - 1);

} // namespace detail

// The kind of a code without refinement: how its value is stored.
constexpr int group_base_kind(int code)
{
    if (code >= first_kind_code)
        return code;
    if (code >= extended_codes) {
        if (code == extended_binary_code)
            return RB_BINARY;
        if (code == extended_long_code)
            return RB_LONG;
        return detail::kinds.base[static_cast<unsigned>(code % extended_codes)];
    }
    if (code >= 0)
        return detail::kinds.base[static_cast<unsigned>(code)];
    if (code >= -2)
        return RB_ENAME;
    if (code == -3)
        return RB_SHORT;
    return RB_NONE;
}

// The refined kind of a code; only codes 0 to 999 are refined.
constexpr int group_kind(int code)
{
    if (code >= 0 && code < ranged_codes)
        return detail::kinds.refined[static_cast<unsigned>(code)];
    return group_base_kind(code);
}

// The basic kind of a code: the refined kind folded.
constexpr int group_basic_kind(int code)
{
    if (code >= 0 && code < ranged_codes)
        return detail::kinds.basic[static_cast<unsigned>(code)];
    return basic_kind_of(group_base_kind(code));
}

} // namespace tvl_format
