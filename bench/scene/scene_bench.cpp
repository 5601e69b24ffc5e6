// Scene building time for a symbol of 100,000 entities of mixed types: through
// the reader (decoding and delivery included), and the converters alone, in
// the classic mode (argument 0) and the full drawing mode (argument 1).  The
// full mode also keeps every entity as a block definition.
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
#include "state/drawing_mode.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

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

// The mode of the benchmark's argument for its run; classic again afterwards.
class mode_for_run {
public:
    explicit mode_for_run(const benchmark::State &state) { drawing_mode = static_cast<int>(state.range(0)); }
    ~mode_for_run() { drawing_mode = drawing_mode_classic; }
    mode_for_run(const mode_for_run &) = delete;
    mode_for_run &operator=(const mode_for_run &) = delete;
};

void BM_scene_through_reader(benchmark::State &state)
{
    const std::string file = write_library(mixed_entities());
    const mode_for_run mode(state);
    for (auto _ : state) {
        replace_current_scene();
        if (load_block_definition(file.c_str(), "MIXED") != 1) {
            state.SkipWithError("the reader refused the block");
            break;
        }
    }
    report(state);
    std::filesystem::remove(file);
    delete_current_scene();
}
BENCHMARK(BM_scene_through_reader)->Arg(drawing_mode_classic)->Arg(drawing_mode_full)->Unit(benchmark::kMillisecond);

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

// A block as the reader delivers it: the null chain, header, entities, end.
chain_store block_chains(const std::vector<Entity> &entities)
{
    chain_store chains;
    chains.heads.push_back(nullptr);
    chains.add(make("BLOCK")(2, "MIXED")(10, Point{0, 0, 0}));
    for (const Entity &e : entities)
        chains.add(e);
    chains.add(make("ENDBLK"));
    return chains;
}

void convert_repeatedly(benchmark::State &state, const chain_store &chains)
{
    const mode_for_run mode(state);
    for (auto _ : state) {
        replace_current_scene();
        reset_conversion_state();
        for (const resbuf *head : chains.heads)
            entity_callback(head);
    }
    report(state);
    delete_current_scene();
}

void BM_scene_converters_only(benchmark::State &state)
{
    convert_repeatedly(state, block_chains(mixed_entities()));
}
BENCHMARK(BM_scene_converters_only)->Arg(drawing_mode_classic)->Arg(drawing_mode_full)->Unit(benchmark::kMillisecond);

// What 2D parts drawings hold, for the full mode alone: arcs, lightweight
// polylines with bulges, lines, short texts and references to a small block.
std::vector<Entity> drawing_entities()
{
    std::vector<Entity> out;
    out.push_back(make("BLOCK")(2, "BOLT")(10, Point{0, 0, 0}));
    out.push_back(make("CIRCLE")(10, Point{0, 0, 0})(40, 0.4));
    out.push_back(make("LINE")(10, Point{-0.5, 0, 0})(11, Point{0.5, 0, 0}));
    out.push_back(make("ENDBLK"));
    for (int i = 0; out.size() < entity_count; ++i) {
        const double x = i % 100;
        const double y = i / 100 % 100;
        switch (i % 5) {
        case 0: out.push_back(make("ARC")(8, "A")(10, Point{x, y, 0})(40, 0.5)(50, 30.0)(51, 210.0)); break;
        case 1:
            out.push_back(make("LWPOLYLINE")(8, "B")(90, 3)(70, 1)(10, Point{x, y, 0})(42, 0.5)(
                10, Point{x + 1, y, 0})(10, Point{x + 1, y + 1, 0}));
            break;
        case 2: out.push_back(make("LINE")(8, "A")(10, Point{x, y, 0})(11, Point{x + 1, y + 1, 0})); break;
        case 3: out.push_back(make("TEXT")(8, "B")(10, Point{x, y, 0})(40, 0.3)(1, "M8")); break;
        default: out.push_back(make("INSERT")(8, "A")(2, "BOLT")(10, Point{x, y, 0})(50, 45.0)); break;
        }
    }
    return out;
}

void BM_scene_full_drawing(benchmark::State &state)
{
    std::vector<Entity> entities = drawing_entities();
    // The small block comes first, as the reader delivers nested blocks.
    chain_store chains;
    chains.heads.push_back(nullptr);
    for (std::size_t i = 0; i < 4; ++i)
        chains.add(entities[i]);
    entities.erase(entities.begin(), entities.begin() + 4);
    const chain_store symbol = block_chains(entities);
    for (const resbuf *head : symbol.heads)
        chains.heads.push_back(head);
    convert_repeatedly(state, chains);
}
BENCHMARK(BM_scene_full_drawing)->Arg(drawing_mode_full)->Unit(benchmark::kMillisecond);

// Text alone: the stroke font's cost per label of nine characters.
void BM_scene_full_text(benchmark::State &state)
{
    std::vector<Entity> labels;
    for (int i = 0; i < entity_count; ++i)
        labels.push_back(make("TEXT")(10, Point{i % 100 * 5.0, i / 100 % 1000 * 2.0, 0})(40, 1.0)(
            50, static_cast<double>(i % 360))(1, "M8 x 1.25"));
    convert_repeatedly(state, block_chains(labels));
}
BENCHMARK(BM_scene_full_text)->Arg(drawing_mode_full)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
