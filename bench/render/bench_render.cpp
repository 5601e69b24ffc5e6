// Time of one 1024 x 1024 picture of scenes of many triangles, whole and split into
// the camera fit and the drawing (both passes and the pixel read-back).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "render/cl_opengl_image.h"

namespace {

// A closed, bumpy surface of about `count` triangles in a few colours.
std::unique_ptr<cl_opengl_image> make_scene(long count)
{
    auto scene = std::make_unique<cl_opengl_image>();
    scene->SetImageSize(1024, 1024);
    scene->SetViewDirection(0.5, 0.8, 0.3);
    scene->SetLighting(0.7, 0.5);
    if (!scene->Reset(false))
        return nullptr;
    long side = std::max(2L, static_cast<long>(std::sqrt(count / 2.0)));
    auto at = [side](long i, long j) {
        double u = 2.0 * M_PI * i / side, v = M_PI * j / side;
        double r = 10.0 + 0.5 * std::sin(7 * u) * std::sin(5 * v);
        return fpt{r * std::cos(u) * std::sin(v) + 40.0, r * std::sin(u) * std::sin(v),
                   r * std::cos(v)};
    };
    const COLORREF colors[] = {RGB(200, 40, 40), RGB(40, 160, 40), RGB(40, 40, 200)};
    for (long i = 0; i < side; ++i)
        for (long j = 0; j < side; ++j) {
            fpt a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            COLORREF color = colors[(i / 8 + j / 8) % 3];
            scene->AddTriangle(a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z, color, 0);
            scene->AddTriangle(c.x, c.y, c.z, d.x, d.y, d.z, a.x, a.y, a.z, color, 0);
        }
    return scene;
}

void BM_RenderPicture(benchmark::State &state)
{
    auto scene = make_scene(state.range(0));
    if (!scene) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    for (auto _ : state) {
        HBITMAP bitmap = scene->Render();
        if (!bitmap) {
            state.SkipWithError("render failed");
            break;
        }
        DeleteObject(bitmap);
    }
    state.counters["triangles"] = static_cast<double>(scene->triangles.size());
}

void BM_FitCamera(benchmark::State &state)
{
    auto scene = make_scene(state.range(0));
    if (!scene) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    for (auto _ : state)
        scene->FitCamera();
}

void BM_DrawAndReadBack(benchmark::State &state)
{
    auto scene = make_scene(state.range(0));
    if (!scene) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    scene->FitCamera();
    for (auto _ : state) {
        scene->DrawTriangles();
        scene->DrawLines();
        benchmark::DoNotOptimize(skel_wgl_read_back());
    }
}

} // namespace

BENCHMARK(BM_RenderPicture)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitCamera)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawAndReadBack)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
