// tvl scene: the viewer's scene of a symbol as text.
#include "tvl_run.h"

namespace {

using tvlw::Point;

class tvl_scene : public tvl_test {};

TEST_F(tvl_scene, writes_triangles_lines_and_points_in_adding_order)
{
    const std::string lib = library(
        {{"MIX",
          {make("LINE")(8, "0")(10, Point{0, 0, 0})(11, Point{1, 2, 3}),
           make("3DFACE")(8, "RED")(10, Point{0, 0, 0})(11, Point{1, 0, 0})(12, Point{1, 1, 0})(
               13, Point{1, 1, 0}),
           make("LINE")(8, "0")(10, Point{0, 0, 0})(11, Point{5, 0, 0}), // flat after a face: dropped
           make("POINT")(8, "0")(10, Point{0.1, -2, 1e-3})}}},
        {{"0", 7}, {"RED", 1}});
    std::ofstream(path("colors.txt")) << "# test\nred;1;250,10,20\n";

    const tvl_result r = tvl({"scene", lib, "MIX", "--colors", path("colors.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "T 0 0 0 1 0 0 1 1 0 0 0 1 #FA0A14\n"
                     "L 0 0 0 1 2 3 #E1E1E1\n"
                     "P 0.10000000000000001 -2 0.001\n"
                     "triangles 1 lines 1 points 1\n");
}

TEST_F(tvl_scene, without_colour_file_faces_are_grey_and_output_goes_to_a_file)
{
    const std::string lib = library(
        {{"FACE", {make("3DFACE")(8, "0")(10, Point{0, 0, 0})(11, Point{0, 1, 0})(12, Point{0, 1, 1})(
                       13, Point{0, 0, 1})}}});
    const tvl_result r = tvl({"scene", lib, "FACE", "-o", path("scene.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_text(path("scene.txt")), "T 0 0 0 0 1 0 0 1 1 1 0 0 #C9C9C9\n"
                                             "T 0 1 1 0 0 1 0 0 0 1 0 0 #C9C9C9\n"
                                             "triangles 2 lines 0 points 0\n");
}

TEST_F(tvl_scene, polyline_parts_and_circle_counts)
{
    const std::string lib = library(
        {{"POLY",
          {make("POLYLINE")(8, "0")(66, 1)(70, 1)(38, 2.0), make("VERTEX")(10, Point{0, 0, 0}),
           make("VERTEX")(10, Point{1, 0, 0}), make("VERTEX")(10, Point{1, 1, 0}), make("SEQEND"),
           make("CIRCLE")(10, Point{0, 0, 0})(40, 1.0)(39, 1.0)}}});
    const tvl_result r = tvl({"scene", lib, "POLY"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("L 0 0 2 1 0 2 #000000\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\ntriangles 144 lines 3 points 0\n"), std::string::npos) << r.out;
}

TEST_F(tvl_scene, failures_are_reported_without_output)
{
    const std::string lib = library({{"ONE", {make("POINT")(10, Point{1, 1, 1})}}});
    tvl_result r = tvl({"scene", lib, "MISSING", "-o", path("out.txt")});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("tvl scene: cannot load symbol MISSING"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(path("out.txt")));

    r = tvl({"scene", path("absent.tvl"), "ONE"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no library"), std::string::npos) << r.err;

    r = tvl({"scene", lib, "ONE", "--colors", path("absent.txt")});
    EXPECT_NE(r.status, 0);

    r = tvl({"scene", lib});
    EXPECT_NE(r.status, 0);

    r = tvl({"scene", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--colors"), std::string::npos);
}

} // namespace
