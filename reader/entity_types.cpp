// The fixed table of entity type numbers and names.
#include <strings.h>

#include "entity_decoder.h"
#include "settings.h"

namespace {

struct entity_type {
    int number;
    const char *name;
};

// Searched in this order, so a name found twice gives its first number.
constexpr entity_type types[] = {
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

const char *ent_type_name(int number)
{
    for (const entity_type &t : types)
        if (t.number == number)
            return t.name;
    return nullptr;
}

int ent_type_number(const char *name)
{
    if (name)
        for (const entity_type &t : types)
            if (strcasecmp(t.name, name) == 0)
                return t.number;
    return 254;
}

int ent_explicit_number()
{
    return lib_current_settings().version < 40 ? 25 : 254;
}
