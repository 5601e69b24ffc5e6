// tvl render: pictures through the viewer object, written as PNG.
#include "png_picture.h"
#include "tvl_run.h"

namespace {

using tvlw::Point;

// A square panel facing the default camera, on layer GREEN.
std::vector<tvlw::Entity> panel()
{
    return {make("3DFACE")(8, "GREEN")(10, Point{-1, 0, -1})(11, Point{1, 0, -1})(12, Point{1, 0, 1})(
        13, Point{-1, 0, 1})};
}

class tvl_render : public tvl_test {};

TEST_F(tvl_render, size_renders_a_square_picture)
{
    const std::string lib = library({{"PANEL", panel()}}, {{"GREEN", 3}});
    std::ofstream(path("colors.txt")) << "g;3;0,200,0\n";
    const tvl_result r = tvl({"render", lib, "PANEL", "-o", path("p.png"), "--size", "64",
                              "--background", "0000FF", "--colors", path("colors.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    picture p;
    ASSERT_TRUE(read_png(path("p.png"), p));
    EXPECT_EQ(p.width, 64);
    EXPECT_EQ(p.height, 64);
    EXPECT_EQ(p.color(0, 0), 0x0000FFu);
    EXPECT_EQ(p.color(63, 63), 0x0000FFu);
    const unsigned centre = p.color(32, 32);
    EXPECT_NE(centre, 0x0000FFu);
    // Lit green, lightened towards white: green well above red and blue.
    EXPECT_GT((centre >> 8) & 0xFF, (centre >> 16) + 60);
    EXPECT_GT((centre >> 8) & 0xFF, (centre & 0xFF) + 60);
}

TEST_F(tvl_render, window_paints_the_centred_square)
{
    const std::string lib = library({{"PANEL", panel()}});
    const tvl_result r = tvl({"render", lib, "PANEL", "-o", path("w.png"), "--window", "90x60",
                              "--background", "#FF0000"});
    ASSERT_EQ(r.status, 0) << r.err;
    picture p;
    ASSERT_TRUE(read_png(path("w.png"), p));
    EXPECT_EQ(p.width, 90);
    EXPECT_EQ(p.height, 60);
    EXPECT_EQ(p.color(5, 30), 0xFF0000u);  // left of the square (15, 0)-(75, 60)
    EXPECT_EQ(p.color(85, 30), 0xFF0000u); // right of it
    EXPECT_NE(p.color(45, 30), 0xFF0000u);
}

TEST_F(tvl_render, camera_turns_the_panel_edge_on)
{
    const std::string lib = library({{"PANEL", panel()}});
    const tvl_result r = tvl({"render", lib, "PANEL", "-o", path("e.png"), "--size", "40",
                              "--rotation", "90", "--background", "000000"});
    ASSERT_EQ(r.status, 0) << r.err;
    picture p;
    ASSERT_TRUE(read_png(path("e.png"), p));
    // Seen edge-on the panel covers almost nothing away from the middle column.
    EXPECT_EQ(p.color(5, 20), 0u);
    EXPECT_EQ(p.color(34, 20), 0u);
}

TEST_F(tvl_render, symbol_lines_are_drawn_unless_switched_off)
{
    std::vector<tvlw::Entity> entities = panel();
    // A vertical line just in front of the panel's middle.
    entities.push_back(make("LINE")(10, Point{0, -0.5, -0.9})(11, Point{0, -0.5, 0.9}));
    const std::string lib = library({{"PANEL", entities}});
    auto middle_row = [&](const std::vector<std::string> &extra) {
        std::vector<std::string> args = {"render", lib, "PANEL", "-o", path("l.png"), "--size", "64",
                                         "--view", "front"};
        args.insert(args.end(), extra.begin(), extra.end());
        const tvl_result r = tvl(args);
        EXPECT_EQ(r.status, 0) << r.err;
        picture p;
        EXPECT_TRUE(read_png(path("l.png"), p));
        std::vector<unsigned> row;
        for (int x = 28; x < 36 && p.width == 64; ++x)
            row.push_back(p.color(x, 32));
        return row;
    };
    const std::vector<unsigned> with_lines = middle_row({});
    const std::vector<unsigned> without = middle_row({"--no-lines"});
    ASSERT_EQ(without.size(), 8u);
    for (unsigned c : without)
        EXPECT_EQ(c, without[0]); // the panel alone
    EXPECT_NE(with_lines, without);
}

TEST_F(tvl_render, all_renders_every_listed_symbol_with_progress)
{
    const std::string lib = library({{"A", panel()}, {"B/C", panel()}});
    const tvl_result r = tvl({"render", lib, "--all", "-o", path("out"), "--size", "16", "--no-lines"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("[1/2] A -> "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("[2/2] B/C -> "), std::string::npos) << r.out;
    picture p;
    EXPECT_TRUE(read_png(path("out/A.png"), p));
    EXPECT_TRUE(read_png(path("out/B_C.png"), p));
    EXPECT_EQ(p.width, 16);
}

TEST_F(tvl_render, bad_arguments_fail_cleanly)
{
    const std::string lib = library({{"A", panel()}});
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"render", lib, "A", "-o", path("x.png"), "--background", "12345"},
          {"render", lib, "A", "-o", path("x.png"), "--window", "0x10"},
          {"render", lib, "A", "-o", path("x.png"), "--size", "0"},
          {"render", lib, "-o", path("x.png")},
          {"render", lib, "A", "--all", "-o", path("x")},
          {"render", path("absent.tvl"), "A", "-o", path("x.png")},
          {"render", lib, "A"}}) {
        const tvl_result r = tvl(args);
        EXPECT_NE(r.status, 0) << args.back();
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(path("x.png")));
    const tvl_result help = tvl({"render", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--window"), std::string::npos);
}

} // namespace
