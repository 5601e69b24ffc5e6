// The camera: its frame from the view direction, and the fit that centres the model
// and frames it with a margin.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "render/cl_opengl_image.h"
#include "state/render_settings.h"


namespace {

bool upside_down(int tilt) { return tilt >= -270 && tilt <= -91; }

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

fpt_box cl_opengl_image::Bounds(bool with_lines, bool with_points) const
{
    fpt_box box;
    VisitPoints(with_lines, with_points, [&box](const fpt &p) { box.take(p); });
    return box;
}

void cl_opengl_image::FitCamera()
{
    if (triangles.empty() && lines.empty())
        return;

    // The fit frames triangle corners; line ends too when it counts lines, or
    // when there are no triangles (a drawing of lines alone would otherwise get
    // a field of view of nothing).
    const bool with_lines = fit_lines != 0 || triangles.empty();
    const fpt_box model = Bounds(with_lines, false);
    fpt centre{(model.low.x + model.high.x) / 2, (model.low.y + model.high.y) / 2,
               (model.low.z + model.high.z) / 2};
    for (cl_opengl_image_triangle &t : triangles) {
        t.corner_a = t.corner_a - centre;
        t.corner_b = t.corner_b - centre;
        t.corner_c = t.corner_c - centre;
    }
    for (cl_opengl_image_line &l : lines) {
        l.start = l.start - centre;
        l.end = l.end - centre;
    }

    // The centred model in camera terms: x along right, y along up, z along the view.
    fpt_box seen;
    VisitPoints(with_lines, false, [&](const fpt &p) {
        seen.take(fpt{fpt_dot(right, p), fpt_dot(up, p), fpt_dot(view_dir, p)});
    });
    auto span = [](double low, double high) { return std::fabs(std::max(high, 0.0) - low) + 1.0; };
    double size = std::max({span(seen.low.z, seen.high.z), span(seen.low.x, seen.high.x),
                            span(seen.low.y, seen.high.y)});

    double half_w = 0.55 * (seen.high.x - seen.low.x);
    double half_h = 0.55 * (seen.high.y - seen.low.y);
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
