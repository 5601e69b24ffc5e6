#include "conversion/entity_callbacks.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <string>

#include "conversion/converters.h"
#include "conversion/entity_record.h"
#include "conversion/full_intake.h"
#include "conversion/layer_colors.h"
#include "conversion/solids.h"
#include "state/drawing_mode.h"

int entity_callback(const resbuf *chain)
try {
    if (drawing_mode != drawing_mode_classic) {
        full_entity_record(chain);
        return RB_OK;
    }
    cl_entity_record record;
    parse_entity(chain, record, false);
    const std::string &type = record.type_name;

    if (type == "BLOCK")
        ;
    else if (type == "3DFACE")
        convert_3dface(record);
    else if (type == "POINT")
        convert_point(record);
    else if (type == "LINE")
        convert_line(record);
    else if (type == "CIRCLE")
        convert_circle(record);
    else if (type == "ARC")
        convert_arc(record);
    else if (type == "POLYLINE")
        begin_polyline(record);
    else if (type == "VERTEX")
        add_vertex(record);
    else if (type == "SEQEND")
        end_polyline();
    else if (type == "LWPOLYLINE")
        convert_lwpolyline(chain);
    else if (type == "ATTDEF")
        ;
    else if (type == "3DSOLID")
        convert_solid(record, chain, "%s%drp_3dsolid_tmp");
    else if (type == "ELLIPSE" || type == "ENDBLK")
        ;
    else if (type == "REGION")
        convert_solid(record, chain, "%s%drp_region_tmp");
    else if (type == "BODY")
        convert_solid(record, chain, "%s%drp_body_tmp");
    return RB_OK;
} catch (const std::exception &) {
    // Memory ran out (or a size went past what a container holds) making this
    // entity: the reader reports it refused, and the host lives on.
    return RB_REJECT;
}

int table_callback(const resbuf *chain)
{
    cl_entity_record record;
    parse_entity(chain, record, false);
    std::string type = record.type_name;
    std::transform(type.begin(), type.end(), type.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (type == "layer")
        layer_color_map_add(record.name, record.color_number);
    if (drawing_mode != drawing_mode_classic)
        full_table_record(chain);
    return RB_OK;
}
