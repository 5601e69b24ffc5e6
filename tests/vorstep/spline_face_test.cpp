// Faces on spline surfaces: a block whose top is a bicubic patch, trimmed
// to a part of the patch's parameter range, checked against integrals of
// the patch computed here from its Bernstein form.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

#include "mesh_check.h"
#include "sat_builder.h"
#include "spline_surface.h"

namespace {

using namespace vorstep_check;

constexpr double pi = 3.14159265358979323846;

double bernstein(int i, double t)
{
    static const double binomial[4] = {1, 3, 3, 1};
    return binomial[i] * std::pow(t, i) * std::pow(1 - t, 3 - i);
}

// A rational bicubic patch over [-1, 3] x [-1, 3] with weights a_i b_j, so
// that x depends on u alone and y on v alone: the planes x = X(u0) and
// y = Y(v0) cut it along parameter lines.
struct patch {
    std::array<std::array<double, 4>, 4> height{};
    std::array<double, 4> a{1, 1, 1, 1}, b{1, 1, 1, 1};

    v3 control(int i, int j) const { return {-1 + 4.0 * i / 3, -1 + 4.0 * j / 3, height[i][j]}; }

    v3 at(double u, double v) const
    {
        v3 sum;
        double w = 0.0;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                double f = a[i] * b[j] * bernstein(i, u) * bernstein(j, v);
                sum = sum + control(i, j) * f;
                w += f;
            }
        return sum * (1.0 / w);
    }

    // The parameter line at u = u0 (or v = v0) as a rational Bezier curve:
    // x y z w for each of its four controls.
    std::vector<double> line(bool along_v, double t0) const
    {
        std::vector<double> out;
        double total = 0.0;
        for (int k = 0; k < 4; ++k)
            total += (along_v ? a[k] : b[k]) * bernstein(k, t0);
        for (int m = 0; m < 4; ++m) {
            v3 q;
            for (int k = 0; k < 4; ++k) {
                double f = (along_v ? a[k] : b[k]) * bernstein(k, t0) / total;
                q = q + (along_v ? control(k, m) : control(m, k)) * f;
            }
            out.insert(out.end(), {q.x, q.y, q.z, along_v ? b[m] : a[m]});
        }
        return out;
    }

    // The net in the file's order, v running fastest unless `u_fastest`.
    std::vector<double> net(bool rational, bool u_fastest) const
    {
        std::vector<double> out;
        for (int outer = 0; outer < 4; ++outer)
            for (int inner = 0; inner < 4; ++inner) {
                int i = u_fastest ? inner : outer, j = u_fastest ? outer : inner;
                v3 p = control(i, j);
                out.insert(out.end(), {p.x, p.y, p.z});
                if (rational)
                    out.push_back(a[i] * b[j]);
            }
        return out;
    }
};

// Simpson's rule over [lo, hi] with n (even) intervals.
double simpson(const std::function<double(double)> &f, double lo, double hi, int n = 200)
{
    double sum = 0.0;
    for (int k = 0; k <= n; ++k)
        sum += ((k == 0 || k == n) ? 1 : (k % 2 ? 4 : 2)) * f(lo + (hi - lo) * k / n);
    return sum * (hi - lo) / n / 3;
}

struct expected {
    double volume = 0.0;
    double area = 0.0;
};

// The block under the patch over [lo, hi]^2 in (u, v), down to z = 0.
expected integrate(const patch &p, double lo, double hi)
{
    const double h = 1e-6;
    auto du = [&](double u, double v) { return (p.at(u + h, v) - p.at(u - h, v)) * (0.5 / h); };
    auto dv = [&](double u, double v) { return (p.at(u, v + h) - p.at(u, v - h)) * (0.5 / h); };
    expected e;
    e.volume = simpson([&](double u) { return simpson([&](double v) { return p.at(u, v).z * du(u, v).x * dv(u, v).y; }, lo, hi); }, lo, hi);
    double top = simpson([&](double u) { return simpson([&](double v) { return length(cross(du(u, v), dv(u, v))); }, lo, hi); }, lo, hi);
    double sides = 0.0;
    for (double t : {lo, hi}) {
        sides += simpson([&](double v) { return p.at(t, v).z * dv(t, v).y; }, lo, hi);
        sides += simpson([&](double u) { return p.at(u, t).z * du(u, t).x; }, lo, hi);
    }
    double x0 = p.at(lo, lo).x, x1 = p.at(hi, lo).x, y0 = p.at(lo, lo).y, y1 = p.at(lo, hi).y;
    e.area = top + sides + (x1 - x0) * (y1 - y0);
    return e;
}

// The block as SAT text: four planar sides, a flat bottom, the patch on top
// bounded by its parameter lines u, v = lo, hi (exact spline edges) with
// straight pcurves.
std::string block(const patch &p, double lo, double hi, bool rational, bool u_fastest, bool pcurves, int version)
{
    sat_builder b(version);
    v3 top[2][2];
    int T[2][2], B[2][2];
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            top[i][j] = p.at(i ? hi : lo, j ? hi : lo);
            T[i][j] = b.vertex(top[i][j]);
            B[i][j] = b.vertex({top[i][j].x, top[i][j].y, 0});
        }
    const std::vector<std::pair<double, int>> bezier = {{0, 3}, {1, 3}};
    auto edge = [&](bool along_v, double t0, int from, int to) {
        std::vector<double> ctl = p.line(along_v, t0);
        return b.spline_edge(from, to, 3, bezier, ctl, true);
    };
    int front = edge(false, lo, T[0][0], T[1][0]), back = edge(false, hi, T[0][1], T[1][1]);
    int left = edge(true, lo, T[0][0], T[0][1]), right = edge(true, hi, T[1][0], T[1][1]);
    auto straight = [&](v2 from, v2 to) {
        return pcurves ? b.pcurve(1, {{0, 1}, {1, 1}}, {from.u, from.v, to.u, to.v}) : -1;
    };
    b.face(sat_builder::spline(3, 3, bezier, bezier, p.net(rational, u_fastest), rational),
           {{{front, false, straight({lo, lo}, {hi, lo})},
             {right, false, straight({hi, lo}, {hi, hi})},
             {back, true, straight({hi, hi}, {lo, hi})},
             {left, true, straight({lo, hi}, {lo, lo})}}});
    v3 x0 = top[0][0], x1 = top[1][1];
    b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {b.polygon({B[0][0], B[0][1], B[1][1], B[1][0]})});
    auto side = [&](int a, int c, int c_top, int a_top, sat_builder::coedge upper) {
        auto ring = b.polygon({a, c, c_top, a_top});
        ring[2] = upper;
        return ring;
    };
    b.face(sat_builder::plane(x0, {0, -1, 0}, {1, 0, 0}), {side(B[0][0], B[1][0], T[1][0], T[0][0], {front, true})});
    b.face(sat_builder::plane(x1, {1, 0, 0}, {0, 1, 0}), {side(B[1][0], B[1][1], T[1][1], T[1][0], {right, true})});
    b.face(sat_builder::plane(x1, {0, 1, 0}, {1, 0, 0}), {side(B[1][1], B[0][1], T[0][1], T[1][1], {back, false})});
    b.face(sat_builder::plane(x0, {-1, 0, 0}, {0, 1, 0}), {side(B[0][1], B[0][0], T[0][0], T[0][1], {left, false})});
    return b.text();
}

patch bump()
{
    patch p;
    const double h[4][4] = {{1, 1.2, 1.1, 1}, {1.3, 1.8, 1.6, 1.1}, {1.1, 1.7, 1.9, 1.2}, {1, 1.1, 1.3, 1}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            p.height[i][j] = h[i][j];
    return p;
}

} // namespace

TEST(VorstepSplineFaces, TrimmedBicubicPatch)
{
    const patch p = bump();
    expected e = integrate(p, 0.25, 0.75);
    for (int version : {700, 3000, 21500})
        for (bool pcurves : {true, false}) {
            SCOPED_TRACE(version);
            SCOPED_TRACE(pcurves ? "with pcurves" : "without pcurves");
            mesh_check m = mesh_text(block(p, 0.25, 0.75, false, false, pcurves, version));
            EXPECT_TRUE(m.warnings.empty()) << m.warnings.front();
            expect_near_rel(m.volume, e.volume, 0.01, "volume");
            expect_near_rel(m.area, e.area, 0.02, "area");
            EXPECT_TRUE(m.watertight);
        }
}

TEST(VorstepSplineFaces, RationalPatchWithItsNetWrittenAcross)
{
    patch p = bump();
    p.a = {1, 2, 0.5, 1};
    p.b = {1, 0.7, 1.6, 1};
    expected e = integrate(p, 0.2, 0.9);
    for (bool u_fastest : {false, true}) {
        SCOPED_TRACE(u_fastest ? "u fastest" : "v fastest");
        mesh_check m = mesh_text(block(p, 0.2, 0.9, true, u_fastest, true, 21500));
        EXPECT_TRUE(m.warnings.empty()) << m.warnings.front();
        expect_near_rel(m.volume, e.volume, 0.01, "volume");
        expect_near_rel(m.area, e.area, 0.02, "area");
        EXPECT_TRUE(m.watertight);
    }
}

TEST(VorstepSplineFaces, SurfaceEvaluationMatchesItsBernsteinForm)
{
    patch p = bump();
    p.a = {1, 2, 0.5, 1};
    p.b = {1, 0.7, 1.6, 1};
    sat_text sat;
    std::string error;
    ASSERT_TRUE(sat_split("s " + sat_builder::spline(3, 3, {{0, 3}, {1, 3}}, {{0, 3}, {1, 3}}, p.net(true, false), true) + " #",
                          sat, error));
    const auto &tokens = sat.records[0].tokens;
    std::size_t at = 0;
    while (at < tokens.size() && tokens[at] != "nurbs")
        ++at;
    bspline_surface s;
    std::string why;
    ASSERT_TRUE(parse_spline_surface(tokens, at, s, why)) << why;
    for (double u : {0.0, 0.3, 1.0})
        for (double v : {0.0, 0.55, 1.0}) {
            v3 want = p.at(u, v), got, du, dv;
            s.eval({u, v}, got, du, dv);
            EXPECT_NEAR(length(got - want), 0.0, 1e-12);
            const double h = 1e-6;
            v3 fu = (p.at(std::min(u + h, 1.0), v) - p.at(std::max(u - h, 0.0), v)) * (1.0 / (std::min(u + h, 1.0) - std::max(u - h, 0.0)));
            EXPECT_NEAR(length(du - fu), 0.0, 1e-5 * length(fu));
            v2 back = s.settle(want, {0.5, 0.5});
            EXPECT_NEAR(back.u, u, 1e-9);
            EXPECT_NEAR(back.v, v, 1e-9);
        }
    // Malformed nets are refused, not read past their end.
    for (const char *bad : {"nubs 3 3 open open none none 2 2 0 3 1 3 0 3 1 3 0 0 0",
                            "nubs 3 3 open open none none 2 99999 0 3 1 3 0 3 1 3",
                            "nurbs 1 1 2 2 0 1 1 1 0 1 1 1 0 0 0 0 1 0 0 1 0 1 0 1 1 1 0 1"}) {
        ASSERT_TRUE(sat_split(std::string("s ") + bad + " #", sat, error));
        EXPECT_FALSE(parse_spline_surface(sat.records[0].tokens, 0, s, why)) << bad;
    }
}

TEST(VorstepSplineFaces, ProceduralSplineSurfaceIsNamedAndSkipped)
{
    for (int version : {700, 3000}) {
        SCOPED_TRACE(version);
        sat_builder b(version);
        b.face("spline-surface forward { sweepsur 0 0 0 1 } I I I I", {});
        b.face(sat_builder::sphere({5, 0, 0}, 1), {});
        mesh_check m = mesh_text(b.text());
        ASSERT_EQ(m.warnings.size(), 1u);
        EXPECT_NE(m.warnings[0].find("spline-surface"), std::string::npos) << m.warnings[0];
        EXPECT_NE(m.warnings[0].find("sweepsur"), std::string::npos) << m.warnings[0];
        expect_near_rel(m.area, 4 * pi, 0.01, "area of the faces that could be done");
    }
}
