// Decoding speed of each compression method beside zlib's inflate of the same data.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <random>
#include <string>

#include "decompress.h"
#include "tvlwriter/chunks.h"

namespace {

std::vector<std::uint8_t> block_like_data()
{
    std::mt19937 rng(11);
    const std::string words[] = {"\x01\x08\x01" "0", "\x0a\x9f\x02", "VERTEX", "\x19\x1a", "WALL", "\x28\x04\x00\x01"};
    std::vector<std::uint8_t> out;
    while (out.size() < 60000) {
        const std::string &w = words[rng() % 6];
        out.insert(out.end(), w.begin(), w.end());
        out.push_back(static_cast<std::uint8_t>(rng() % 40));
    }
    out.resize(60000);
    return out;
}

const std::vector<std::uint8_t> &plain()
{
    static const auto data = block_like_data();
    return data;
}

double inflate_seconds_per_run()
{
    const auto &p = plain();
    uLongf zlen = compressBound(p.size());
    std::vector<Bytef> z(zlen);
    compress2(z.data(), &zlen, p.data(), p.size(), 6);
    std::vector<Bytef> out(p.size());
    const int runs = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) {
        uLongf n = out.size();
        uncompress(out.data(), &n, z.data(), zlen);
        benchmark::DoNotOptimize(out.data());
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
}

void BM_Inflate(benchmark::State &state)
{
    const auto &p = plain();
    uLongf zlen = compressBound(p.size());
    std::vector<Bytef> z(zlen);
    compress2(z.data(), &zlen, p.data(), p.size(), 6);
    std::vector<Bytef> out(p.size());
    for (auto _ : state) {
        uLongf n = out.size();
        uncompress(out.data(), &n, z.data(), zlen);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.size()));
}
BENCHMARK(BM_Inflate);

void BM_CxDecode(benchmark::State &state)
{
    const int method = static_cast<int>(state.range(0));
    const auto &p = plain();
    const auto z = tvlw::cx_encode(p.data(), p.size(), method);
    std::vector<unsigned char> out(p.size() + 300);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const int n = cx_decode(z.data(), z.size(), out.data(), p.size());
        if (n != static_cast<int>(p.size()))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.data());
    }
    const double ours = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                        static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.size()));
    state.counters["ratio_to_inflate"] = inflate_seconds_per_run() / ours;
    state.counters["compressed_ratio"] = static_cast<double>(z.size()) / static_cast<double>(p.size());
}
BENCHMARK(BM_CxDecode)->DenseRange(0, 3);

} // namespace
