// Meshes SAT text and measures the result: area, volume, whether every edge
// meets its opposite exactly once, the extent, and the warnings.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "sat_model.h"
#include "sat_text.h"
#include "solid_mesher.h"

namespace vorstep_check {

using key3 = std::tuple<double, double, double>;

struct mesh_check {
    double area = 0.0;
    double volume = 0.0;
    bool watertight = false;
    std::size_t triangles = 0;
    v3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    std::vector<std::string> warnings;
};

inline mesh_check mesh_text(const std::string &text)
{
    sat_text sat;
    std::string error;
    mesh_check out;
    EXPECT_TRUE(sat_split(text, sat, error)) << error;
    sat_model model;
    std::vector<std::string> warnings;
    EXPECT_TRUE(sat_build_model(sat, model, warnings));
    mesh_result mesh;
    mesh_model(model, model_tolerance(model), mesh);
    out.warnings = warnings;
    out.warnings.insert(out.warnings.end(), mesh.warnings.begin(), mesh.warnings.end());
    // Every directed edge must meet its opposite exactly once.
    std::map<std::pair<key3, key3>, int> edges;
    for (const auto &t : mesh.triangles) {
        v3 n = cross(t.b - t.a, t.c - t.a);
        out.area += length(n) / 2;
        out.volume += dot(t.a, cross(t.b, t.c)) / 6;
        v3 c[3] = {t.a, t.b, t.c};
        for (v3 p : c) {
            out.lo = {std::min(out.lo.x, p.x), std::min(out.lo.y, p.y), std::min(out.lo.z, p.z)};
            out.hi = {std::max(out.hi.x, p.x), std::max(out.hi.y, p.y), std::max(out.hi.z, p.z)};
        }
        for (int k = 0; k < 3; ++k) {
            key3 p{c[k].x, c[k].y, c[k].z}, q{c[(k + 1) % 3].x, c[(k + 1) % 3].y, c[(k + 1) % 3].z};
            edges[{p, q}] += 1;
        }
    }
    out.watertight = !mesh.triangles.empty();
    for (const auto &[e, count] : edges)
        if (count != 1 || edges.count({e.second, e.first}) == 0 || edges.at({e.second, e.first}) != 1)
            out.watertight = false;
    out.triangles = mesh.triangles.size();
    return out;
}

inline void expect_near_rel(double got, double want, double rel, const char *what)
{
    EXPECT_NEAR(got, want, std::fabs(want) * rel) << what;
}

// A closed solid meshed in full: nothing skipped, volume within 1 % and area
// within 2 % of the exact values, every edge closed.
inline void expect_closed_solid(const mesh_check &m, double volume, double area)
{
    EXPECT_TRUE(m.warnings.empty()) << m.warnings.front();
    expect_near_rel(m.volume, volume, 0.01, "volume");
    expect_near_rel(m.area, area, 0.02, "area");
    EXPECT_TRUE(m.watertight);
}

} // namespace vorstep_check
