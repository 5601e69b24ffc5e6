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

BENCHMARK_CAPTURE(convert, box, typical_solids::box())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, cylinder, typical_solids::cylinder(false))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, cone, typical_solids::cone(2, 3))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, sphere, typical_solids::sphere())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, torus, typical_solids::torus())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, cylinder_with_hemisphere, typical_solids::cylinder(true))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, tee_of_two_cylinders, typical_solids::tee().text())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convert, spline_block, typical_solids::spline_block())->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
