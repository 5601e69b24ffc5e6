#include "spline_surface.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "bspline.h"

using namespace bspline_text;

namespace {

constexpr std::size_t max_net = 4000000;

// The span k with knots[k] <= t < knots[k + 1] among the controls, and the
// degree + 1 basis functions that are not zero there with their derivatives.
std::size_t basis(const std::vector<double> &knots, int degree, std::size_t count, double t, double *n, double *dn)
{
    const std::size_t p = static_cast<std::size_t>(degree);
    t = std::clamp(t, knots[p], knots[count]);
    std::size_t k = static_cast<std::size_t>(
        std::upper_bound(knots.begin() + static_cast<long>(p), knots.begin() + static_cast<long>(count), t) - knots.begin());
    k = std::clamp<std::size_t>(k == 0 ? 0 : k - 1, p, count - 1);
    // Basis functions of degree p - 1 first (for the derivatives), then p.
    double left[max_degree + 1], right[max_degree + 1], lower[max_degree + 1];
    n[0] = 1.0;
    for (std::size_t j = 1; j <= p; ++j) {
        left[j] = t - knots[k + 1 - j];
        right[j] = knots[k + j] - t;
        if (j == p)
            std::copy(n, n + p, lower);
        double saved = 0.0;
        for (std::size_t r = 0; r < j; ++r) {
            double den = right[r + 1] + left[j - r];
            double temp = den != 0.0 ? n[r] / den : 0.0;
            n[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        n[j] = saved;
    }
    // N'_{i,p} = p (N_{i,p-1} / (u_{i+p} - u_i) - N_{i+1,p-1} / (u_{i+p+1} - u_{i+1})).
    for (std::size_t r = 0; r <= p; ++r) {
        std::size_t i = k - p + r;
        double a = 0.0, b = 0.0;
        if (r >= 1) {
            double den = knots[i + p] - knots[i];
            a = den != 0.0 ? lower[r - 1] / den : 0.0;
        }
        if (r < p) {
            double den = knots[i + p + 1] - knots[i + 1];
            b = den != 0.0 ? lower[r] / den : 0.0;
        }
        dn[r] = static_cast<double>(p) * (a - b);
    }
    return k;
}

} // namespace

void bspline_surface::eval(v2 uv, v3 &p, v3 &du, v3 &dv) const
{
    double nu[max_degree + 1], dnu[max_degree + 1], nv[max_degree + 1], dnv[max_degree + 1];
    std::size_t ku = basis(knots_u, degree_u, count_u, uv.u, nu, dnu);
    std::size_t kv = basis(knots_v, degree_v, count_v, uv.v, nv, dnv);
    const std::size_t pu = static_cast<std::size_t>(degree_u), pv = static_cast<std::size_t>(degree_v);
    v3 a, au, av; // weighted sums
    double w = 0.0, wu = 0.0, wv = 0.0;
    for (std::size_t r = 0; r <= pu; ++r)
        for (std::size_t s = 0; s <= pv; ++s) {
            std::size_t index = (ku - pu + r) * count_v + (kv - pv + s);
            double wi = rational ? weights[index] : 1.0;
            v3 c = controls[index] * wi;
            a = a + c * (nu[r] * nv[s]);
            au = au + c * (dnu[r] * nv[s]);
            av = av + c * (nu[r] * dnv[s]);
            w += wi * nu[r] * nv[s];
            wu += wi * dnu[r] * nv[s];
            wv += wi * nu[r] * dnv[s];
        }
    if (!(w > 0.0))
        w = 1.0;
    p = a * (1.0 / w);
    du = (au - p * wu) * (1.0 / w);
    dv = (av - p * wv) * (1.0 / w);
}

v3 bspline_surface::eval(v2 uv) const
{
    v3 p, du, dv;
    eval(uv, p, du, dv);
    return p;
}

bspline_surface bspline_surface::transposed_net() const
{
    bspline_surface t = *this;
    for (std::size_t i = 0; i < count_u; ++i)
        for (std::size_t j = 0; j < count_v; ++j) {
            t.controls[i * count_v + j] = controls[j * count_u + i];
            if (rational)
                t.weights[i * count_v + j] = weights[j * count_u + i];
        }
    return t;
}

v2 bspline_surface::settle(v3 target, v2 uv, bool round_u, bool round_v) const
{
    auto keep = [](double t, double lo, double hi, bool round) {
        if (!round)
            return std::clamp(t, lo, hi);
        double r = std::fmod(t - lo, hi - lo);
        return lo + (r < 0 ? r + (hi - lo) : r);
    };
    for (int it = 0; it < 30; ++it) {
        v3 p, du, dv;
        eval(uv, p, du, dv);
        v3 d = target - p;
        double a = dot(du, du), b = dot(du, dv), c = dot(dv, dv);
        double det = a * c - b * b;
        if (!(det > 1e-30 * std::max(a * c, 1e-300)))
            break; // a degenerate spot (a pole): stay
        double x = (c * dot(du, d) - b * dot(dv, d)) / det, y = (a * dot(dv, d) - b * dot(du, d)) / det;
        if (!std::isfinite(x) || !std::isfinite(y))
            break;
        v2 next{keep(uv.u + x, u_start(), u_end(), round_u), keep(uv.v + y, v_start(), v_end(), round_v)};
        double moved = std::fabs(next.u - uv.u) + std::fabs(next.v - uv.v);
        uv = next;
        if (moved <= 1e-14 * (u_end() - u_start() + v_end() - v_start()))
            break;
    }
    return uv;
}

bool parse_spline_surface(const std::vector<std::string> &t, std::size_t pos, bspline_surface &out, std::string &why)
{
    out = bspline_surface{};
    if (pos >= t.size() || (t[pos] != "nubs" && t[pos] != "nurbs")) {
        why = "no control net";
        return false;
    }
    out.rational = t[pos++] == "nurbs";
    long du = 0, dv = 0;
    if (!integer(t, pos, 1, max_degree, du) || !integer(t, pos, 1, max_degree, dv)) {
        why = "bad spline surface degree";
        return false;
    }
    out.degree_u = static_cast<int>(du);
    out.degree_v = static_cast<int>(dv);
    // Closure and singularity of each direction, as words.
    for (int k = 0; k < 4 && pos < t.size() && !t[pos].empty() && std::isalpha(static_cast<unsigned char>(t[pos][0])); ++k)
        ++pos;
    long nu = 0, nv = 0;
    std::size_t left = t.size() - std::min(t.size(), pos);
    if (!integer(t, pos, 2, static_cast<long>(max_controls), nu) || !integer(t, pos, 2, static_cast<long>(max_controls), nv) ||
        static_cast<std::size_t>(nu + nv) * 2 > left) {
        why = "bad spline surface knot count";
        return false;
    }
    if (!knots(t, pos, out.degree_u, nu, out.knots_u, why) || !knots(t, pos, out.degree_v, nv, out.knots_v, why))
        return false;
    out.count_u = out.knots_u.size() - static_cast<std::size_t>(du) - 1;
    out.count_v = out.knots_v.size() - static_cast<std::size_t>(dv) - 1;
    if (out.count_u < static_cast<std::size_t>(du) + 1 || out.count_v < static_cast<std::size_t>(dv) + 1) {
        why = "too few control points for the spline surface's degree";
        return false;
    }
    std::size_t per = out.rational ? 4 : 3;
    if (out.count_u > max_net / out.count_v || out.count_u * out.count_v * per > t.size() - std::min(t.size(), pos)) {
        why = "spline surface control points missing";
        return false;
    }
    for (std::size_t k = 0; k < out.count_u * out.count_v; ++k) {
        v3 p;
        double w = 1.0;
        if (!control(t, pos, 3, out.rational, p, w)) {
            why = "bad spline surface control point";
            return false;
        }
        out.controls.push_back(p);
        if (out.rational)
            out.weights.push_back(w);
    }
    if (!(out.u_end() > out.u_start()) || !(out.v_end() > out.v_start())) {
        why = "empty spline surface parameter range";
        return false;
    }
    return true;
}
