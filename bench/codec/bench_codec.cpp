// Decoding speed of each compression method beside zlib's inflate of the same
// data, as a ratio of processor time measured in the same run (so that a busy
// machine slows both sides alike): ratio_to_inflate above 1 is faster than inflate.
//
// Data sets: 0 block-like bytes (short words and small numbers), 1 the entity
// coding of a drawing (lines, circles, polylines with vertices, texts on a few
// layers) as the library writer codes it.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cmath>
#include <ctime>
#include <random>
#include <string>

#include "decompress.h"
#include "writer/compress.h"
#include "writer/entity_encoder.h"

namespace {

constexpr std::size_t chunk_size = 60000;

std::vector<std::uint8_t> block_like_data()
{
    std::mt19937 rng(11);
    const std::string words[] = {"\x01\x08\x01" "0", "\x0a\x9f\x02", "VERTEX", "\x19\x1a", "WALL", "\x28\x04\x00\x01"};
    std::vector<std::uint8_t> out;
    while (out.size() < chunk_size) {
        const std::string &w = words[rng() % 6];
        out.insert(out.end(), w.begin(), w.end());
        out.push_back(static_cast<std::uint8_t>(rng() % 40));
    }
    out.resize(chunk_size);
    return out;
}

std::vector<std::uint8_t> drawing_data()
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> coordinate(0.0, 2000.0);
    const char *layers[] = {"WALLS", "DOORS", "FURNITURE", "TEXT", "0"};
    tvlw::BlockEncoder enc(tvlw::Settings{});
    enc.begin(0, {0, 0, 0}, "");
    std::size_t entities = 0;
    for (; entities < 20000; ++entities) {
        const char *layer = layers[rng() % 5];
        // Coordinates on a 0.5 grid, as drawings mostly have them.
        const auto at = [&] { return tvlw::Point{std::round(coordinate(rng) * 2) / 2, std::round(coordinate(rng) * 2) / 2, 0}; };
        switch (rng() % 4) {
        case 0:
            enc.add(tvlw::EntityBuilder("LINE")(8, layer)(10, at())(11, at()));
            break;
        case 1:
            enc.add(tvlw::EntityBuilder("CIRCLE")(8, layer)(10, at())(40, double(1 + rng() % 50)));
            break;
        case 2:
            enc.add(tvlw::EntityBuilder("TEXT")(8, layer)(10, at())(40, 2.5)(1, "ROOM " + std::to_string(rng() % 100)));
            break;
        default:
            enc.add(tvlw::EntityBuilder("POLYLINE")(8, layer)(66, 1)(70, 1));
            for (unsigned v = 0; v < 2 + rng() % 6; ++v)
                enc.add(tvlw::EntityBuilder("VERTEX")(8, layer)(10, at()));
            enc.add(tvlw::EntityBuilder("SEQEND")(8, layer));
        }
        if (enc.bytes().size() > chunk_size)
            break;
    }
    auto out = enc.finish();
    out.resize(std::min(out.size(), chunk_size));
    return out;
}

const std::vector<std::uint8_t> &plain(int set)
{
    static const auto blocks = block_like_data();
    static const auto drawing = drawing_data();
    return set == 0 ? blocks : drawing;
}

double cpu_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Processor seconds of one inflate of the data set.
double inflate_seconds(int set)
{
    const auto &p = plain(set);
    uLongf zlen = compressBound(p.size());
    std::vector<Bytef> z(zlen);
    compress2(z.data(), &zlen, p.data(), p.size(), 6);
    std::vector<Bytef> out(p.size());
    const int runs = 300;
    const double start = cpu_seconds();
    for (int i = 0; i < runs; ++i) {
        uLongf n = out.size();
        uncompress(out.data(), &n, z.data(), zlen);
        benchmark::DoNotOptimize(out.data());
    }
    return (cpu_seconds() - start) / runs;
}

void BM_Inflate(benchmark::State &state)
{
    const auto &p = plain(static_cast<int>(state.range(0)));
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
BENCHMARK(BM_Inflate)->DenseRange(0, 1);

// Arguments: method, data set.
void BM_CxDecode(benchmark::State &state)
{
    const int method = static_cast<int>(state.range(0));
    const int set = static_cast<int>(state.range(1));
    const auto &p = plain(set);
    const auto z = tvlw::cx_encode(p.data(), p.size(), method);
    std::vector<unsigned char> out(p.size() + 300);
    // Inflate before and after, so that both sides see the same machine.
    double inflate = inflate_seconds(set);
    const double start = cpu_seconds();
    for (auto _ : state) {
        const int n = cx_decode(z.data(), z.size(), out.data(), p.size());
        if (n != static_cast<int>(p.size()))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.data());
    }
    const double ours = (cpu_seconds() - start) / static_cast<double>(state.iterations());
    inflate = (inflate + inflate_seconds(set)) / 2;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.size()));
    state.counters["ratio_to_inflate"] = inflate / ours;
    state.counters["compressed_ratio"] = static_cast<double>(z.size()) / static_cast<double>(p.size());
}
BENCHMARK(BM_CxDecode)->ArgsProduct({{0, 1, 2, 3}, {0, 1}});

} // namespace
