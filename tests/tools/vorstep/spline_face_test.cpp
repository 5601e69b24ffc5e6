// Faces on spline surfaces: a block whose top is a bicubic patch, trimmed
// to a part of the patch's parameter range, checked against integrals of
// the patch computed from its Bernstein form.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

#include "mesh_check.h"
#include "sat_builder.h"
#include "typical_solids.h"
#include "spline_surface.h"

namespace {

using namespace vorstep_check;
using typical_solids::block;
using typical_solids::bump;
using typical_solids::patch;

constexpr double pi = 3.14159265358979323846;

// Simpson's rule over [lo, hi] with n (even) intervals.
double simpson(const std::function<double(double)> &f, double lo, double hi, int n = 64)
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
            expect_closed_solid(m, e.volume, e.area);
        }
}

TEST(VorstepSplineFaces, RationalPatchWrittenAcrossAndMirrored)
{
    patch p = bump();
    p.a = {1, 2, 0.5, 1};
    p.b = {1, 0.7, 1.6, 1};
    expected e = integrate(p, 0.2, 0.9);
    for (bool u_fastest : {false, true}) {
        SCOPED_TRACE(u_fastest ? "u fastest, mirrored" : "v fastest");
        mesh_check m = mesh_text(block(p, 0.2, 0.9, true, u_fastest, true, 21500, u_fastest));
        expect_closed_solid(m, e.volume, e.area);
    }
}

// A cylinder whose side is a rational spline surface closed round its axis
// (as lofts between two circles come): its two circles go round the
// surface's closed direction and bound a band.  The net is written with its
// closed direction as u, or as v.
TEST(VorstepSplineFaces, BandRoundAClosedSplineSurface)
{
    const double w = std::sqrt(0.5), h = 2;
    const double ring[9][3] = {{1, 0, 1}, {1, 1, w}, {0, 1, 1}, {-1, 1, w}, {-1, 0, 1},
                               {-1, -1, w}, {0, -1, 1}, {1, -1, w}, {1, 0, 1}};
    const std::vector<std::pair<double, int>> round = {{0, 2}, {0.25, 2}, {0.5, 2}, {0.75, 2}, {1, 2}}, straight = {{0, 1}, {1, 1}};
    for (bool round_in_u : {true, false})
        for (bool pcurves : {false, true}) {
            SCOPED_TRACE(round_in_u ? "closed in u" : "closed in v");
            SCOPED_TRACE(pcurves ? "with pcurves" : "without pcurves");
            std::vector<double> net;
            for (int i = 0; i < (round_in_u ? 9 : 2); ++i)
                for (int j = 0; j < (round_in_u ? 2 : 9); ++j) {
                    const double *c = ring[round_in_u ? i : j];
                    double z = h * (round_in_u ? j : i);
                    net.insert(net.end(), {c[0] * c[2], c[1] * c[2], z * c[2], c[2]});
                }
            // Controls are written unweighted.
            for (std::size_t k = 0; k < net.size(); k += 4)
                for (int c = 0; c < 3; ++c)
                    net[k + static_cast<std::size_t>(c)] /= net[k + 3];
            sat_builder b(21500);
            int A = b.vertex({1, 0, 0}), B = b.vertex({1, 0, h});
            int low = b.circle(A, {0, 0, 0}, {0, 0, 1}, {1, 0, 0}), high = b.circle(B, {0, 0, h}, {0, 0, 1}, {1, 0, 0});
            auto line = [&](v2 from, v2 to) {
                if (!pcurves)
                    return -1;
                if (!round_in_u)
                    std::swap(from.u, from.v), std::swap(to.u, to.v);
                return b.pcurve(1, {{0, 1}, {1, 1}}, {from.u, from.v, to.u, to.v});
            };
            std::string side = round_in_u ? sat_builder::spline(2, 1, round, straight, net, true)
                                          : sat_builder::spline(1, 2, straight, round, net, true);
            if (!round_in_u)
                side.replace(side.find("forward"), 7, "reversed");
            b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {{{low, true}}});
            b.face(sat_builder::plane({0, 0, h}, {0, 0, 1}, {1, 0, 0}), {{{high, false}}});
            b.face(side, {{{low, false, line({0, 0}, {1, 0})}}, {{high, true, line({1, 1}, {0, 1})}}});
            mesh_check m = mesh_text(b.text());
            expect_closed_solid(m, pi * h, 2 * pi + 2 * pi * h);
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
