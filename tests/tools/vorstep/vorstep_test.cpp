#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>

#include "mesh_check.h"
#include "sat_builder.h"
#include "typical_solids.h"
#include "bspline.h"
#include "region_refiner.h"
#include "sat_model.h"
#include "sat_text.h"
#include "solid_mesher.h"

namespace {

using namespace vorstep_check;

constexpr double pi = 3.14159265358979323846;

// A box with corners lo and hi, faces counter-clockwise from outside.
void add_box(sat_builder &b, v3 lo, v3 hi, std::vector<int> *top_vertices = nullptr)
{
    int v[8];
    for (int k = 0; k < 8; ++k)
        v[k] = b.vertex({k & 1 ? hi.x : lo.x, k & 2 ? hi.y : lo.y, k & 4 ? hi.z : lo.z});
    b.face(sat_builder::plane(lo, {0, 0, -1}, {1, 0, 0}), {b.polygon({v[0], v[2], v[3], v[1]})});
    b.face(sat_builder::plane(hi, {0, 0, 1}, {1, 0, 0}), {b.polygon({v[4], v[5], v[7], v[6]})});
    b.face(sat_builder::plane(lo, {0, -1, 0}, {1, 0, 0}), {b.polygon({v[0], v[1], v[5], v[4]})});
    b.face(sat_builder::plane(hi, {0, 1, 0}, {1, 0, 0}), {b.polygon({v[2], v[6], v[7], v[3]})});
    b.face(sat_builder::plane(lo, {-1, 0, 0}, {0, 1, 0}), {b.polygon({v[0], v[4], v[6], v[2]})});
    b.face(sat_builder::plane(hi, {1, 0, 0}, {0, 1, 0}), {b.polygon({v[1], v[3], v[7], v[5]})});
    if (top_vertices)
        *top_vertices = {v[4], v[5], v[7], v[6]};
}

std::string box_text(int version, bool header, bool prefixes, bool crlf)
{
    sat_builder b(version);
    add_box(b, {0, 0, 0}, {2, 3, 4});
    return b.text(header, prefixes, crlf, {10, -5, 1});
}

} // namespace

TEST(VorstepSatText, BoxInEveryTextLayout)
{
    for (int version : {106, 400, 700, 1600, 3000, 21200, 21800})
        for (bool header : {true, false})
            for (bool prefixes : {false, true})
                for (bool crlf : {false, true}) {
                    SCOPED_TRACE(version);
                    if (!header && version >= 700)
                        continue; // without a header the reader cannot tell 7.0 fields apart
                    mesh_check m = mesh_text(box_text(version, header, prefixes, crlf));
                    expect_near_rel(m.volume, 24.0, 1e-9, "volume");
                    expect_near_rel(m.area, 52.0, 1e-9, "area");
                    EXPECT_TRUE(m.watertight);
                    EXPECT_EQ(m.triangles, 12u);
                }
}

// Each body moved by its own transform, the second one reflected; the record
// layouts change with the version (one-line header, id line, extra integers
// in vertices and bodies, one integer in transforms).
TEST(VorstepSatText, SolidsOfEveryVersionKeepTheirTransforms)
{
    for (int version : {106, 400, 600, 700, 1600, 2600, 3000, 3100, 20800, 21200, 21500, 21800}) {
        SCOPED_TRACE(version);
        sat_builder b(version);
        b.begin_body({1, 0, 0, 0, 1, 0, 0, 0, 1}, {100, 0, 0});
        add_box(b, {0, 0, 0}, {2, 3, 4});
        b.begin_body({-1, 0, 0, 0, 1, 0, 0, 0, 1}, {-100, 0, 0});
        int A = b.vertex({1, 0, 0}), B = b.vertex({1, 0, 2});
        int low = b.circle(A, {0, 0, 0}, {0, 0, 1}, {1, 0, 0});
        int high = b.circle(B, {0, 0, 2}, {0, 0, 1}, {1, 0, 0});
        b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {{{low, true}}});
        b.face(sat_builder::plane({0, 0, 2}, {0, 0, 1}, {1, 0, 0}), {{{high, false}}});
        b.face(sat_builder::cone({0, 0, 0}, {0, 0, 1}, {1, 0, 0}, 0, 1), {{{low, false}}, {{high, true}}});
        mesh_check m = mesh_text(b.text());
        expect_closed_solid(m, 24 + 2 * pi, 52 + 6 * pi);
        EXPECT_NEAR(m.hi.x, 102, 1e-9);
        EXPECT_NEAR(m.lo.x, -101, 1e-3);
    }
}

TEST(VorstepSatText, CountedStringsAndTruncatedInput)
{
    sat_text sat;
    std::string error;
    ASSERT_TRUE(sat_split("700 0 1 0\n@3 a#b @4 ab c\n1 1e-6 1e-10\nfoo $-1 -1 $-1 @5 x # y #\npoint $-1 -1 $-1 1 2 3 #\n"
                          "body $-1",
                          sat, error));
    ASSERT_EQ(sat.records.size(), 2u); // the unterminated record is dropped
    EXPECT_EQ(sat.version, 700);
    EXPECT_EQ(sat.records[0].tokens.back(), "x # y");
    EXPECT_FALSE(sat_split("", sat, error));
    EXPECT_FALSE(sat_split("400 0 1 0\n", sat, error));
    // Dangling or wild pointers give no faces and no crash.
    sat_model model;
    std::vector<std::string> warnings;
    ASSERT_TRUE(sat_split("face $-1 $99 $-7 $1 $x $2 forward single #\nloop $-1 $-1 $5 $0 #\n", sat, error));
    EXPECT_FALSE(sat_build_model(sat, model, warnings));
}

TEST(VorstepMesh, CylinderAndHollowedBox)
{
    const double r = 1.5, h = 4.0;
    {
        sat_builder b(700);
        int A = b.vertex({r, 0, 0}), B = b.vertex({r, 0, h});
        int bottom = b.circle(A, {0, 0, 0}, {0, 0, 1}, {r, 0, 0});
        int top = b.circle(B, {0, 0, h}, {0, 0, 1}, {r, 0, 0});
        b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {{{bottom, true}}});
        b.face(sat_builder::plane({0, 0, h}, {0, 0, 1}, {1, 0, 0}), {{{top, false}}});
        b.face(sat_builder::cone({0, 0, 0}, {0, 0, 1}, {r, 0, 0}, 0, 1), {{{bottom, false}}, {{top, true}}});
        mesh_check m = mesh_text(b.text());
        expect_near_rel(m.volume, pi * r * r * h, 0.01, "volume");
        expect_near_rel(m.area, 2 * pi * r * r + 2 * pi * r * h, 0.01, "area");
        EXPECT_TRUE(m.watertight);
    }
    {
        // A 4 x 4 x 2 box with a vertical hole of radius 1 through it.
        sat_builder b(400);
        int v[8];
        for (int k = 0; k < 8; ++k)
            v[k] = b.vertex({k & 1 ? 4.0 : 0.0, k & 2 ? 4.0 : 0.0, k & 4 ? 2.0 : 0.0});
        int A = b.vertex({3, 2, 0}), B = b.vertex({3, 2, 2});
        int low = b.circle(A, {2, 2, 0}, {0, 0, 1}, {1, 0, 0});
        int high = b.circle(B, {2, 2, 2}, {0, 0, 1}, {1, 0, 0});
        b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {b.polygon({v[0], v[2], v[3], v[1]}), {{low, false}}});
        b.face(sat_builder::plane({0, 0, 2}, {0, 0, 1}, {1, 0, 0}), {b.polygon({v[4], v[5], v[7], v[6]}), {{high, true}}});
        b.face(sat_builder::plane({0, 0, 0}, {0, -1, 0}, {1, 0, 0}), {b.polygon({v[0], v[1], v[5], v[4]})});
        b.face(sat_builder::plane({4, 4, 2}, {0, 1, 0}, {1, 0, 0}), {b.polygon({v[2], v[6], v[7], v[3]})});
        b.face(sat_builder::plane({0, 0, 0}, {-1, 0, 0}, {0, 1, 0}), {b.polygon({v[0], v[4], v[6], v[2]})});
        b.face(sat_builder::plane({4, 4, 2}, {1, 0, 0}, {0, 1, 0}), {b.polygon({v[1], v[3], v[7], v[5]})});
        // The hole's wall faces the axis: the face is reversed.
        b.face(sat_builder::cone({2, 2, 0}, {0, 0, 1}, {1, 0, 0}, 0, 1), {{{low, true}}, {{high, false}}}, true);
        mesh_check m = mesh_text(b.text(true, true, true));
        expect_near_rel(m.volume, 32 - pi * 2, 0.01, "volume");
        EXPECT_TRUE(m.watertight);
    }
}

TEST(VorstepMesh, ConeToApexSphereAndTorus)
{
    {
        // Base radius 2 at z = 0, apex at z = 3; the apex is a degenerate edge.
        const double r = 2, h = 3;
        const double len = std::hypot(r, h);
        mesh_check m = mesh_text(typical_solids::cone(r, h));
        expect_near_rel(m.volume, pi * r * r * h / 3, 0.01, "volume");
        expect_near_rel(m.area, pi * r * r + pi * r * len, 0.01, "area");
        EXPECT_TRUE(m.watertight);
    }
    {
        sat_builder b(700);
        b.face(sat_builder::sphere({1, 2, 3}, 2.5), {});
        mesh_check m = mesh_text(b.text());
        expect_near_rel(m.volume, 4.0 / 3 * pi * 2.5 * 2.5 * 2.5, 0.01, "volume");
        expect_near_rel(m.area, 4 * pi * 2.5 * 2.5, 0.01, "area");
        EXPECT_TRUE(m.watertight);
    }
    {
        sat_builder b(400);
        b.face(sat_builder::torus({0, 0, 0}, {0, 1, 0}, 5, 1), {});
        mesh_check m = mesh_text(b.text());
        expect_near_rel(m.volume, 2 * pi * pi * 5 * 1, 0.01, "volume");
        expect_near_rel(m.area, 4 * pi * pi * 5 * 1, 0.01, "area");
        EXPECT_TRUE(m.watertight);
    }
}

// A torus whose tube (radius 2) is wider than its ring (radius 1): the solid
// is the outer, apple-shaped part, whole or cut in half at z = 0.
TEST(VorstepMesh, AppleTorus)
{
    const double R = 1, r = 2, pole = std::acos(-R / r);
    double volume = 0.0; // by Simpson's rule over z; dimpled at the poles
    const int n = 2000;
    for (int k = 0; k <= n; ++k) {
        double z = -r + 2 * r * k / n, s = std::sqrt(std::max(0.0, r * r - z * z));
        double outer = R + s, inner = std::max(0.0, R - s);
        volume += ((k == 0 || k == n) ? 1 : (k % 2 ? 4 : 2)) * pi * (outer * outer - inner * inner);
    }
    volume *= (2 * r / n) / 3;
    const double area = 4 * pi * r * (R * pole + r * std::sin(pole));
    {
        sat_builder b(700);
        b.face(sat_builder::torus({0, 0, 0}, {0, 0, 1}, R, r), {});
        mesh_check m = mesh_text(b.text());
        expect_closed_solid(m, volume, area);
    }
    {
        sat_builder b(21800);
        int A = b.vertex({R + r, 0, 0});
        int rim = b.circle(A, {0, 0, 0}, {0, 0, 1}, {R + r, 0, 0});
        b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {{{rim, true}}});
        b.face(sat_builder::torus({0, 0, 0}, {0, 0, 1}, R, r), {{{rim, false}}});
        mesh_check m = mesh_text(b.text());
        expect_closed_solid(m, volume / 2, area / 2 + pi * (R + r) * (R + r));
    }
}

// A die's six: spherical pockets in two columns, so that each later hole is
// bridged to a vertex an earlier bridge has doubled.
TEST(VorstepMesh, FaceWithManyHoles)
{
    const double s = 6, R = 0.8, lift = 0.3, depth = R - lift, rim = std::sqrt(R * R - lift * lift);
    sat_builder b(21500);
    int v[8];
    for (int k = 0; k < 8; ++k)
        v[k] = b.vertex({k & 1 ? s : 0.0, k & 2 ? s : 0.0, k & 4 ? s : 0.0});
    std::vector<std::vector<sat_builder::coedge>> top = {b.polygon({v[4], v[5], v[7], v[6]})};
    for (double x : {1.5, 4.5})
        for (double y : {1.5, 3.0, 4.5}) {
            int A = b.vertex({x + rim, y, s});
            int c = b.circle(A, {x, y, s}, {0, 0, 1}, {rim, 0, 0});
            top.push_back({{c, true}});
            b.face(sat_builder::sphere({x, y, s + lift}, R), {{{c, false}}}, true);
        }
    b.face(sat_builder::plane({0, 0, s}, {0, 0, 1}, {1, 0, 0}), top);
    b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {b.polygon({v[0], v[2], v[3], v[1]})});
    b.face(sat_builder::plane({0, 0, 0}, {0, -1, 0}, {1, 0, 0}), {b.polygon({v[0], v[1], v[5], v[4]})});
    b.face(sat_builder::plane({s, s, s}, {0, 1, 0}, {1, 0, 0}), {b.polygon({v[2], v[6], v[7], v[3]})});
    b.face(sat_builder::plane({0, 0, 0}, {-1, 0, 0}, {0, 1, 0}), {b.polygon({v[0], v[4], v[6], v[2]})});
    b.face(sat_builder::plane({s, s, s}, {1, 0, 0}, {0, 1, 0}), {b.polygon({v[1], v[3], v[7], v[5]})});
    mesh_check m = mesh_text(b.text());
    expect_closed_solid(m, s * s * s - 6 * pi * depth * depth * (3 * R - depth) / 3, 6 * s * s + 6 * (2 * pi * R * depth - pi * rim * rim));
}

// A band of a small torus closed by two discs, in a model that a large box
// makes coarse: the circles must be sampled as finely as the band is refined.
TEST(VorstepMesh, SmallTorusBandInALargeModel)
{
    const double R = 2, r = 0.5, z = r * std::sin(pi / 3), rim = R + r / 2, big = 100;
    sat_builder b(700);
    int A = b.vertex({rim, 0, -z}), B = b.vertex({rim, 0, z});
    int low = b.circle(A, {0, 0, -z}, {0, 0, 1}, {rim, 0, 0}), high = b.circle(B, {0, 0, z}, {0, 0, 1}, {rim, 0, 0});
    b.face(sat_builder::plane({0, 0, -z}, {0, 0, -1}, {1, 0, 0}), {{{low, true}}});
    b.face(sat_builder::plane({0, 0, z}, {0, 0, 1}, {1, 0, 0}), {{{high, false}}});
    b.face(sat_builder::torus({0, 0, 0}, {0, 0, 1}, R, r), {{{low, false}}, {{high, true}}});
    add_box(b, {big, 0, 0}, {2 * big, big, big});
    double band = 0.0; // by Simpson's rule over z
    const int n = 2000;
    for (int k = 0; k <= n; ++k) {
        double h = -z + 2 * z * k / n, x = R + std::sqrt(r * r - h * h);
        band += ((k == 0 || k == n) ? 1 : (k % 2 ? 4 : 2)) * pi * x * x;
    }
    band *= (2 * z / n) / 3;
    mesh_check m = mesh_text(b.text());
    EXPECT_TRUE(m.warnings.empty()) << m.warnings.front();
    expect_near_rel(m.volume - big * big * big, band, 0.01, "volume");
    EXPECT_TRUE(m.watertight);
}

// A boundary coarser than the tolerance cannot be met near it; refinement
// must stop well short of its vertex limit.
TEST(VorstepMesh, RefinementStopsAtACoarseBoundary)
{
    auto cylinder = [](v2 p) { return v3{std::cos(p.u), std::sin(p.u), p.v}; };
    std::vector<dvert> verts;
    std::vector<int> ring;
    const int n = 8;
    for (int k = 0; k <= 2 * n + 1; ++k) {
        v2 p = k <= n ? v2{pi * k / n, 0} : v2{pi * (2 * n + 1 - k) / n, 1};
        ring.push_back(static_cast<int>(verts.size()));
        verts.push_back({p, cylinder(p)});
    }
    std::vector<v2> uv;
    for (const auto &d : verts)
        uv.push_back(d.uv);
    std::vector<tri_indices> tris = triangulate_polygon(uv, ring, {});
    refine_settings rs;
    rs.tolerance = 1e-4;
    rs.max_vertices = 200000;
    refine_region(verts, tris, cylinder, rs);
    EXPECT_LT(verts.size(), rs.max_vertices / 4);
    // The triangles still tile the parameter region, none folded over.
    double area = 0.0;
    for (const auto &t : tris) {
        v2 a = verts[static_cast<std::size_t>(t[0])].uv, b = verts[static_cast<std::size_t>(t[1])].uv,
           c = verts[static_cast<std::size_t>(t[2])].uv;
        double twice = (b.u - a.u) * (c.v - a.v) - (b.v - a.v) * (c.u - a.u);
        EXPECT_GE(twice, 0.0);
        area += twice / 2;
    }
    expect_near_rel(area, pi, 1e-9, "area in the parameter plane");
}

TEST(VorstepMesh, UnionOfCylinderAndHemisphere)
{
    // A cylinder of radius 1 and height 2 with a hemisphere on top.
    mesh_check m = mesh_text(typical_solids::cylinder(true));
    expect_near_rel(m.volume, pi * 2 + 2.0 / 3 * pi, 0.01, "volume");
    expect_near_rel(m.area, pi + 4 * pi + 2 * pi, 0.01, "area");
    EXPECT_TRUE(m.watertight);
}

TEST(VorstepMesh, UnsupportedGeometryIsNamedAndSkipped)
{
    sat_builder b(700);
    std::vector<int> top;
    add_box(b, {0, 0, 0}, {1, 1, 1}, &top);
    b.face("spline-surface forward { exactsur nubs 3 3 } I I I I", {});
    mesh_check m = mesh_text(b.text());
    ASSERT_FALSE(m.warnings.empty());
    EXPECT_NE(m.warnings[0].find("spline-surface"), std::string::npos);
    expect_near_rel(m.area, 6.0, 1e-9, "area of the faces that could be done");
}

namespace {

// A cylinder of radius 1 on z = 0 whose top is cut by the plane
// z = 2 + 0.5 x; the top edge is an exact rational B-spline (an ellipse).
void add_slanted_cylinder(sat_builder &b)
{
    const double w = std::sqrt(0.5);
    int A = b.vertex({1, 0, 0}), E = b.vertex({1, 0, 2.5});
    int low = b.circle(A, {0, 0, 0}, {0, 0, 1}, {1, 0, 0});
    const double square[9][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
    std::vector<double> ctl;
    for (int k = 0; k < 9; ++k) {
        double x = square[k][0], y = square[k][1];
        ctl.insert(ctl.end(), {x, y, 2 + 0.5 * x, k % 2 ? w : 1.0});
    }
    int top = b.spline_edge(E, E, 2, {{0, 2}, {0.25, 2}, {0.5, 2}, {0.75, 2}, {1, 2}}, ctl, true);
    b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {{{low, true}}});
    b.face(sat_builder::cone({0, 0, 0}, {0, 0, 1}, {1, 0, 0}, 0, 1), {{{low, false}}, {{top, true}}});
    b.face(sat_builder::plane({0, 0, 2}, {-0.5 / std::sqrt(1.25), 0, 1 / std::sqrt(1.25)}, {1, 0, 0}), {{{top, false}}});
}

} // namespace

TEST(VorstepCurves, IntersectionCurveBoundsPlaneAndCylinder)
{
    sat_builder b(700);
    add_slanted_cylinder(b);
    mesh_check m = mesh_text(b.text());
    EXPECT_TRUE(m.warnings.empty()) << m.warnings.front();
    expect_near_rel(m.volume, 2 * pi, 0.01, "volume");
    expect_near_rel(m.area, pi + 4 * pi + pi * std::sqrt(1.25), 0.01, "area");
    EXPECT_TRUE(m.watertight);
}

TEST(VorstepCurves, TeeOfTwoCylinders)
{
    const double R = typical_solids::tee_main_radius, r = typical_solids::tee_branch_radius;
    sat_builder b = typical_solids::tee(21800);
    // The branch above the main cylinder, by Simpson's rule across y.
    double branch = 0.0;
    const int n = 2000;
    for (int k = 0; k <= n; ++k) {
        double y = -r + 2 * r * k / n, wgt = (k == 0 || k == n) ? 1 : (k % 2 ? 4 : 2);
        branch += wgt * 2 * std::sqrt(std::max(0.0, r * r - y * y)) * (2 - std::sqrt(R * R - y * y));
    }
    branch *= (2 * r / n) / 3;
    mesh_check m = mesh_text(b.text(true, true, true));
    EXPECT_TRUE(m.warnings.empty()) << m.warnings.front();
    expect_near_rel(m.volume, 4 * pi * R * R + branch, 0.01, "volume");
    EXPECT_TRUE(m.watertight);
}

TEST(VorstepCurves, CurveWithoutApproximationIsSkippedByName)
{
    sat_builder b(700);
    std::vector<int> top;
    add_box(b, {0, 0, 0}, {1, 1, 1}, &top);
    int V = b.vertex({5, 0, 0});
    int e = b.spline_edge(V, V, 3, {{0, 3}}, {}); // one knot: no usable B-spline
    b.face(sat_builder::sphere({5, 1, 0}, 1), {{{e, false}}});
    mesh_check m = mesh_text(b.text());
    ASSERT_FALSE(m.warnings.empty());
    EXPECT_NE(m.warnings[0].find("intcurve-curve"), std::string::npos) << m.warnings[0];
    expect_near_rel(m.area, 6.0, 1e-9, "area of the faces that could be done");
}

TEST(VorstepBodies, MirroredAndSeveralBodies)
{
    {
        // Reflected in x: the mesh must still face outward and close.
        sat_builder b(600);
        b.begin_body({-1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0});
        add_slanted_cylinder(b);
        mesh_check m = mesh_text(b.text());
        expect_near_rel(m.volume, 2 * pi, 0.01, "volume");
        EXPECT_TRUE(m.watertight);
    }
    {
        // Two bodies, each moved by its own transform; the second one mirrored.
        sat_builder b(700);
        b.begin_body({1, 0, 0, 0, 1, 0, 0, 0, 1}, {10, 0, 0});
        add_box(b, {0, 0, 0}, {1, 2, 3});
        b.begin_body({1, 0, 0, 0, -1, 0, 0, 0, 1}, {-10, 0, 0});
        int A = b.vertex({1.5, 0, 0}), B = b.vertex({1.5, 0, 4});
        int low = b.circle(A, {0, 0, 0}, {0, 0, 1}, {1.5, 0, 0});
        int high = b.circle(B, {0, 0, 4}, {0, 0, 1}, {1.5, 0, 0});
        b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {{{low, true}}});
        b.face(sat_builder::plane({0, 0, 4}, {0, 0, 1}, {1, 0, 0}), {{{high, false}}});
        b.face(sat_builder::cone({0, 0, 0}, {0, 0, 1}, {1.5, 0, 0}, 0, 1), {{{low, false}}, {{high, true}}});
        sat_text sat;
        std::string error;
        ASSERT_TRUE(sat_split(b.text(), sat, error));
        sat_model model;
        std::vector<std::string> warnings;
        ASSERT_TRUE(sat_build_model(sat, model, warnings));
        mesh_result mesh;
        mesh_model(model, model_tolerance(model), mesh);
        double lo = 1e300, hi = -1e300;
        for (const auto &t : mesh.triangles)
            for (v3 p : {t.a, t.b, t.c}) {
                lo = std::min(lo, p.x);
                hi = std::max(hi, p.x);
            }
        EXPECT_NEAR(lo, -11.5, 0.01); // the circle is sampled
        EXPECT_NEAR(hi, 11.0, 1e-9);
        mesh_check m = mesh_text(b.text());
        expect_near_rel(m.volume, 6 + pi * 1.5 * 1.5 * 4, 0.01, "volume");
        EXPECT_TRUE(m.watertight);
    }
}

TEST(VorstepCurves, MalformedSplineDataIsRefused)
{
    auto parse = [](const std::string &text) {
        sat_text sat;
        std::string error;
        EXPECT_TRUE(sat_split("c " + text + " #", sat, error));
        bspline_curve c;
        std::string why;
        return parse_bspline(sat.records[0].tokens, 0, c, why);
    };
    EXPECT_TRUE(parse("nubs 1 open 2 0 1 1 1 0 0 0 1 1 1"));
    EXPECT_FALSE(parse("nubs 3 open 2 0 3 1 3 0 0 0 1 1 1"));        // too few controls
    EXPECT_FALSE(parse("nubs 3 open 2 0 2 1 2 0 0 0 1 1 1 2 2 2"));  // degree above the controls
    EXPECT_FALSE(parse("nubs 99 open 2 0 1 1 1 0 0 0 1 1 1"));       // degree out of range
    EXPECT_FALSE(parse("nubs 1 open 999999 0 1 1 1 0 0 0 1 1 1"));   // count beyond the data
    EXPECT_FALSE(parse("nubs 1 open 2 1 1 0 1 0 0 0 1 1 1"));        // knots going back
    EXPECT_FALSE(parse("nurbs 1 open 2 0 1 1 1 0 0 0 0 1 1 1 1"));   // zero weight
    EXPECT_FALSE(parse("nubs 1 open 2 0 1 1 1 0 0 0 1 1 nan"));
}
