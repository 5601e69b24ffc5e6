// The scene store: triangles, lines and bare points in adding order.
#include <string>

#include "render/cl_opengl_image.h"

namespace {

// Near-white would vanish on the default white background: darken it to at most 225.
COLORREF tone_down_near_white(COLORREF color)
{
    int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    if (r > 225 && g > 225 && b > 225)
        return RGB(r * 225 / 255, g * 225 / 255, b * 225 / 255);
    return color;
}

// What one scene may hold: far beyond real symbols, and within memory a
// viewer can spare (a triangle takes 152 bytes, a line 56).  Past them further
// geometry is dropped and the overflow noted, so that the load can fail.
constexpr std::size_t max_triangles = 2000000;
constexpr std::size_t max_lines = 2000000;
constexpr std::size_t max_points = 1000000;

constexpr double ribbon_half_width = 0.01;
constexpr COLORREF ribbon_color = RGB(192, 192, 192);

} // namespace

bool cl_opengl_image::IsFull() const
{
    return triangles.size() >= max_triangles || lines.size() >= max_lines;
}

void cl_opengl_image::NoteFull()
{
    if (triangles.size() >= max_triangles)
        overflow |= scene_limit_triangles;
    if (lines.size() >= max_lines)
        overflow |= scene_limit_lines;
}

std::string scene_overflow_text(int overflow)
{
    std::string limits;
    auto add = [&](int limit, std::size_t count, const char *what) {
        if ((overflow & limit) == 0)
            return;
        if (!limits.empty())
            limits += ", ";
        limits += std::to_string(count) + " " + what;
    };
    add(scene_limit_triangles, max_triangles, "triangles");
    add(scene_limit_lines, max_lines, "lines");
    add(scene_limit_points, max_points, "points");
    return limits.empty() ? limits : "Scene exceeds " + limits + ".";
}

void cl_opengl_image::AddTriangle(double x1, double y1, double z1, double x2, double y2, double z2,
                                  double x3, double y3, double z3, COLORREF color, int edge_mask)
{
    if (triangles.size() >= max_triangles) {
        overflow |= scene_limit_triangles;
        return;
    }
    cl_opengl_image_triangle t;
    t.corner_a = {x1, y1, z1};
    t.corner_b = {x2, y2, z2};
    t.corner_c = {x3, y3, z3};
    fpt n = fpt_scale_to_length(fpt_cross(t.corner_b - t.corner_a, t.corner_c - t.corner_b), 1.0);
    t.normal_a = t.normal_b = t.normal_c = n;
    t.color = tone_down_near_white(color);
    t.edge_mask = edge_mask;
    triangles.push_back(t);
}

void cl_opengl_image::AddLine(double x1, double y1, double z1, double x2, double y2, double z2,
                              COLORREF color)
{
    if (lines.size() >= max_lines) {
        overflow |= scene_limit_lines;
        return;
    }
    lines.push_back(cl_opengl_image_line{{x1, y1, z1}, {x2, y2, z2}, tone_down_near_white(color)});
}

void cl_opengl_image::AddPoint(double x, double y, double z)
{
    if (points.size() >= max_points) {
        overflow |= scene_limit_points;
        return;
    }
    points.push_back(fpt{x, y, z});
}

void cl_opengl_image::AddThinSegment(double px, double py, double pz, double qx, double qy,
                                     double qz)
{
    fpt p{px, py, pz}, q{qx, qy, qz};
    if (p == q)
        return;
    AddLine(px, py, pz, qx, qy, qz, 0);
    fpt d = q - p;
    fpt a = fpt_xy_perpendicular(d, ribbon_half_width);
    fpt b = fpt_scale_to_length(fpt_cross(d, a), ribbon_half_width);
    auto add = [this](const fpt &u, const fpt &v, const fpt &w) {
        AddTriangle(u.x, u.y, u.z, v.x, v.y, v.z, w.x, w.y, w.z, ribbon_color, 0);
    };
    add(p - b, q - b, q + b);
    add(p - b, p + b, q + b);
    add(p - a, q - a, q + a);
    add(p - a, p + a, q + a);
}

void cl_opengl_image::AddPointMarker(double x, double y, double z)
{
    AddThinSegment(x - 1, y - 1, z, x + 1, y + 1, z);
    AddThinSegment(x - 1, y + 1, z, x + 1, y - 1, z);
    AddThinSegment(x, y, z + 1, x, y, z - 1);
}

bool cl_opengl_image::Reset(bool keep_geometry)
{
    if (!keep_geometry) {
        triangles.clear();
        lines.clear();
        points.clear();
        markers_added = false;
        overflow = 0;
    }
    if (!initialised)
        return CreateContext();
    return RenewBitmap();
}
