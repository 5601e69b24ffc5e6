#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "tvlaccess.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

namespace {

std::string scratch()
{
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tvlbench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        setenv("TEMP", pattern.c_str(), 1);
        return pattern;
    }();
    return dir;
}

// A block of a few lines, coded as a library writer codes it.
std::vector<std::uint8_t> symbol_data(const tvlw::Settings &settings, int lines)
{
    tvlw::BlockEncoder enc(settings);
    enc.begin(0, {0, 0, 0}, "");
    for (int i = 0; i < lines; ++i)
        enc.add({"LINE", {{8, "WALLS"}, {10, tvlw::Point{double(i), 0, 0}}, {11, tvlw::Point{double(i), 10, 0}}}});
    return enc.finish();
}

const std::string &large_library()
{
    static const std::string path = [] {
        tvlw::LibraryWriter w;
        w.add_layer("WALLS", 1, 0, "CONTINUOUS");
        const auto data = symbol_data(w.settings(), 4);
        for (int i = 0; i < 10000; ++i)
            w.add_block("SYMBOL_" + std::to_string(i), data, {.dependencies = {{5, "WALLS"}}});
        const std::string p = scratch() + "/large.tvl";
        w.save(p);
        return p;
    }();
    return path;
}

// A 20-entity symbol among a few others, as a host's parts library holds them.
const std::string &small_library()
{
    static const std::string path = [] {
        tvlw::LibraryWriter w;
        w.add_layer("WALLS", 1, 0, "CONTINUOUS");
        const auto data = symbol_data(w.settings(), 20);
        for (const char *name : {"TAP", "SINK", "VALVE"})
            w.add_block(name, data, {.compression = tvlw::Compression::method2, .dependencies = {{5, "WALLS"}}});
        const std::string p = scratch() + "/small.tvl";
        w.save(p);
        return p;
    }();
    return path;
}

const std::string &typical_library()
{
    static const std::string path = [] {
        tvlw::LibraryWriter w;
        w.add_linetype("DASHED", {0.5, -0.25});
        w.add_layer("WALLS", 1, 0, "DASHED");
        w.add_block("DOOR", symbol_data(w.settings(), 200),
                    {.compression = tvlw::Compression::method2, .dependencies = {{4, "DASHED"}, {5, "WALLS"}}});
        const std::string p = scratch() + "/typical.tvl";
        w.save(p);
        return p;
    }();
    return path;
}

int accept(const resbuf *)
{
    return RB_OK;
}

void BM_ListTenThousandSymbols(benchmark::State &state)
{
    const std::string &path = large_library();
    for (auto _ : state) {
        resbuf *names = ta_tvllist(path.c_str());
        benchmark::DoNotOptimize(names);
        ta_relrb(names);
    }
}
BENCHMARK(BM_ListTenThousandSymbols)->Unit(benchmark::kMillisecond);

void BM_DefineTypicalSymbol(benchmark::State &state)
{
    const std::string &path = typical_library();
    ta_init(accept, accept, accept);
    for (auto _ : state)
        benchmark::DoNotOptimize(ta_tvldef(path.c_str(), "DOOR"));
}
BENCHMARK(BM_DefineTypicalSymbol)->Unit(benchmark::kMicrosecond);

void BM_DefineSmallSymbol(benchmark::State &state)
{
    const std::string &path = small_library();
    ta_init(accept, accept, accept);
    for (auto _ : state)
        benchmark::DoNotOptimize(ta_tvldef(path.c_str(), "SINK"));
}
BENCHMARK(BM_DefineSmallSymbol)->Unit(benchmark::kMicrosecond);

void BM_DefineInLargeLibrary(benchmark::State &state)
{
    const std::string &path = large_library();
    ta_init(accept, accept, accept);
    for (auto _ : state)
        benchmark::DoNotOptimize(ta_tvldef(path.c_str(), "SYMBOL_7777"));
}
BENCHMARK(BM_DefineInLargeLibrary)->Unit(benchmark::kMicrosecond);

} // namespace
