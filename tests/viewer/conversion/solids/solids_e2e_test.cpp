// A 3DSOLID in a library, through tvl scene and tvl render, converted by the
// real Vorstep.exe next to the viewer library.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "file_text.h"
#include "scratch_folder.h"
#include "tvl_program.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

namespace fs = std::filesystem;

namespace {

std::string mirrored(std::string text)
{
    for (char &c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 33 && b <= 127)
            c = static_cast<char>(159 - b);
    }
    return text;
}

// The solid as a drawing stores it: one group 1 per SAT line, long lines
// begun in a group 3 that runs on into the group 1 after it.
tvlw::Entity solid_entity(const std::string &sat, const std::string &layer)
{
    tvlw::Entity e;
    e.type = "3DSOLID";
    e.groups.emplace_back(8, layer);
    e.groups.emplace_back(70, 1);
    std::istringstream lines(sat);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "End-of-ACIS-data")
            break;
        if (line.size() > 40) {
            e.groups.emplace_back(3, mirrored(line.substr(0, 40)));
            line.erase(0, 40);
        }
        e.groups.emplace_back(1, mirrored(line));
    }
    return e;
}

struct corner {
    double x, y, z;
    auto key() const { return std::tie(x, y, z); }
    bool operator<(const corner &o) const { return key() < o.key(); }
    bool operator==(const corner &o) const { return key() == o.key(); }
};

struct triangle {
    corner c[3];
    std::string color;
    bool degenerate() const { return c[0] == c[1] || c[1] == c[2] || c[2] == c[0]; }
};

std::vector<triangle> scene_triangles(const std::string &text)
{
    std::vector<triangle> out;
    std::istringstream in(text);
    std::string tag;
    while (in >> tag) {
        if (tag != "T") {
            std::string rest;
            std::getline(in, rest);
            continue;
        }
        triangle t;
        double normal[3];
        for (auto &c : t.c)
            in >> c.x >> c.y >> c.z;
        in >> normal[0] >> normal[1] >> normal[2] >> t.color;
        out.push_back(t);
    }
    return out;
}

// Every edge of the proper triangles meets its opposite exactly once; also
// gives the enclosed volume.
bool closed_mesh(const std::vector<triangle> &ts, double &volume)
{
    std::map<std::pair<corner, corner>, int> edges;
    volume = 0;
    for (const auto &t : ts) {
        if (t.degenerate())
            continue;
        const corner &a = t.c[0], &b = t.c[1], &c = t.c[2];
        volume += (a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) +
                   a.z * (b.x * c.y - b.y * c.x)) / 6;
        for (int k = 0; k < 3; ++k)
            ++edges[{t.c[k], t.c[(k + 1) % 3]}];
    }
    if (edges.empty())
        return false;
    for (const auto &[e, n] : edges) {
        const auto back = edges.find({e.second, e.first});
        if (n != 1 || back == edges.end() || back->second != 1)
            return false;
    }
    return true;
}

class solids_e2e : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir_ / "tmp");
        setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
        setenv("SKELVANE_UI", "none", 1);
        setenv("SKELVANE_UI_LOG", (dir_ / "ui.log").c_str(), 1);

        tvlw::LibraryWriter writer;
        writer.add_layer("0", 3, 0, "CONTINUOUS");
        writer.add_layer("SOLIDS", 5, 0, "CONTINUOUS");
        const std::pair<const char *, const char *> blocks[] = {{"BOX", "box.sat"},
                                                               {"CYLINDER", "cylinder.sat"}};
        for (const auto &[name, file] : blocks) {
            tvlw::BlockOptions options;
            options.dependencies.push_back({tvlw::type_layer, "0", 0, {}});
            options.dependencies.push_back({tvlw::type_layer, "SOLIDS", 0, {}});
            const std::vector<tvlw::Entity> entities{
                solid_entity(skeltest::read_file(fs::path(SOLIDS_DATA_DIR) / file), "SOLIDS")};
            writer.add_block(name, tvlw::encode_block(writer.settings(), 0, {}, "", entities), options);
        }
        library_ = (dir_ / "solids.tvl").string();
        ASSERT_TRUE(writer.save(library_));
        std::ofstream(dir_ / "colors.txt") << "green;3;0,200,0\nblue;5;0,0,200\n";
    }
    void TearDown() override
    {
        unsetenv("TMPDIR");
        unsetenv("SKELVANE_UI_LOG");
    }

    std::vector<triangle> scene(const std::string &block)
    {
        const skeltest::run_result r =
            skeltest::run_tvl({"scene", library_, block, "--colors", (dir_ / "colors.txt").string()});
        EXPECT_EQ(r.status, 0) << r.err;
        return scene_triangles(r.out);
    }

    skeltest::scratch_folder scratch_;
    const fs::path dir_ = scratch_.path();
    std::string library_;
};

TEST_F(solids_e2e, box_becomes_a_closed_mesh_in_the_faces_layer_colour)
{
    const auto ts = scene("BOX");
    // Twelve converter triangles, each a face whose fourth corner is its third:
    // the store makes two triangles of each, the second one flat.
    ASSERT_EQ(ts.size(), 24u);
    std::size_t flat = 0;
    for (const auto &t : ts) {
        flat += t.degenerate();
        // The converter puts its faces on layer 0, whose colour is number 3,
        // not on the solid's own layer (number 5).
        EXPECT_EQ(t.color, "#00C800");
        for (const auto &c : t.c) {
            EXPECT_TRUE(c.x == 0 || c.x == 2);
            EXPECT_TRUE(c.y == 0 || c.y == 3);
            EXPECT_TRUE(c.z == 0 || c.z == 4);
        }
    }
    EXPECT_EQ(flat, 12u);
    double volume = 0;
    EXPECT_TRUE(closed_mesh(ts, volume));
    EXPECT_NEAR(volume, 24.0, 1e-9);

    // No temporary file of the conversion is left behind.
    EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
    EXPECT_FALSE(fs::exists(dir_ / "ui.log"));
}

TEST_F(solids_e2e, cylinder_with_run_on_lines_is_closed)
{
    const auto ts = scene("CYLINDER");
    ASSERT_GT(ts.size(), 40u);
    EXPECT_EQ(ts.size() % 2, 0u);
    double volume = 0;
    EXPECT_TRUE(closed_mesh(ts, volume));
    const double exact = 3.14159265358979323846 * 1.5 * 1.5 * 4.0;
    EXPECT_NEAR(volume, exact, exact * 0.03);
}

// Two viewers at once used the same temporary names: in 8 of 10 pairs one drew
// the other's solid, or nothing, and both exited 0.  Each must draw its own.
TEST_F(solids_e2e, two_viewers_at_once_draw_their_own_solids)
{
    const std::size_t box = scene("BOX").size(), cylinder = scene("CYLINDER").size();
    ASSERT_NE(box, cylinder);
    for (int round = 0; round < 5; ++round) {
        const auto both = skeltest::run_together(
            {skeltest::tvl_command({"scene", library_, "BOX"}), skeltest::tvl_command({"scene", library_, "CYLINDER"})});
        EXPECT_EQ(scene_triangles(both[0].out).size(), box) << round;
        EXPECT_EQ(scene_triangles(both[1].out).size(), cylinder) << round;
    }
    EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
}

TEST_F(solids_e2e, render_draws_the_box)
{
    const std::string png_path = (dir_ / "box.png").string();
    const skeltest::run_result r = skeltest::run_tvl({"render", library_, "BOX", "-o", png_path, "--size", "48",
                                                      "--background", "000000", "--colors",
                                                      (dir_ / "colors.txt").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png_path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    ASSERT_EQ(image.width, 48u);
    const unsigned char *centre = &pixels[(24 * 48 + 24) * 3];
    // Lit green, not the black background.
    EXPECT_GT(centre[1], centre[0] + 40);
    EXPECT_GT(centre[1], centre[2] + 40);
    EXPECT_EQ(pixels[0] + pixels[1] + pixels[2], 0);
}

} // namespace
