#include "bspline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace bspline_text {

bool number(const std::vector<std::string> &t, std::size_t &pos, double &out)
{
    if (pos >= t.size())
        return false;
    char *end = nullptr;
    out = std::strtod(t[pos].c_str(), &end);
    if (t[pos].empty() || end != t[pos].c_str() + t[pos].size() || !std::isfinite(out))
        return false;
    ++pos;
    return true;
}

bool integer(const std::vector<std::string> &t, std::size_t &pos, long lo, long hi, long &out)
{
    double d;
    if (!number(t, pos, d) || d != std::floor(d) || d < static_cast<double>(lo) || d > static_cast<double>(hi))
        return false;
    out = static_cast<long>(d);
    return true;
}

bool control(const std::vector<std::string> &t, std::size_t &pos, int dimension, bool rational, v3 &p, double &w)
{
    p = {};
    w = 1.0;
    return number(t, pos, p.x) && number(t, pos, p.y) && (dimension < 3 || number(t, pos, p.z)) &&
           (!rational || (number(t, pos, w) && w > 0.0));
}

bool knots(const std::vector<std::string> &t, std::size_t &pos, int degree, long count, std::vector<double> &out,
           std::string &why)
{
    std::vector<double> written;
    double previous = -1e300;
    for (long k = 0; k < count; ++k) {
        double value;
        long mult;
        if (!number(t, pos, value) || !integer(t, pos, 1, degree + 1, mult) || value <= previous) {
            why = "bad B-spline knots";
            return false;
        }
        previous = value;
        written.insert(written.end(), static_cast<std::size_t>(mult), value);
    }
    // The end knots are written with the degree as multiplicity; the full
    // vector repeats each end once more.
    if (written.size() < static_cast<std::size_t>(degree) + 1) {
        why = "too few B-spline knots";
        return false;
    }
    out.clear();
    out.reserve(written.size() + 2);
    out.push_back(written.front());
    out.insert(out.end(), written.begin(), written.end());
    out.push_back(written.back());
    return true;
}

} // namespace bspline_text

using namespace bspline_text;

bool bspline_curve::closed() const
{
    v3 a = eval(start()), b = eval(end());
    double size = 0.0;
    for (v3 p : controls)
        size = std::max(size, length(p - controls.front()));
    return length(a - b) <= 1e-9 * std::max(size, 1e-300);
}

v3 bspline_curve::eval(double t) const
{
    const std::size_t p = static_cast<std::size_t>(degree), n = controls.size();
    t = std::clamp(t, start(), end());
    // The span k with knots[k] <= t < knots[k + 1], within [p, n - 1].
    std::size_t k = static_cast<std::size_t>(std::upper_bound(knots.begin() + static_cast<long>(p),
                                                              knots.begin() + static_cast<long>(n), t) -
                                             knots.begin());
    k = std::clamp<std::size_t>(k == 0 ? 0 : k - 1, p, n - 1);
    double x[max_degree + 1], y[max_degree + 1], z[max_degree + 1], w[max_degree + 1];
    for (std::size_t j = 0; j <= p; ++j) {
        std::size_t i = k - p + j;
        double wi = rational ? weights[i] : 1.0;
        x[j] = controls[i].x * wi;
        y[j] = controls[i].y * wi;
        z[j] = controls[i].z * wi;
        w[j] = wi;
    }
    for (std::size_t r = 1; r <= p; ++r)
        for (std::size_t j = p; j >= r; --j) {
            std::size_t i = k - p + j;
            double den = knots[i + p + 1 - r] - knots[i];
            double a = den > 0.0 ? (t - knots[i]) / den : 0.0;
            x[j] = (1 - a) * x[j - 1] + a * x[j];
            y[j] = (1 - a) * y[j - 1] + a * y[j];
            z[j] = (1 - a) * z[j - 1] + a * z[j];
            w[j] = (1 - a) * w[j - 1] + a * w[j];
        }
    double iw = w[p] != 0.0 ? 1.0 / w[p] : 1.0;
    return {x[p] * iw, y[p] * iw, z[p] * iw};
}

double bspline_curve::nearest(v3 p) const
{
    double lo = start(), hi = end();
    std::size_t samples = std::max<std::size_t>(64, controls.size() * 8);
    double best_t = lo, best_d = 1e300;
    for (std::size_t k = 0; k <= samples; ++k) {
        double t = lo + (hi - lo) * static_cast<double>(k) / static_cast<double>(samples);
        double d = length(eval(t) - p);
        if (d < best_d) {
            best_d = d;
            best_t = t;
        }
    }
    // Golden-section search in the neighbouring sample intervals.
    double step = (hi - lo) / static_cast<double>(samples);
    double a = std::max(lo, best_t - step), b = std::min(hi, best_t + step);
    const double g = 0.6180339887498949;
    double c = b - g * (b - a), d = a + g * (b - a);
    double fc = length(eval(c) - p), fd = length(eval(d) - p);
    for (int it = 0; it < 60 && b - a > 1e-15 * std::max(1.0, std::fabs(hi - lo)); ++it) {
        if (fc < fd) {
            b = d;
            d = c;
            fd = fc;
            c = b - g * (b - a);
            fc = length(eval(c) - p);
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + g * (b - a);
            fd = length(eval(d) - p);
        }
    }
    double t = (a + b) / 2;
    return length(eval(t) - p) < best_d ? t : best_t;
}

bool parse_bspline(const std::vector<std::string> &t, std::size_t pos, bspline_curve &out, std::string &why,
                   int dimension)
{
    out = bspline_curve{};
    if (pos >= t.size() || (t[pos] != "nubs" && t[pos] != "nurbs")) {
        why = "no B-spline data";
        return false;
    }
    out.rational = t[pos++] == "nurbs";
    long degree = 0, count = 0;
    if (!integer(t, pos, 1, max_degree, degree)) {
        why = "bad B-spline degree";
        return false;
    }
    out.degree = static_cast<int>(degree);
    if (pos < t.size() && (t[pos] == "open" || t[pos] == "closed" || t[pos] == "periodic"))
        ++pos;
    if (!integer(t, pos, 2, static_cast<long>(max_controls), count) ||
        static_cast<std::size_t>(count) * 2 > t.size() - std::min(t.size(), pos)) {
        why = "bad B-spline knot count";
        return false;
    }
    if (!knots(t, pos, out.degree, count, out.knots, why))
        return false;
    std::size_t controls = out.knots.size() - static_cast<std::size_t>(degree) - 1;
    if (controls < static_cast<std::size_t>(degree) + 1) {
        why = "too few B-spline control points for its degree";
        return false;
    }
    std::size_t per = static_cast<std::size_t>(dimension) + (out.rational ? 1 : 0);
    if (controls > max_controls || controls * per > t.size() - std::min(t.size(), pos)) {
        why = "B-spline control points missing";
        return false;
    }
    for (std::size_t k = 0; k < controls; ++k) {
        v3 p;
        double w = 1.0;
        if (!control(t, pos, dimension, out.rational, p, w)) {
            why = "bad B-spline control point";
            return false;
        }
        out.controls.push_back(p);
        if (out.rational)
            out.weights.push_back(w);
    }
    if (!(out.end() > out.start())) {
        why = "empty B-spline parameter range";
        return false;
    }
    return true;
}
