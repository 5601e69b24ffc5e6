#include "edge_tracing.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int max_depth = 14;
constexpr std::size_t max_edge_points = 200000;

struct tracer {
    const bspline_curve &spline;
    const surface_param *a;
    const surface_param *b;
    double tol;
    double reach;
    double lo, period;
    bool periodic;
    std::vector<v3> &out;

    v3 at(double t) const
    {
        if (periodic) {
            t = lo + std::fmod(t - lo, period);
            if (t < lo)
                t += period;
        }
        return project_to_surfaces(a, b, spline.eval(t), reach);
    }

    // Appends the points strictly between ta and tb, then pb.
    void run(double ta, v3 pa, double tb, v3 pb, int depth)
    {
        double tm = (ta + tb) / 2;
        v3 pm = at(tm);
        if (depth < max_depth && out.size() < max_edge_points && length(pm - (pa + pb) * 0.5) > tol) {
            run(ta, pa, tm, pm, depth + 1);
            run(tm, pm, tb, pb, depth + 1);
            return;
        }
        out.push_back(pb);
    }
};

} // namespace

bool surface_distance(const surface_param &s, v3 p, double &f, v3 &g)
{
    v3 d = p - s.centre;
    switch (s.kind) {
    case surface_kind::plane:
        f = dot(d, s.axis);
        g = s.axis;
        return true;
    case surface_kind::sphere: {
        double r = length(d);
        if (!(r > 0.0))
            return false;
        f = r - s.radius;
        g = d * (1.0 / r);
        return true;
    }
    case surface_kind::cone: {
        if (s.ratio != 1.0)
            return false;
        double z = dot(d, s.axis);
        v3 e = d - s.axis * z;
        double rho = length(e);
        if (!normalize(e))
            e = s.xdir;
        double k = s.radius * s.slope, n = std::sqrt(1.0 + k * k);
        f = (rho - s.radius * (1.0 + s.slope * z)) / n;
        g = (e - s.axis * k) * (1.0 / n);
        return true;
    }
    case surface_kind::torus: {
        double z = dot(d, s.axis);
        v3 e = d - s.axis * z;
        double rho = length(e);
        if (!normalize(e))
            e = s.xdir;
        v3 q = e * (rho - s.radius) + s.axis * z;
        double m = length(q);
        if (!(m > 0.0))
            return false;
        f = m - s.minor;
        g = q * (1.0 / m);
        return true;
    }
    default:
        return false;
    }
}

v3 project_to_surfaces(const surface_param *a, const surface_param *b, v3 p, double reach)
{
    v3 start = p;
    for (int it = 0; it < 30; ++it) {
        double fa = 0, fb = 0;
        v3 ga, gb;
        bool ha = a && surface_distance(*a, p, fa, ga);
        bool hb = b && surface_distance(*b, p, fb, gb);
        v3 step;
        if (ha && hb) {
            double g11 = dot(ga, ga), g12 = dot(ga, gb), g22 = dot(gb, gb);
            double det = g11 * g22 - g12 * g12;
            if (det > 1e-10 * g11 * g22) {
                double x = (fa * g22 - fb * g12) / det, y = (fb * g11 - fa * g12) / det;
                step = ga * x + gb * y;
            } else {
                step = ga * (fa / g11); // touching surfaces: one of them will do
            }
        } else if (ha) {
            step = ga * (fa / dot(ga, ga));
        } else if (hb) {
            step = gb * (fb / dot(gb, gb));
        } else {
            return start;
        }
        p = p - step;
        if (!(length(p - start) <= reach))
            return start;
        if (length(step) <= 1e-13 * std::max(1.0, length(p)))
            break;
    }
    return p;
}

bool trace_spline_edge(const sat_curve &c, v3 p0, v3 p1, bool closed_edge, bool against, const surface_param *a,
                       const surface_param *b, double tol, std::vector<v3> &out, std::string &why)
{
    const bspline_curve &s = c.spline;
    double lo = s.start(), hi = s.end(), period = hi - lo;
    bool closed_curve = s.closed();
    double t0 = s.nearest(p0), t1 = closed_edge ? t0 : s.nearest(p1);
    // The approximation is only as good as the modeller's fit: allow for it.
    double size = 0.0;
    for (v3 q : s.controls)
        size = std::max(size, length(q - s.controls.front()));
    double slack = std::max(tol * 20.0, size * 1e-3);
    if (length(s.eval(t0) - p0) > slack || length(s.eval(t1) - p1) > slack) {
        why = "its B-spline does not pass through the edge's vertices";
        return false;
    }
    double eps = period * 1e-9;
    if (closed_edge) {
        if (!closed_curve) {
            why = "a closed edge on an open B-spline";
            return false;
        }
        t1 = against ? t0 - period : t0 + period;
    } else if (!against && t1 <= t0 + eps && closed_curve) {
        t1 += period;
    } else if (against && t1 >= t0 - eps && closed_curve) {
        t1 -= period;
    }
    tracer tr{s, a, b, tol, slack, lo, period, closed_curve, out};
    out.clear();
    out.push_back(p0);
    // Start from a few even steps so that no turn of the curve is missed.
    int pieces = static_cast<int>(std::clamp<std::size_t>(s.controls.size() * 2, 8, 4096));
    double ta = t0;
    v3 pa = p0;
    for (int k = 1; k <= pieces; ++k) {
        double tb = t0 + (t1 - t0) * k / pieces;
        v3 pb = k == pieces ? p1 : tr.at(tb);
        tr.run(ta, pa, tb, pb, 0);
        ta = tb;
        pa = pb;
    }
    return true;
}
