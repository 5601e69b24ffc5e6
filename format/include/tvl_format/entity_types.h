// Entity type numbers and their names.
#pragma once
#include <strings.h>

namespace tvl_format {

// Entity type numbers the coding gives a meaning of their own.
enum entity_number : int {
    entity_block = 12,
    entity_endblk = 13,
    entity_insert = 14,
    entity_attrib = 16,
    entity_seqend = 17,
    entity_polyline = 19,
    entity_vertex = 20,
    // A name missing from the table; from version 40 on also the mark of an
    // entity stored with its type name.
    entity_unknown = 254,
    // The mark of an entity stored with its type name before version 40.
    entity_named_before_40 = 25,
};

// From this library version on, entities stored with a type name are marked
// entity_unknown, before it entity_named_before_40.
inline constexpr int named_entity_version = 40;

struct entity_type {
    int number;
    const char *name;
};

// Searched in this order, so a name found twice gives its first number.
inline constexpr entity_type entity_types[] = {
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

// The name of a type number, or null when the table has none.
constexpr const char *entity_type_name(int number)
{
    for (const entity_type &t : entity_types)
        if (t.number == number)
            return t.name;
    return nullptr;
}

// The number of a type name, compared without regard to case; entity_unknown
// when the table has none.
inline int entity_type_number(const char *name)
{
    if (name)
        for (const entity_type &t : entity_types)
            if (strcasecmp(t.name, name) == 0)
                return t.number;
    return entity_unknown;
}

// The number that marks an entity stored with its type name in a library of this version.
constexpr int entity_named_number(int version)
{
    return version < named_entity_version ? entity_named_before_40 : entity_unknown;
}

} // namespace tvl_format
