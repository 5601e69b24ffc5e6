// Lightweight and old-style polylines: bulges as arcs, widths as filled
// strips; polygon and polyface meshes as faces.
#include <cmath>
#include <cstdlib>

#include "conversion/full_converters.h"
#include "conversion/full_curves.h"

namespace {

struct vertex {
    fpt p;
    double start_width = 0.0;
    double end_width = 0.0;
    double bulge = 0.0;
};

// Left of the path's direction at each point, unit length in the xy plane.
std::vector<fpt> left_normals(const std::vector<fpt> &points)
{
    std::vector<fpt> out(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const fpt &prev = points[i == 0 ? 0 : i - 1];
        const fpt &next = points[i + 1 == points.size() ? i : i + 1];
        const fpt d{next.x - prev.x, next.y - prev.y, 0.0};
        out[i] = fpt_scale_to_length(fpt{-d.y, d.x, 0.0}, 1.0);
    }
    return out;
}

// One segment with widths: a strip whose width runs from w0 to w1.
void wide_segment(const fm_pen &pen, const std::vector<fpt> &points, double w0, double w1)
{
    const std::vector<fpt> normals = left_normals(points);
    const std::size_t n = points.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double ha = (w0 + (w1 - w0) * i / (n - 1)) / 2.0;
        const double hb = (w0 + (w1 - w0) * (i + 1) / (n - 1)) / 2.0;
        const fpt &a = points[i];
        const fpt &b = points[i + 1];
        pen_quad(pen, a - normals[i] * ha, b - normals[i + 1] * hb, b + normals[i + 1] * hb,
                 a + normals[i] * ha);
    }
}

void draw_vertices(const fm_pen &pen, const std::vector<vertex> &vertices, bool closed)
{
    const std::size_t count = vertices.size();
    if (count == 0)
        return;
    if (count == 1) {
        pen_point(pen, vertices[0].p);
        return;
    }
    std::vector<fpt> thin; // consecutive thin segments make one path (for dashes)
    auto flush = [&] {
        if (thin.size() > 1)
            pen_path(pen, thin, false);
        thin.clear();
    };
    const std::size_t segments = closed ? count : count - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const vertex &a = vertices[i];
        const vertex &b = vertices[(i + 1) % count];
        const std::vector<fpt> points = bulge_points(a.p, b.p, a.bulge);
        if ((a.start_width > 0.0 || a.end_width > 0.0) && std::isfinite(a.start_width) &&
            std::isfinite(a.end_width)) {
            flush();
            wide_segment(pen, points, a.start_width, a.end_width);
            continue;
        }
        if (thin.empty())
            thin = points;
        else
            thin.insert(thin.end(), points.begin() + 1, points.end());
    }
    flush();
}

} // namespace

void full_lwpolyline(const fm_entity &e, const fm_pen &pen)
{
    const fm_pen p = pen_in_ocs(pen, e);
    const double elevation = e.Real(38);
    const double constant = e.Real(43);
    std::vector<vertex> vertices;
    for (const fm_group &g : e.groups) {
        if (g.code == 10) {
            vertices.push_back({{g.point.x, g.point.y, elevation}, constant, constant, 0.0});
        } else if (!vertices.empty()) {
            // Widths and bulge follow the vertex they belong to.
            if (g.code == 40)
                vertices.back().start_width = g.point.x;
            else if (g.code == 41)
                vertices.back().end_width = g.point.x;
            else if (g.code == 42)
                vertices.back().bulge = g.point.x;
        }
    }
    draw_vertices(p, vertices, (e.Number(70) & 1) != 0);
}

namespace {

void draw_mesh(const fm_entity &header, const std::vector<fm_entity> &list, const fm_pen &pen)
{
    const long m = header.Number(71);
    const long n = header.Number(72);
    const long count = static_cast<long>(list.size());
    if (m <= 0 || n <= 0)
        return;
    const long flags = header.Number(70);
    const long rows = (flags & 1) ? m : m - 1;
    const long columns = (flags & 32) ? n : n - 1;
    for (long i = 0; i < rows && i * n < count; ++i) {
        const long i2 = (i + 1 == m) ? 0 : i + 1;
        for (long j = 0; j < columns; ++j) {
            const long j2 = (j + 1 == n) ? 0 : j + 1;
            const long ids[4] = {i * n + j, i * n + j2, i2 * n + j2, i2 * n + j};
            if (ids[0] >= count || ids[1] >= count || ids[2] >= count || ids[3] >= count)
                continue;
            pen_quad(pen, list[static_cast<std::size_t>(ids[0])].Point(10),
                     list[static_cast<std::size_t>(ids[1])].Point(10),
                     list[static_cast<std::size_t>(ids[2])].Point(10),
                     list[static_cast<std::size_t>(ids[3])].Point(10));
        }
    }
}

void draw_polyface(const std::vector<fm_entity> &list, const fm_pen &pen)
{
    std::vector<fpt> positions;
    for (const fm_entity &v : list)
        if ((v.Number(70) & 64) || !(v.Number(70) & 128))
            positions.push_back(v.Point(10));
    for (const fm_entity &v : list) {
        const long flags = v.Number(70);
        if (!(flags & 128) || (flags & 64))
            continue;
        fpt corners[4];
        int used = 0;
        for (int code = 71; code <= 74; ++code) {
            const long index = std::labs(v.Number(code));
            if (index == 0)
                break;
            // A face naming a vertex that is not there is left out.
            if (index > static_cast<long>(positions.size())) {
                used = 0;
                break;
            }
            corners[used++] = positions[static_cast<std::size_t>(index - 1)];
        }
        if (used == 3)
            pen_triangle(pen, corners[0], corners[1], corners[2]);
        else if (used == 4)
            pen_quad(pen, corners[0], corners[1], corners[2], corners[3]);
    }
}

} // namespace

void full_polyline(const fm_entity &header, const std::vector<fm_entity> &list, const fm_pen &pen)
{
    const long flags = header.Number(70);
    if (flags & 16) {
        draw_mesh(header, list, pen);
        return;
    }
    if (flags & 64) {
        draw_polyface(list, pen);
        return;
    }
    const bool is_3d = (flags & 8) != 0;
    const fm_pen p = is_3d ? pen : pen_in_ocs(pen, header);
    const double elevation = is_3d ? 0.0 : header.Point(10).z + header.Real(38);
    const double default_start = header.Real(40);
    const double default_end = header.Real(41);
    std::vector<vertex> vertices;
    for (const fm_entity &v : list) {
        // Frame points of a spline-fit polyline are not on the curve.
        if ((v.Number(70) & 16) != 0)
            continue;
        fpt at = v.Point(10);
        if (!is_3d)
            at.z = elevation;
        vertex out{at, v.Real(40, default_start), v.Real(41, default_end), 0.0};
        if (!is_3d)
            out.bulge = v.Real(42);
        vertices.push_back(out);
    }
    draw_vertices(p, vertices, (flags & 1) != 0);
}
