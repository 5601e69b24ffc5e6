// The solids converter on typical solids, from SAT text to triangles.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "sat_builder.h"
#include "sat_model.h"
#include "sat_text.h"
#include "solid_mesher.h"

namespace {

constexpr double pi = 3.14159265358979323846;

std::string box()
{
    sat_builder b(700);
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

// A cylinder of radius 1 and height 2, with a hemisphere on top when asked.
std::string cylinder(bool dome)
{
    sat_builder b(700);
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

std::string cone()
{
    const double r = 2, h = 3, len = std::hypot(r, h);
    sat_builder b(700);
    int A = b.vertex({r, 0, 0}), T = b.vertex({0, 0, h});
    int base = b.circle(A, {0, 0, 0}, {0, 0, 1}, {r, 0, 0});
    int apex = b.point_edge(T);
    b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {{{base, true}}});
    b.face(sat_builder::cone({0, 0, 0}, {0, 0, 1}, {r, 0, 0}, -r / len, h / len), {{{base, false}}, {{apex, false}}});
    return b.text();
}

std::string sphere()
{
    sat_builder b(700);
    b.face(sat_builder::sphere({0, 0, 0}, 2.5), {});
    return b.text();
}

std::string torus()
{
    sat_builder b(700);
    b.face(sat_builder::torus({0, 0, 0}, {0, 0, 1}, 5, 1), {});
    return b.text();
}

// Two cylinders meeting in an intersection curve given as a B-spline.
std::string tee()
{
    const double R = 1, r = 0.5;
    sat_builder b(700);
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
    return b.text();
}

void convert(benchmark::State &state, const std::string &text)
{
    std::size_t triangles = 0;
    for (auto _ : state) {
        sat_text sat;
        std::string error;
        sat_split(text, sat, error);
        sat_model model;
        std::vector<std::string> warnings;
        sat_build_model(sat, model, warnings);
        mesh_result mesh;
        mesh_model(model, model_tolerance(model), mesh);
        triangles = mesh.triangles.size();
        benchmark::DoNotOptimize(mesh.triangles.data());
    }
    state.counters["triangles"] = static_cast<double>(triangles);
}

} // namespace

BENCHMARK_CAPTURE(convert, box, box())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, cylinder, cylinder(false))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, cone, cone())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, sphere, sphere())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, torus, torus())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, cylinder_with_hemisphere, cylinder(true))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, tee_of_two_cylinders, tee())->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
