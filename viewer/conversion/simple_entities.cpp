// Points, lines, circles, 3D faces; arcs are accepted and draw nothing.
#include <cmath>

#include "conversion/cl_coord_frame.h"
#include "conversion/conversion_state.h"
#include "conversion/converters.h"
#include "conversion/layer_colors.h"
#include "render/scene_functions.h"

namespace {

constexpr double degrees_to_radians = 0.017453292519943295;
constexpr cl_rgb face_default{228, 228, 228};
constexpr cl_rgb circle_color{228, 228, 228};

fpt to_fpt(const cl_entity_point &p, double elevation)
{
    return {p.x, p.y, p.z + elevation};
}

// Exact zeros where the angle (brought into [0, 360)) makes them so.
fpt rotate_about_z(const fpt &p, double degrees)
{
    double c = std::cos(degrees * degrees_to_radians);
    double s = std::sin(degrees * degrees_to_radians);
    double reduced = degrees;
    while (reduced < 0.0)
        reduced += 360.0;
    while (reduced >= 360.0)
        reduced -= 360.0;
    if (reduced == 90.0 || reduced == 270.0)
        c = 0.0;
    if (reduced == 0.0 || reduced == 180.0)
        s = 0.0;
    return {p.x * c - p.y * s, p.y * c + p.x * s, p.z};
}

cl_coord_frame circle_frame(const fpt &normal)
{
    cl_coord_frame frame;
    if (normal.x != 0.0 || normal.y != 0.0) {
        // Y is the part of the world Z axis perpendicular to the normal.
        const fpt up{0.0, 0.0, 10.0};
        const fpt foot = fpt_closest_point(fpt{0.0, 0.0, 0.0}, normal, up, false);
        const fpt v = up - foot;
        frame.SetAxes(fpt_cross(v, normal), v);
    } else if (normal.z < 0.0) {
        const fpt y{0.0, 1.0, 0.0};
        frame.SetAxes(fpt_cross(y, normal), y);
    }
    return frame;
}

void add_triangle(const fpt &a, const fpt &b, const fpt &c, const std::string &layer,
                  const cl_rgb &color)
{
    scene_add_triangle(a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z, layer, color.red,
                       color.green, color.blue);
}

} // namespace

void convert_point(const cl_entity_record &record)
{
    scene_add_point(record.point1.x, record.point1.y, record.point1.z, record.layer);
}

void convert_line(const cl_entity_record &record)
{
    const fpt p1 = to_fpt(record.point1, record.elevation);
    const fpt p2 = to_fpt(record.point2, record.elevation);
    if (p1 == p2)
        return;
    if (conversion_state().has_faces && p1.z == 0.0 && p2.z == 0.0)
        return;
    scene_add_line(p1.x, p1.y, p1.z, p2.x, p2.y, p2.z, record.layer, 255, 255, 255);
}

void convert_circle(const cl_entity_record &record)
{
    const fpt centre = to_fpt(record.point1, record.elevation);
    const double radius = record.real40;
    const double thickness = record.thickness;
    const fpt normal{record.extrusion.x, record.extrusion.y, record.extrusion.z};

    const cl_coord_frame frame = circle_frame(normal);
    const fpt w = frame.ocs_to_wcs(centre);
    const fpt h = thickness != 0.0 ? fpt_scale_to_length(normal, thickness) : fpt{0.0, 0.0, 0.0};
    const fpt spoke{radius, 0.0, 0.0};
    const cl_rgb &c = circle_color;

    for (int a = 0; a < 360; a += 5) {
        // Each chord spans 30 degrees, so neighbouring chords overlap.
        const fpt s = frame.ocs_to_wcs(rotate_about_z(spoke, a)) + w;
        const fpt e = frame.ocs_to_wcs(rotate_about_z(spoke, a + 30)) + w;
        if (thickness == 0.0) {
            scene_add_line(s.x, s.y, s.z, e.x, e.y, e.z, record.layer, c.red, c.green, c.blue);
        } else {
            const fpt sh = s + h;
            const fpt eh = e + h;
            scene_add_quad(s.x, s.y, s.z, sh.x, sh.y, sh.z, eh.x, eh.y, eh.z, e.x, e.y, e.z,
                           record.layer, c.red, c.green, c.blue);
        }
    }
}

void convert_arc(const cl_entity_record &)
{
}

void convert_3dface(const cl_entity_record &record)
{
    const fpt p1 = to_fpt(record.point1, record.elevation);
    const fpt p2 = to_fpt(record.point2, record.elevation);
    const fpt p3 = to_fpt(record.point3, record.elevation);
    const fpt p4 = to_fpt(record.point4, record.elevation);
    const cl_rgb color = layer_draw_color(record.layer, false).value_or(face_default);
    conversion_state().has_faces = true;

    if (p1 == p2)
        add_triangle(p2, p3, p4, record.layer, color);
    else if (p2 == p3)
        add_triangle(p1, p3, p4, record.layer, color);
    else if (p1 == p4 || p2 == p4 || p3 == p4)
        add_triangle(p1, p2, p3, record.layer, color);
    else if (p1 == p3)
        add_triangle(p1, p2, p4, record.layer, color);
    else
        scene_add_quad(p1.x, p1.y, p1.z, p2.x, p2.y, p2.z, p3.x, p3.y, p3.z, p4.x, p4.y, p4.z,
                       record.layer, color.red, color.green, color.blue);
}
