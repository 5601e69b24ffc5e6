// Lines, points, circles, arcs, ellipses, splines and 3D faces.
#include "conversion/full_curves.h"

#include <algorithm>
#include <cmath>

#include "conversion/full_converters.h"

namespace {

constexpr double two_pi = 6.283185307179586;
// Upper bounds that keep corrupt counts from asking for huge curves.
constexpr std::size_t max_spline_points = 100000;
constexpr int samples_per_span = 16;

// Sweep from start to end counter-clockwise, in (0, 2 pi].
double ccw_sweep(double start, double end)
{
    double sweep = std::fmod(end - start, two_pi);
    if (sweep <= 0.0)
        sweep += two_pi;
    return sweep;
}

bool finite(const fpt &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

} // namespace

std::vector<fpt> arc_points(const fpt &centre, double radius, double start,
                            double sweep)
{
    std::vector<fpt> out;
    if (!std::isfinite(radius) || !std::isfinite(start) || !std::isfinite(sweep) || !finite(centre))
        return out;
    const int n = curve_segments(sweep);
    out.reserve(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const double a = start + sweep * i / n;
        out.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a), centre.z});
    }
    return out;
}

std::vector<fpt> ellipse_points(const fpt &centre, const fpt &major,
                                const fpt &minor, double start, double sweep)
{
    std::vector<fpt> out;
    if (!std::isfinite(start) || !std::isfinite(sweep) || !finite(centre) || !finite(major) ||
        !finite(minor))
        return out;
    const int n = curve_segments(sweep);
    out.reserve(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const double t = start + sweep * i / n;
        out.push_back(centre + major * std::cos(t) + minor * std::sin(t));
    }
    return out;
}

std::vector<fpt> bulge_points(const fpt &a, const fpt &b, double bulge)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double chord = std::hypot(dx, dy);
    if (bulge == 0.0 || !std::isfinite(bulge) || !(chord > 0.0))
        return {a, b};
    const double sweep = 4.0 * std::atan(bulge);
    const double radius = chord / (2.0 * std::sin(std::fabs(sweep) / 2.0));
    // The centre lies off the chord's middle, to the left for a positive bulge.
    const double offset = radius * std::cos(sweep / 2.0) * (bulge > 0 ? 1.0 : -1.0);
    const fpt middle{(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, a.z};
    const fpt centre{middle.x - dy / chord * offset, middle.y + dx / chord * offset, a.z};
    const double start = std::atan2(a.y - centre.y, a.x - centre.x);
    std::vector<fpt> out = arc_points(centre, radius, start, sweep);
    if (out.size() < 2)
        return {a, b}; // an arc too large to divide: its chord, never nothing
    out.front() = a;
    out.back() = {b.x, b.y, a.z};
    return out;
}

std::vector<fpt> bspline_points(int degree, const std::vector<double> &knots,
                                const std::vector<fpt> &control, const std::vector<double> &weights)
{
    const std::size_t n = control.size();
    const std::size_t p = degree < 1 ? 1 : static_cast<std::size_t>(degree);
    if (n < 2 || p >= n || p > 20 || knots.size() != n + p + 1)
        return {};
    const bool rational = weights.size() == n;
    for (std::size_t i = 1; i < knots.size(); ++i)
        if (!(knots[i] >= knots[i - 1]))
            return {};
    const double t0 = knots[p];
    const double t1 = knots[n];
    if (!(t1 > t0))
        return {};
    const std::size_t count = std::min(max_spline_points, (n - p) * samples_per_span + 1);
    std::vector<fpt> out;
    out.reserve(count);
    std::vector<double> wx(p + 1), wy(p + 1), wz(p + 1), ww(p + 1);
    for (std::size_t s = 0; s < count; ++s) {
        const double t = s + 1 == count ? t1 : t0 + (t1 - t0) * s / (count - 1);
        // The span k with knots[k] <= t < knots[k + 1], within [p, n - 1].
        std::size_t k = static_cast<std::size_t>(
            std::upper_bound(knots.begin() + static_cast<long>(p), knots.begin() + static_cast<long>(n), t) -
            knots.begin());
        k = std::clamp<std::size_t>(k == 0 ? 0 : k - 1, p, n - 1);
        // de Boor in homogeneous coordinates.
        for (std::size_t j = 0; j <= p; ++j) {
            const fpt &c = control[k - p + j];
            const double w = rational ? weights[k - p + j] : 1.0;
            wx[j] = c.x * w;
            wy[j] = c.y * w;
            wz[j] = c.z * w;
            ww[j] = w;
        }
        for (std::size_t r = 1; r <= p; ++r) {
            for (std::size_t j = p; j >= r; --j) {
                const std::size_t i = k - p + j;
                const double span = knots[i + p - r + 1] - knots[i];
                const double alpha = span > 0.0 ? (t - knots[i]) / span : 0.0;
                wx[j] = (1 - alpha) * wx[j - 1] + alpha * wx[j];
                wy[j] = (1 - alpha) * wy[j - 1] + alpha * wy[j];
                wz[j] = (1 - alpha) * wz[j - 1] + alpha * wz[j];
                ww[j] = (1 - alpha) * ww[j - 1] + alpha * ww[j];
            }
        }
        if (ww[p] != 0.0 && std::isfinite(ww[p]))
            out.push_back({wx[p] / ww[p], wy[p] / ww[p], wz[p] / ww[p]});
    }
    return out;
}

std::vector<fpt> through_points(const std::vector<fpt> &fit, bool closed)
{
    const std::size_t n = fit.size();
    if (n < 3)
        return fit;
    std::vector<fpt> out;
    const std::size_t spans = closed ? n : n - 1;
    out.reserve(std::min(max_spline_points, spans * samples_per_span + 1));
    auto at = [&](long i) {
        if (closed)
            return fit[static_cast<std::size_t>((i % static_cast<long>(n) + static_cast<long>(n)) %
                                                static_cast<long>(n))];
        if (i < 0)
            return fit[0] * 2.0 - fit[1];
        if (i >= static_cast<long>(n))
            return fit[n - 1] * 2.0 - fit[n - 2];
        return fit[static_cast<std::size_t>(i)];
    };
    for (std::size_t s = 0; s < spans && out.size() < max_spline_points; ++s) {
        const long i = static_cast<long>(s);
        const fpt p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        // Centripetal parameters: no loops or cusps at uneven spacing.
        const double d0 = std::sqrt(std::max(fpt_length(p1 - p0), 1e-12));
        const double d1 = std::sqrt(std::max(fpt_length(p2 - p1), 1e-12));
        const double d2 = std::sqrt(std::max(fpt_length(p3 - p2), 1e-12));
        const fpt m1 = ((p1 - p0) * (1.0 / d0) - (p2 - p0) * (1.0 / (d0 + d1)) + (p2 - p1) * (1.0 / d1)) * d1;
        const fpt m2 = ((p2 - p1) * (1.0 / d1) - (p3 - p1) * (1.0 / (d1 + d2)) + (p3 - p2) * (1.0 / d2)) * d1;
        for (int k = 0; k < samples_per_span; ++k) {
            const double t = static_cast<double>(k) / samples_per_span;
            const double t2 = t * t, t3 = t2 * t;
            out.push_back(p1 * (2 * t3 - 3 * t2 + 1) + m1 * (t3 - 2 * t2 + t) +
                          p2 * (-2 * t3 + 3 * t2) + m2 * (t3 - t2));
        }
    }
    out.push_back(closed ? fit[0] : fit[n - 1]);
    return out;
}

void full_line(const fm_entity &e, const fm_pen &pen)
{
    pen_line(pen, e.Point(10), e.Point(11));
}

void full_point(const fm_entity &e, const fm_pen &pen)
{
    pen_point(pen, e.Point(10));
}

void full_circle(const fm_entity &e, const fm_pen &pen)
{
    const fm_pen p = pen_in_ocs(pen, e);
    fpt centre = e.Point(10);
    centre.z += e.Real(38);
    std::vector<fpt> ring = arc_points(centre, e.Real(40), 0.0, two_pi);
    if (ring.empty())
        return;
    ring.pop_back();
    pen_path(p, ring, true);
    const double thickness = e.Real(39);
    if (thickness != 0.0 && std::isfinite(thickness)) {
        const fpt h{0.0, 0.0, thickness};
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const fpt &a = ring[i];
            const fpt &b = ring[(i + 1) % ring.size()];
            pen_quad(p, a, a + h, b + h, b);
        }
    }
}

void full_arc(const fm_entity &e, const fm_pen &pen)
{
    const fm_pen p = pen_in_ocs(pen, e);
    fpt centre = e.Point(10);
    centre.z += e.Real(38);
    const double start = e.Angle(50);
    pen_path(p, arc_points(centre, e.Real(40), start, ccw_sweep(start, e.Angle(51))), false);
}

void full_ellipse(const fm_entity &e, const fm_pen &pen)
{
    // Centre and major axis are in world coordinates; the extrusion only
    // fixes the minor axis' side.
    const fpt centre = e.Point(10);
    const fpt major = e.Point(11);
    const fpt normal = fpt_scale_to_length(e.Point(210, {0.0, 0.0, 1.0}), 1.0);
    const double ratio = e.Real(40, 1.0);
    const fpt minor = fpt_cross(normal, major) * ratio;
    const double start = e.Real(41, 0.0);
    double end = e.Real(42, two_pi);
    double sweep = std::fabs(end - start - two_pi) < 1e-12 ? two_pi : ccw_sweep(start, end);
    pen_path(pen, ellipse_points(centre, major, minor, start, sweep), false);
}

void full_spline(const fm_entity &e, const fm_pen &pen)
{
    std::vector<double> knots;
    std::vector<double> weights;
    std::vector<fpt> control;
    std::vector<fpt> fit;
    for (const fm_group &g : e.groups) {
        switch (g.code) {
        case 40: knots.push_back(g.point.x); break;
        case 41: weights.push_back(g.point.x); break;
        case 10: control.push_back(g.point); break;
        case 11: fit.push_back(g.point); break;
        default: break;
        }
    }
    const bool closed = (e.Number(70) & 1) != 0;
    std::vector<fpt> points = bspline_points(static_cast<int>(e.Number(71, 3)), knots, control, weights);
    if (points.empty() && !fit.empty())
        points = through_points(fit, closed);
    if (points.empty())
        points = control; // no usable knots: the control polygon
    pen_path(pen, points, false);
}

void full_3dface(const fm_entity &e, const fm_pen &pen)
{
    const fpt p1 = e.Point(10), p2 = e.Point(11), p3 = e.Point(12);
    pen_quad(pen, p1, p2, p3, e.Point(13, p3));
}
