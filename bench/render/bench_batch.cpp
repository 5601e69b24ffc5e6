// Pictures of a whole library of typical 2D symbols, as `tvl render --all` makes
// them: symbols per second in one viewer, in two `tvl` processes, and the time of
// one cold `tvl render`, each beside one bare rendering context made in the same run.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "skelvane/gdi.h"
#include "skelvane/wgl.h"
#include "tavrel_viewer.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

extern char **environ;

namespace {

using tvlw::Point;

// A few hundred lines: an outline, circles, a grid of short strokes.
std::vector<tvlw::Entity> symbol_entities(int seed)
{
    using make = tvlw::EntityBuilder;
    std::vector<tvlw::Entity> entities;
    const double w = 20.0 + seed % 7;
    const double h = 10.0 + seed % 5;
    const Point corners[] = {{0, 0, 0}, {w, 0, 0}, {w, h, 0}, {0, h, 0}};
    for (int i = 0; i < 4; ++i)
        entities.push_back(make("LINE")(8, "OUTLINE")(10, corners[i])(11, corners[(i + 1) % 4]));
    for (int i = 0; i < 6; ++i)
        entities.push_back(make("CIRCLE")(8, "HOLES")(10, Point{2.0 + 3 * i, h / 2, 0})(40, 1.0));
    for (int i = 0; i < 240; ++i) {
        const double x = std::fmod(i * 0.37 + seed, w), y = std::fmod(i * 0.61, h);
        entities.push_back(make("LINE")(8, "DETAIL")(10, Point{x, y, 0})(11, Point{x + 0.5, y + 0.3, 0}));
    }
    return entities;
}

struct library_file {
    std::string path;
    std::vector<std::string> names;
};

const library_file &typical_library()
{
    static library_file made = [] {
        library_file lib;
        lib.path = (std::filesystem::temp_directory_path() /
                    ("bench_batch_" + std::to_string(getpid()) + ".tvl"))
                       .string();
        tvlw::LibraryWriter writer;
        writer.add_layer("OUTLINE", 7, 0, "CONTINUOUS");
        writer.add_layer("HOLES", 1, 0, "CONTINUOUS");
        writer.add_layer("DETAIL", 5, 0, "CONTINUOUS");
        for (int i = 0; i < 1000; ++i) {
            lib.names.push_back("PART_" + std::to_string(i));
            writer.add_block(lib.names.back(),
                             tvlw::encode_block(writer.settings(), 0, {}, "", symbol_entities(i)));
        }
        writer.save(lib.path);
        return lib;
    }();
    return made;
}

// Runs tvl with the arguments; its exit status.
int run_tvl(const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    std::string program = TVL_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string &a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The baseline: one bare context on a memory DC, made current and deleted.
void BM_BareContext(benchmark::State &state)
{
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL;
    pfd.iPixelType = PFD_TYPE_RGBA;
    for (auto _ : state) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGLRC rc = nullptr;
        if (SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd))
            rc = wglCreateContext(dc);
        if (rc == nullptr || !wglMakeCurrent(dc, rc)) {
            state.SkipWithError("no OpenGL context");
            break;
        }
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(rc);
        DeleteDC(dc);
    }
}

// Symbol after symbol through one viewer, as each `tvl render --all` process does.
void BM_SymbolsInOneViewer(benchmark::State &state)
{
    const library_file &lib = typical_library();
    cl_export_functions viewer;
    viewer.SetLibrary(lib.path.c_str());
    viewer.SetDrawingMode(TAVREL_MODE_FULL);
    viewer.SetFitLines(1);
    viewer.SetScaledLineWidth(1);
    viewer.SetShowLines(1);
    viewer.SetCameraTilt(-90);
    CImage picture;
    picture.Create(128, 128, 24);
    std::size_t next = 0;
    for (auto _ : state) {
        viewer.SetBlockName(lib.names[next].c_str());
        next = (next + 1) % lib.names.size();
        if (viewer.LoadSymbol() != 1 || viewer.RenderImage(&picture) != 0) {
            state.SkipWithError("render failed");
            break;
        }
    }
    viewer.DeleteObjects();
    state.SetItemsProcessed(state.iterations());
}

// The whole library in two processes: items are symbols.
void BM_LibraryInTwoProcesses(benchmark::State &state)
{
    const library_file &lib = typical_library();
    const std::string out = lib.path + ".png";
    for (auto _ : state) {
        if (run_tvl({"render", lib.path, "--all", "-o", out, "--size", "128", "--jobs", "2"}) != 0) {
            state.SkipWithError("tvl render --all failed");
            break;
        }
    }
    std::filesystem::remove_all(out);
    state.SetItemsProcessed(state.iterations() * static_cast<long>(lib.names.size()));
}

// One cold `tvl render` of one small symbol: process start, library, context, picture.
void BM_ColdRender(benchmark::State &state)
{
    const library_file &lib = typical_library();
    const std::string out = lib.path + ".one.png";
    for (auto _ : state) {
        if (run_tvl({"render", lib.path, "PART_7", "-o", out, "--size", "128"}) != 0) {
            state.SkipWithError("tvl render failed");
            break;
        }
    }
    std::filesystem::remove(out);
}

} // namespace

BENCHMARK(BM_BareContext)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SymbolsInOneViewer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibraryInTwoProcesses)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ColdRender)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly()->UseRealTime();

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove(typical_library().path);
    return 0;
}
