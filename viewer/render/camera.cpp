// The camera: its frame from the view direction, and the fit that centres the model
// and frames it with a margin.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "render/cl_opengl_image.h"
#include "render/view_settings.h"

int fit_lines = 0;

namespace {

bool upside_down(int tilt) { return tilt >= -270 && tilt <= -91; }

struct extent {
    double low = 0.0;
    double high = 0.0;
    void take(double v, bool first)
    {
        if (first || v < low)
            low = v;
        if (first || v > high)
            high = v;
    }
};

} // namespace

void cl_opengl_image::SetViewDirection(double x, double y, double z)
{
    view_dir = fpt_scale_to_length(fpt{x, y, z}, 1.0);
    if (view_dir.x != 0.0 || view_dir.y != 0.0) {
        right = fpt_scale_to_length(fpt_cross(view_dir, fpt{0.0, 0.0, 1.0}), 1.0);
        up = fpt_scale_to_length(fpt_cross(right, view_dir), 1.0);
        if (upside_down(camera_tilt))
            up = -up;
    } else {
        // Straight up or down: the rotation turns the picture instead.
        right = fpt{1.0, 0.0, 0.0};
        up = fpt_rotate_z(fpt_scale_to_length(fpt_cross(right, view_dir), 1.0), camera_rotation);
    }
}

// The points the fit frames: triangle corners; line ends too when the fit counts
// lines, or when there are no triangles (a drawing of lines alone would
// otherwise get a field of view of nothing).
template <typename Visit> void cl_opengl_image::VisitFitPoints(Visit visit) const
{
    for (const cl_opengl_image_triangle &t : triangles) {
        visit(t.corner_a);
        visit(t.corner_b);
        visit(t.corner_c);
    }
    if (fit_lines == 0 && !triangles.empty())
        return;
    for (const cl_opengl_image_line &l : lines) {
        visit(l.start);
        visit(l.end);
    }
}

void cl_opengl_image::FitCamera()
{
    if (triangles.empty() && lines.empty())
        return;

    extent ex, ey, ez;
    bool first = true;
    VisitFitPoints([&](const fpt &p) {
        ex.take(p.x, first);
        ey.take(p.y, first);
        ez.take(p.z, first);
        first = false;
    });
    fpt centre{(ex.low + ex.high) / 2, (ey.low + ey.high) / 2, (ez.low + ez.high) / 2};
    for (cl_opengl_image_triangle &t : triangles) {
        t.corner_a = t.corner_a - centre;
        t.corner_b = t.corner_b - centre;
        t.corner_c = t.corner_c - centre;
    }
    for (cl_opengl_image_line &l : lines) {
        l.start = l.start - centre;
        l.end = l.end - centre;
    }

    extent rr, uu, dd;
    first = true;
    VisitFitPoints([&](const fpt &p) {
        rr.take(fpt_dot(right, p), first);
        uu.take(fpt_dot(up, p), first);
        dd.take(fpt_dot(view_dir, p), first);
        first = false;
    });
    auto span = [](const extent &e) { return std::fabs(std::max(e.high, 0.0) - e.low) + 1.0; };
    double size = std::max({span(dd), span(rr), span(uu)});

    double half_w = 0.55 * (rr.high - rr.low);
    double half_h = 0.55 * (uu.high - uu.low);
    int k = width / (height > 0 ? height : 1);
    if (half_w / half_h < k)
        half_w = half_h * k;

    eye = view_dir * (-7.0 * size);
    // The model-view matrix is the identity here, as SetProjection left it.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, up.x, up.y, up.z);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(2.0 * std::atan2(half_w, 7.0 * size) * 57.29577951308232, 1.0, 1.0,
                   1000.0 * size);
    glMatrixMode(GL_MODELVIEW);
}
