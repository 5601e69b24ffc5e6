// Writes a seed corpus for the reader harness: small libraries that between them
// use every compression method, every coding feature, the settings variations,
// prototypes, dependencies, table records and several versions.
//
//   reader_fuzz_seeds FOLDER
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "writer/entity_encoder.h"
#include "writer/library.h"

namespace {

using tvlw::Compression;
using tvlw::Entity;
using tvlw::Point;

std::vector<Entity> varied_entities(int n)
{
    std::vector<Entity> out;
    out.push_back({"LINE", {{8, "WALLS"}, {10, Point{0, 0, 0}}, {11, Point{1, 2, 3}}}});
    out.push_back({"POINT", {{8, "0"}, {10, Point{0.5, 0.25, 0}}}});
    out.push_back({"POLYLINE", {{8, "WALLS"}, {66, 1}, {70, 8}}});
    for (int i = 0; i < n; ++i)
        out.push_back({"VERTEX", {{8, "WALLS"}, {10, Point{i * 0.5, std::sin(i) * 10, 0.0625 * i}}, {70, 32}}});
    out.push_back({"SEQEND", {{8, "WALLS"}}});
    for (int i = 0; i < n / 2 + 1; ++i)
        out.push_back({"CIRCLE", {{8, "HOLES"}, {10, Point{double(i), 4, 0}}, {40, 0.25}, {62, 3}}});
    out.push_back({"TEXT", {{8, "NOTE"}, {10, Point{100000.125, -7e-3, 1e300}}, {40, 2.5}, {1, "Door"},
                            {7, "STANDARD"}, {50, 1.5707963267948966}, {72, 300}}});
    out.push_back({"INSERT", {{8, "0"}, {66, 1}, {2, "INNER"}, {10, Point{1, 1, 0}}}});
    out.push_back({"ATTRIB", {{8, "0"}, {1, "value"}, {2, "TAG"}, {10, Point{1, 1, 0}}, {40, 1.0}}});
    out.push_back({"SEQEND", {{8, "0"}}});
    out.push_back({"3DFACE", {{8, "0"}, {10, Point{0, 0, 0}}, {11, Point{1, 0, 0}}, {12, Point{1, 1, 0}},
                              {13, Point{0, 1, 0}}}});
    out.push_back({"3DFACE", {{8, "0"}, {10, Point{0, 0, 0}}, {11, Point{1, 0, 0}}, {12, Point{1, 1, 0}},
                              {13, Point{0, 1, 0}}, {67, 1}}});
    out.push_back({"MYSTERY", {{8, "0"}, {1000, "extended"}, {1071, 123456789},
                               {1004, tvlw::Binary{{1, 2, 3, 0, 255}}}, {330, tvlw::Ename{7, -1}}}});
    out.push_back({"3DSOLID", {{8, "0"}, {1, "400 0 1 0"}, {3, "body $-1 -1 $-1 $1 #"}}});
    out.push_back({"ATTDEF", {{8, "0"}, {1, ""}, {2, "NAME"}, {3, "Name?"}, {10, Point{0, -1, 0}}, {40, 0.5}}});
    return out;
}

tvlw::Settings settings(int version, std::optional<int> ring, std::optional<int> r, std::optional<int> coding,
                        std::optional<int> fr)
{
    tvlw::Settings s;
    s.version = version;
    s.ring_size = ring;
    s.record_ref_width = r;
    s.coding = coding;
    s.fraction_bits = fr;
    return s;
}

void add_tables(tvlw::LibraryWriter &w)
{
    w.add_linetype("DASHED", {0.5, -0.25});
    w.add_linetype("EMPTY", {});
    w.add_layer("WALLS", 1, 5, "DASHED");
    w.add_layer("HOLES", 3, 2, "CONTINUOUS");
    w.add_layer("NOTE", 7, 0, "CONTINUOUS");
    tvlw::TextStyle st;
    st.name = "STANDARD";
    st.height = 2.5;
    st.width_factor = 0;
    st.generation_flags = 6;
    st.style_flags = 4;
    st.font_file = "txt.shx";
    w.add_style(st);
    tvlw::TextStyle shape = st;
    shape.name = "SHAPES";
    shape.style_flags = 1;
    shape.font_file = "sym.pfb";
    shape.second_font_file = "x";
    w.add_style(shape);
}

const std::vector<tvlw::Dependency> table_deps = {
    {4, "DASHED"}, {5, "WALLS"}, {5, "HOLES"}, {5, "NOTE"}, {6, "STANDARD"}, {6, "SHAPES"}, {9, "INNER"}};

int written = 0;

void save(const tvlw::LibraryWriter &w, const std::filesystem::path &folder, const std::string &name)
{
    if (w.save((folder / (name + ".tvl")).string()))
        ++written;
    else
        std::fprintf(stderr, "cannot write %s\n", name.c_str());
}

// One library: a nested block, a symbol that depends on it and on every table.
void library(const std::filesystem::path &folder, const std::string &name, const tvlw::Settings &s,
             Compression c, tvlw::Coding coding = {}, int entities = 6, std::size_t chunk = 32768)
{
    tvlw::LibraryWriter w(s);
    add_tables(w);
    const auto inner = tvlw::encode_block(s, 0, Point{0, 0, 0}, "", {{"LINE", {{8, "0"}, {10, Point{0, 0, 0}},
                                                                             {11, Point{1, 0, 0}}}}}, coding);
    w.add_block("INNER", inner, {.compression = c, .chunk_size = chunk, .listed = false});
    const auto data = tvlw::encode_block(s, 2, Point{1, -2, 0.5}, "lib\\door", varied_entities(entities), coding);
    w.add_block("A", data, {.compression = c, .chunk_size = chunk, .dependencies = table_deps});
    w.add_block("HIDDEN", inner, {.compression = c, .hidden = true, .flags = 1});
    w.add_index_name("*U1");
    save(w, folder, name);
}

void prototype_library(const std::filesystem::path &folder, const std::string &name, const tvlw::Settings &s,
                       Compression c)
{
    tvlw::LibraryWriter w(s);
    tvlw::BlockEncoder enc(s);
    enc.begin(0, Point{0, 0, 0}, "");
    enc.add({"LINE", {{8, "0"}, {10, Point{1, 2, 0}}, {11, Point{3, 4, 0}}}});
    enc.add({"CIRCLE", {{8, "0"}, {10, Point{1, 2, 0}}, {40, 2.0}}});
    const auto proto = enc.finish();
    enc.begin(1, Point{0, 0, 0}, "", false);
    enc.add({"LINE", {{8, "0"}, {10, Point{1, 2, 0}}, {11, Point{3, 4, 0}}}});
    enc.add({"CIRCLE", {{8, "0"}, {10, Point{1, 2, 0}}, {40, 3.0}}});
    const auto block = enc.finish();
    w.add_prototype("P", proto, c);
    w.add_block("A", block, {.compression = c, .prototype = "P"});
    w.add_block("A_DWE", block, {.compression = c, .prototype = "P", .listed = false});
    save(w, folder, name);
}

void combined_library(const std::filesystem::path &folder, const std::string &name, int setting)
{
    tvlw::Settings s;
    s.combined_data = setting;
    tvlw::LibraryWriter w(s);
    auto data = tvlw::encode_block(s, 0, Point{0, 0, 0}, "", {{"LINE", {{8, "WALLS"}, {10, Point{0, 0, 0}},
                                                                        {11, Point{1, 1, 0}}}}});
    const auto layer_at = static_cast<std::int32_t>(data.size());
    for (int b : {5, int('W'), int('A'), int('L'), int('L'), int('S'), 7, 0, 0, 0})
        data.push_back(static_cast<std::uint8_t>(b));
    w.add_block("A", data, {.compression = Compression::method2,
                            .dependencies = {{5, "WALLS", layer_at, {"EXTRA"}}}});
    save(w, folder, name);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: reader_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    const Compression methods[] = {Compression::stored, Compression::method0, Compression::method1,
                                   Compression::method2, Compression::method3};
    const char *method_names[] = {"stored", "m0", "m1", "m2", "m3"};
    for (int m = 0; m < 5; ++m)
        library(folder, std::string("plain_") + method_names[m], {}, methods[m]);
    // Several chunks per block.
    library(folder, "chunks_m1", {}, Compression::method1, {}, 40, 97);
    library(folder, "chunks_m3", {}, Compression::method3, {}, 40, 300);

    const tvlw::Settings variants[] = {
        settings(40, 10, 1, 0, {}), settings(40, 200, 2, 1, 4), settings(40, 50, 3, 2, 0),
        settings(40, 255, 3, 2, 8), settings(40, 2, 1, 0, {}), settings(30, 40, 2, 1, 2),
        settings(20, {}, {}, {}, {}), settings(49, 127, 3, 1, 1),
    };
    int v = 0;
    for (const auto &s : variants) {
        library(folder, "settings" + std::to_string(v), s, methods[v % 5]);
        tvlw::Coding wide;
        wide.wide_codes = true;
        wide.explicit_type_names = true;
        wide.repeats = false;
        library(folder, "wide" + std::to_string(v), s, Compression::stored, wide, 3);
        library(folder, "longhand" + std::to_string(v), s, Compression::stored, tvlw::Coding::plain(), 3);
        ++v;
    }
    // Each coding feature alone.
    bool tvlw::Coding::*features[] = {
        &tvlw::Coding::cache,       &tvlw::Coding::repeats,          &tvlw::Coding::real_ring,
        &tvlw::Coding::short_reals, &tvlw::Coding::fixed_point,      &tvlw::Coding::point_ring,
        &tvlw::Coding::omit_coordinates, &tvlw::Coding::point_templates, &tvlw::Coding::string_ring,
        &tvlw::Coding::group_templates,
    };
    int f = 0;
    for (auto feature : features) {
        tvlw::Coding c = tvlw::Coding::plain();
        c.*feature = true;
        if (feature == &tvlw::Coding::point_templates || feature == &tvlw::Coding::fixed_point)
            c.short_reals = c.fixed_point = c.point_templates = true;
        library(folder, "feature" + std::to_string(f++), settings(40, 120, 3, 1, 3), Compression::stored, c, 4);
    }
    prototype_library(folder, "prototype_m1", {}, Compression::method1);
    prototype_library(folder, "prototype_c", settings(40, 60, 2, 2, 5), Compression::method3);
    combined_library(folder, "combined1", 1);
    combined_library(folder, "combined2", 2);
    std::printf("%d seed libraries in %s\n", written, folder.string().c_str());
    return written > 0 ? 0 : 1;
}
