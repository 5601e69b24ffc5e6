// The solids converter on typical solids, from SAT text to triangles.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "sat_builder.h"
#include "sat_model.h"
#include "sat_text.h"
#include "typical_solids.h"
#include "solid_mesher.h"

namespace {

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
BENCHMARK_CAPTURE(convert, cylinder, typical_solids::cylinder(false))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, cone, typical_solids::cone(2, 3))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, sphere, sphere())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, torus, torus())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, cylinder_with_hemisphere, typical_solids::cylinder(true))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, tee_of_two_cylinders, typical_solids::tee().text())->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
