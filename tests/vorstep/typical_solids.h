// SAT texts of typical solids, shared by the converter's tests and benchmark.
#pragma once
#include <cmath>
#include <string>
#include <vector>

#include "sat_builder.h"

namespace typical_solids {

constexpr double pi = 3.14159265358979323846;

// A 2 x 3 x 4 box with a corner at the origin, and the sphere and torus of the benchmark.
inline std::string box(int version = 700)
{
    sat_builder b(version);
    int v[8];
    for (int k = 0; k < 8; ++k)
        v[k] = b.vertex({k & 1 ? 2.0 : 0.0, k & 2 ? 3.0 : 0.0, k & 4 ? 4.0 : 0.0});
    b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {b.polygon({v[0], v[2], v[3], v[1]})});
    b.face(sat_builder::plane({2, 3, 4}, {0, 0, 1}, {1, 0, 0}), {b.polygon({v[4], v[5], v[7], v[6]})});
    b.face(sat_builder::plane({0, 0, 0}, {0, -1, 0}, {1, 0, 0}), {b.polygon({v[0], v[1], v[5], v[4]})});
    b.face(sat_builder::plane({2, 3, 4}, {0, 1, 0}, {1, 0, 0}), {b.polygon({v[2], v[6], v[7], v[3]})});
    b.face(sat_builder::plane({0, 0, 0}, {-1, 0, 0}, {0, 1, 0}), {b.polygon({v[0], v[4], v[6], v[2]})});
    b.face(sat_builder::plane({2, 3, 4}, {1, 0, 0}, {0, 1, 0}), {b.polygon({v[1], v[3], v[7], v[5]})});
    return b.text();
}

inline std::string sphere(int version = 700)
{
    sat_builder b(version);
    b.face(sat_builder::sphere({0, 0, 0}, 2.5), {});
    return b.text();
}

inline std::string torus(int version = 700)
{
    sat_builder b(version);
    b.face(sat_builder::torus({0, 0, 0}, {0, 0, 1}, 5, 1), {});
    return b.text();
}

// A cylinder of radius 1 and height 2 on the x-y plane, closed by a flat top or,
// with `dome`, by a hemisphere.
inline std::string cylinder(bool dome, int version = 700)
{
    sat_builder b(version);
    int A = b.vertex({1, 0, 0}), B = b.vertex({1, 0, 2});
    int low = b.circle(A, {0, 0, 0}, {0, 0, 1}, {1, 0, 0});
    int rim = b.circle(B, {0, 0, 2}, {0, 0, 1}, {1, 0, 0});
    b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {{{low, true}}});
    b.face(sat_builder::cone({0, 0, 0}, {0, 0, 1}, {1, 0, 0}, 0, 1), {{{low, false}}, {{rim, true}}});
    if (dome)
        b.face(sat_builder::sphere({0, 0, 2}, 1), {{{rim, false}}});
    else
        b.face(sat_builder::plane({0, 0, 2}, {0, 0, 1}, {1, 0, 0}), {{{rim, false}}});
    return b.text();
}

// A cone of base radius r at z = 0 with its apex at z = h; the apex is a degenerate edge.
inline std::string cone(double r, double h, int version = 700)
{
    const double len = std::hypot(r, h);
    sat_builder b(version);
    int A = b.vertex({r, 0, 0}), T = b.vertex({0, 0, h});
    int base = b.circle(A, {0, 0, 0}, {0, 0, 1}, {r, 0, 0});
    int apex = b.point_edge(T);
    b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {{{base, true}}});
    b.face(sat_builder::cone({0, 0, 0}, {0, 0, 1}, {r, 0, 0}, -r / len, h / len), {{{base, false}}, {{apex, false}}});
    return b.text();
}

// A cylinder of radius R along x (x from -2 to 2) with a branch of radius r along z
// rising to z = 2; they meet in an intersection curve that the file only
// approximates (a cubic B-spline through samples of it).
inline constexpr double tee_main_radius = 1.0;
inline constexpr double tee_branch_radius = 0.5;

inline sat_builder tee(int version = 700)
{
    const double R = tee_main_radius, r = tee_branch_radius;
    sat_builder b(version);
    int A = b.vertex({-2, 0, -R}), B = b.vertex({2, 0, -R});
    int left = b.circle(A, {-2, 0, 0}, {1, 0, 0}, {0, 0, -R});
    int right = b.circle(B, {2, 0, 0}, {1, 0, 0}, {0, 0, -R});
    int V = b.vertex({r, 0, R}), T = b.vertex({r, 0, 2});
    std::vector<v3> pts;
    for (int k = 0; k < 48; ++k) {
        double t = 2 * pi * k / 48;
        pts.push_back({r * std::cos(t), r * std::sin(t), std::sqrt(R * R - r * r * std::sin(t) * std::sin(t))});
    }
    int joint = b.closed_spline(V, pts);
    int top = b.circle(T, {0, 0, 2}, {0, 0, 1}, {r, 0, 0});
    b.face(sat_builder::plane({-2, 0, 0}, {-1, 0, 0}, {0, 1, 0}), {{{left, true}}});
    b.face(sat_builder::plane({2, 0, 0}, {1, 0, 0}, {0, 1, 0}), {{{right, false}}});
    b.face(sat_builder::cone({-2, 0, 0}, {1, 0, 0}, {0, 0, -R}, 0, 1), {{{left, false}}, {{right, true}}, {{joint, true}}});
    b.face(sat_builder::cone({0, 0, 0}, {0, 0, 1}, {r, 0, 0}, 0, 1), {{{joint, false}}, {{top, true}}});
    b.face(sat_builder::plane({0, 0, 2}, {0, 0, 1}, {1, 0, 0}), {{{top, false}}});
    return b;
}

} // namespace typical_solids
