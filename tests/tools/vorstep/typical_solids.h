// SAT texts of typical solids, shared by the converter's tests and benchmark.
#pragma once
#include <array>
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

// A bicubic patch, in Bernstein form for the checks, and blocks under it.
inline double bernstein(int i, double t)
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

// The block as SAT text: four planar sides, a flat bottom, the patch on top
// bounded by its parameter lines u, v = lo, hi (exact spline edges) with
// straight pcurves; `mirrored` reflects it in y through its body's transform.
inline std::string block(const patch &p, double lo, double hi, bool rational, bool u_fastest, bool pcurves,
                         int version, bool mirrored = false)
{
    sat_builder b(version);
    if (mirrored)
        b.begin_body({1, 0, 0, 0, -1, 0, 0, 0, 1}, {0, 0, 0});
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

inline patch bump()
{
    patch p;
    const double h[4][4] = {{1, 1.2, 1.1, 1}, {1.3, 1.8, 1.6, 1.1}, {1.1, 1.7, 1.9, 1.2}, {1, 1.1, 1.3, 1}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            p.height[i][j] = h[i][j];
    return p;
}

inline std::string spline_block(int version = 21500) { return block(bump(), 0.25, 0.75, false, false, true, version); }

} // namespace typical_solids
