#include "conversion/full_output.h"

#include <algorithm>
#include <cmath>

#include "conversion/full_state.h"
#include "render/scene_functions.h"

namespace {

constexpr double two_pi = 6.283185307179586;

// True (and said once) when the scene keeps nothing more.
bool scene_full()
{
    if (current_scene == nullptr || !current_scene->IsFull())
        return false;
    current_scene->NoteFull();
    full_note("the scene is full; the rest of the drawing is not drawn");
    return true;
}

// Counts one piece offered to the scene; false once drawing has stopped.
bool take_piece()
{
    if (drawing_stopped())
        return false;
    --full_state().pieces_left;
    return true;
}

void add_line(const fm_pen &pen, const fpt &a, const fpt &b)
{
    if (!take_piece())
        return;
    const fpt p = pen.transform.Apply(a);
    const fpt q = pen.transform.Apply(b);
    if (p == q)
        return;
    scene_add_line(p.x, p.y, p.z, q.x, q.y, q.z, pen.layer, pen.color.red, pen.color.green,
                   pen.color.blue);
}

double pattern_length(const std::vector<double> &dashes)
{
    double total = 0.0;
    for (double d : dashes)
        total += std::fabs(d);
    return total;
}

// Walks the path through the repeating pattern; dots (length 0) become short
// dashes so that they stay visible.
void dashed_path(const fm_pen &pen, const std::vector<fpt> &points, const std::vector<double> &dashes)
{
    const double period = pattern_length(dashes);
    double path_length = 0.0;
    for (std::size_t i = 1; i < points.size(); ++i)
        path_length += fpt_length(points[i] - points[i - 1]);
    // A pattern far finer than the path would only fill it in: draw solid.
    if (!(period > 0.0) || path_length / period > 2000.0) {
        for (std::size_t i = 1; i < points.size(); ++i)
            add_line(pen, points[i - 1], points[i]);
        return;
    }
    const double dot = period * 0.02;
    std::size_t element = 0;
    double left = std::fabs(dashes[0]) > 0.0 ? std::fabs(dashes[0]) : dot;
    for (std::size_t i = 1; i < points.size(); ++i) {
        fpt from = points[i - 1];
        const fpt to = points[i];
        double remaining = fpt_length(to - from);
        while (remaining > 0.0) {
            const double step = std::min(left, remaining);
            const fpt next = from + (to - from) * (step / remaining);
            if (dashes[element] >= 0.0)
                add_line(pen, from, next);
            from = next;
            remaining -= step;
            left -= step;
            if (left <= 0.0) {
                element = (element + 1) % dashes.size();
                left = std::fabs(dashes[element]) > 0.0 ? std::fabs(dashes[element]) : dot;
            }
        }
    }
}

} // namespace

bool drawing_stopped()
{
    if (scene_full())
        return true;
    if (full_state().pieces_left > 0)
        return false;
    full_note("too much to draw: the drawing is cut short");
    return true;
}

void pen_line(const fm_pen &pen, const fpt &a, const fpt &b)
{
    if (pen.dashes != nullptr && !pen.dashes->empty())
        dashed_path(pen, {a, b}, *pen.dashes);
    else
        add_line(pen, a, b);
}

void pen_path(const fm_pen &pen, const std::vector<fpt> &points, bool closed)
{
    if (points.empty())
        return;
    if (pen.dashes != nullptr && !pen.dashes->empty()) {
        std::vector<fpt> path = points;
        if (closed)
            path.push_back(points.front());
        dashed_path(pen, path, *pen.dashes);
        return;
    }
    for (std::size_t i = 1; i < points.size(); ++i)
        add_line(pen, points[i - 1], points[i]);
    if (closed && points.size() > 2)
        add_line(pen, points.back(), points.front());
}

void pen_triangle(const fm_pen &pen, const fpt &a, const fpt &b, const fpt &c)
{
    if (!take_piece())
        return;
    const fm_transform &t = pen.transform;
    // Mirrored placements keep the corners' turn, so faces stay lit alike.
    const fpt p = t.Apply(a);
    const fpt q = t.Apply(t.Mirrors() ? c : b);
    const fpt r = t.Apply(t.Mirrors() ? b : c);
    scene_add_triangle(p.x, p.y, p.z, q.x, q.y, q.z, r.x, r.y, r.z, pen.layer, pen.color.red,
                       pen.color.green, pen.color.blue);
}

void pen_quad(const fm_pen &pen, const fpt &a, const fpt &b, const fpt &c, const fpt &d)
{
    pen_triangle(pen, a, b, c);
    if (c != d)
        pen_triangle(pen, c, d, a);
}

void pen_point(const fm_pen &pen, const fpt &p)
{
    if (!take_piece())
        return;
    const fpt w = pen.transform.Apply(p);
    scene_add_point(w.x, w.y, w.z, pen.layer);
}

int curve_segments(double radians)
{
    const double turn = std::fabs(radians);
    if (!std::isfinite(turn))
        return 2;
    return static_cast<int>(std::clamp(std::ceil(turn / two_pi * 72.0), 2.0, 720.0));
}
