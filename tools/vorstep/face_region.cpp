#include "face_region.h"

#include <algorithm>
#include <cmath>

#include "polygon_triangulation.h"

namespace {

constexpr double two_pi = 6.283185307179586476925286766559;
// Points a single face may add in refinement: a file can ask for any
// tolerance, memory stays bounded.
constexpr std::size_t max_face_vertices = 100000;

} // namespace

double angle_step(double radius, double tol)
{
    tol = std::min(tol, radius * 1e-3);
    double step = std::acos(std::max(-1.0, 1.0 - tol / std::max(radius, 1e-300))) * 2.0;
    return std::clamp(step, 1e-3, two_pi / 24.0);
}

void add_triangle(std::vector<mesh_triangle> &out, v3 a, v3 b, v3 c, bool reverse)
{
    if (same_point(a, b) || same_point(b, c) || same_point(c, a))
        return;
    if (reverse)
        std::swap(b, c);
    out.push_back({a, b, c});
}

void mesh_uv_region(std::vector<dvert> &verts, const uv_region &region, const uv_surface &surface, double tolerance,
                    bool reverse, std::vector<mesh_triangle> &out)
{
    std::vector<v2> scaled;
    scaled.reserve(verts.size());
    for (const auto &d : verts)
        scaled.push_back({d.uv.u * surface.u_scale, d.uv.v * surface.v_scale});
    std::vector<tri_indices> tris = triangulate_polygon(scaled, region.outer, region.holes);
    refine_settings rs;
    rs.u_scale = surface.u_scale;
    rs.v_scale = surface.v_scale;
    rs.tolerance = tolerance;
    rs.max_vertices = verts.size() + max_face_vertices;
    refine_region(verts, tris, surface.eval, rs);
    for (const auto &t : tris)
        add_triangle(out, verts[static_cast<std::size_t>(t[0])].xyz, verts[static_cast<std::size_t>(t[1])].xyz,
                     verts[static_cast<std::size_t>(t[2])].xyz, reverse);
}
