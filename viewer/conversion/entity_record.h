// The parsed form of one entity or table chain handed over by the reader.
#pragma once
#include <string>

#include "tvlaccess.h"

struct cl_entity_point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct cl_entity_record {
    std::string type_name;      // 0
    std::string primary_text;   // 1
    std::string line_type;      // 6
    std::string layer = "0";    // 8
    std::string name;           // 2
    std::string text_style;     // 7
    std::string secondary_text; // 3
    std::string subclass;       // 100
    cl_entity_point point1;     // 10
    cl_entity_point point2;     // 11
    cl_entity_point point3;     // 12
    cl_entity_point point4;     // 13
    double elevation = 0.0;     // 38
    double thickness = 0.0;     // 39
    double real40 = 0.0;        // radius, start width
    double real41 = 0.0;        // end width
    double real42 = 0.0;        // bulge
    double real43 = 0.0;
    double angle50 = 0.0;       // start angle, radians
    double angle51 = 0.0;       // end angle, radians
    int color_number = 0;       // 62
    int entities_follow = 0;    // 66
    int flags = 0;              // 70
    int count71 = 0;
    int count72 = 0;
    int count73 = 0;
    int count74 = 0;
    cl_entity_point extrusion{0.0, 0.0, 1.0}; // 210
};

// Stores every record of the chain (or only `first` with first_only) whose
// group code has a field above; later records overwrite earlier ones.  The
// chain belongs to the reader, so strings are copied.
void parse_entity(const resbuf *first, cl_entity_record &record, bool first_only);
