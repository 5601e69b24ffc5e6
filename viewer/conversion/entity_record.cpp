#include "conversion/entity_record.h"

namespace {

void copy_string(const resbuf *rb, std::string &out)
{
    out = rb->value.string != nullptr ? rb->value.string : "";
}

void copy_point(const resbuf *rb, cl_entity_point &out)
{
    out = {rb->value.point[0], rb->value.point[1], rb->value.point[2]};
}

void store_record(const resbuf *rb, cl_entity_record &r)
{
    switch (rb->code) {
    case 0: copy_string(rb, r.type_name); break;
    case 1: copy_string(rb, r.primary_text); break;
    case 2: copy_string(rb, r.name); break;
    case 3: copy_string(rb, r.secondary_text); break;
    case 6: copy_string(rb, r.line_type); break;
    case 7: copy_string(rb, r.text_style); break;
    case 8: copy_string(rb, r.layer); break;
    case 100: copy_string(rb, r.subclass); break;
    case 10: copy_point(rb, r.point1); break;
    case 11: copy_point(rb, r.point2); break;
    case 12: copy_point(rb, r.point3); break;
    case 13: copy_point(rb, r.point4); break;
    case 210: copy_point(rb, r.extrusion); break;
    case 38: r.elevation = rb->value.real; break;
    case 39: r.thickness = rb->value.real; break;
    case 40: r.real40 = rb->value.real; break;
    case 41: r.real41 = rb->value.real; break;
    case 42: r.real42 = rb->value.real; break;
    case 43: r.real43 = rb->value.real; break;
    case 50: r.angle50 = rb->value.real; break;
    case 51: r.angle51 = rb->value.real; break;
    case 62: r.color_number = rb->value.int16; break;
    case 66: r.entities_follow = rb->value.int16; break;
    case 70: r.flags = rb->value.int16; break;
    case 71: r.count71 = rb->value.int16; break;
    case 72: r.count72 = rb->value.int16; break;
    case 73: r.count73 = rb->value.int16; break;
    case 74: r.count74 = rb->value.int16; break;
    default: break;
    }
}

} // namespace

void parse_entity(const resbuf *first, cl_entity_record &record, bool first_only)
{
    for (const resbuf *rb = first; rb != nullptr; rb = rb->next) {
        store_record(rb, record);
        if (first_only)
            break;
    }
}
