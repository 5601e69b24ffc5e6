// Scene building time for a symbol of 100,000 entities of mixed types: through
// the reader (decoding and delivery included), and the converters alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "conversion/conversion_state.h"
#include "conversion/entity_callbacks.h"
#include "interface/block_loader.h"
#include "render/scene_functions.h"
#include "tvlwriter/entities.h"
#include "tvlwriter/library.h"

namespace {

constexpr int entity_count = 100000;

using tvlw::Entity;
using tvlw::Point;

using make = tvlw::EntityBuilder;

// Faces, lines, circles, points and short polylines in turn.
std::vector<Entity> mixed_entities()
{
    std::vector<Entity> out;
    out.reserve(entity_count);
    for (int i = 0; out.size() < entity_count; ++i) {
        const double x = i % 100;
        const double y = i / 100 % 100;
        const double z = i % 7;
        switch (i % 6) {
        case 0:
        case 1:
            out.push_back(make("3DFACE")(8, "A")(10, Point{x, y, z})(11, Point{x + 1, y, z})(
                12, Point{x + 1, y + 1, z})(13, Point{x, y + 1, z + 1}));
            break;
        case 2:
            out.push_back(make("LINE")(8, "B")(10, Point{x, y, z})(11, Point{x + 2, y + 1, z + 1}));
            break;
        case 3:
            out.push_back(make("CIRCLE")(8, "B")(10, Point{x, y, z})(40, 0.5));
            break;
        case 4:
            out.push_back(make("POINT")(8, "A")(10, Point{x, y, z}));
            break;
        default:
            if (out.size() + 4 > entity_count)
                break;
            out.push_back(make("POLYLINE")(8, "A")(66, 1)(70, 1));
            out.push_back(make("VERTEX")(10, Point{x, y, z + 1}));
            out.push_back(make("VERTEX")(10, Point{x + 1, y, z + 1}));
            out.push_back(make("SEQEND"));
            break;
        }
        if (i > 2 * entity_count)
            break;
    }
    while (out.size() < entity_count)
        out.push_back(make("POINT")(10, Point{1, 2, 3}));
    return out;
}

std::string write_library(const std::vector<Entity> &entities)
{
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("bench_scene_" + std::to_string(getpid()) + ".tvl"))
                                 .string();
    tvlw::LibraryWriter writer;
    writer.add_layer("A", 1, 0, "CONTINUOUS");
    writer.add_layer("B", 2, 0, "CONTINUOUS");
    tvlw::BlockOptions options;
    options.compression = tvlw::Compression::method2;
    options.dependencies = {{tvlw::type_layer, "A", 0, {}}, {tvlw::type_layer, "B", 0, {}}};
    writer.add_block("MIXED", tvlw::encode_block(writer.settings(), 0, {}, "", entities), options);
    writer.save(file);
    return file;
}

void report(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * entity_count);
    state.counters["per_entity"] = benchmark::Counter(
        static_cast<double>(state.iterations() * entity_count),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["triangles"] = static_cast<double>(current_scene->triangles.size());
    state.counters["lines"] = static_cast<double>(current_scene->lines.size());
}

void BM_scene_through_reader(benchmark::State &state)
{
    const std::string file = write_library(mixed_entities());
    for (auto _ : state) {
        delete current_scene;
        current_scene = new cl_opengl_image;
        if (load_block_definition(file.c_str(), "MIXED") != 1) {
            state.SkipWithError("the reader refused the block");
            break;
        }
    }
    report(state);
    std::filesystem::remove(file);
    delete current_scene;
    current_scene = nullptr;
}
BENCHMARK(BM_scene_through_reader)->Unit(benchmark::kMillisecond);

// The same entities as ready-made chains: intake and converters only.
struct chain_store {
    std::deque<resbuf> records;
    std::deque<std::string> strings;
    std::vector<const resbuf *> heads;

    void add(const Entity &e)
    {
        resbuf *previous = nullptr;
        auto append = [&](int code) -> resbuf & {
            records.push_back(resbuf{});
            resbuf &rb = records.back();
            rb.code = static_cast<int16_t>(code);
            if (previous != nullptr)
                previous->next = &rb;
            else
                heads.push_back(&rb);
            previous = &rb;
            return rb;
        };
        strings.push_back(e.type);
        append(0).value.string = strings.back().data();
        for (const tvlw::Group &g : e.groups) {
            resbuf &rb = append(g.code);
            if (const auto *p = std::get_if<Point>(&g.value)) {
                rb.value.point[0] = p->x;
                rb.value.point[1] = p->y;
                rb.value.point[2] = p->z;
            } else if (const auto *d = std::get_if<double>(&g.value)) {
                rb.value.real = *d;
            } else if (const auto *n = std::get_if<std::int64_t>(&g.value)) {
                rb.value.int16 = static_cast<int16_t>(*n);
            } else if (const auto *s = std::get_if<std::string>(&g.value)) {
                strings.push_back(*s);
                rb.value.string = strings.back().data();
            }
        }
    }
};

void BM_scene_converters_only(benchmark::State &state)
{
    chain_store chains;
    for (const Entity &e : mixed_entities())
        chains.add(e);
    for (auto _ : state) {
        delete current_scene;
        current_scene = new cl_opengl_image;
        reset_conversion_state();
        for (const resbuf *head : chains.heads)
            entity_callback(head);
    }
    report(state);
    delete current_scene;
    current_scene = nullptr;
}
BENCHMARK(BM_scene_converters_only)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
