// tvl scene: the viewer's scene of a symbol as text.
#include "tvl_run.h"

namespace {

using tvlw::Point;

class tvl_scene : public tvl_test {};

// The records of a scene text: "T" corners (normal left out) and colour,
// "L" ends and colour, "P" point; the count line last.
std::vector<std::string> records(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (!w.empty() && w[0] == "T" && w.size() == 14)
            w.erase(w.begin() + 10, w.begin() + 13);
        std::string joined;
        for (const std::string &word : w)
            joined += (joined.empty() ? "" : " ") + word;
        out.push_back(joined);
    }
    return out;
}

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
    EXPECT_EQ(skeltest::read_file(path("scene.txt")), "T 0 0 0 0 1 0 0 1 1 1 0 0 #C9C9C9\n"
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

TEST_F(tvl_scene, polygon_mesh_cells_in_row_order_and_their_faces_hide_flat_lines)
{
    auto vertex = [](double x, double y, double z) { return make("VERTEX")(10, Point{x, y, z})(70, 64); };
    const std::string lib = library(
        {{"MESH",
          {make("LINE")(10, Point{0, 0, 0})(11, Point{0, 5, 0}),
           make("POLYLINE")(66, 1)(70, 16 | 32)(71, 2)(72, 3), vertex(0, 0, 0), vertex(1, 0, 0),
           vertex(2, 0, 0), vertex(0, 1, 1), vertex(1, 1, 1), vertex(2, 1, 1), make("SEQEND"),
           make("LINE")(10, Point{0, 0, 0})(11, Point{5, 0, 0})}}});
    const tvl_result r = tvl({"scene", lib, "MESH"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Closed in N only: one row of three cells, the last one wrapping to column 0.
    EXPECT_EQ(records(r.out), (std::vector<std::string>{
                                  "T 0 0 0 1 0 0 1 1 1 #000000", "T 1 1 1 0 1 1 0 0 0 #000000",
                                  "T 1 0 0 2 0 0 2 1 1 #000000", "T 2 1 1 1 1 1 1 0 0 #000000",
                                  "T 2 0 0 0 0 0 0 1 1 #000000", "T 0 1 1 2 1 1 2 0 0 #000000",
                                  "L 0 0 0 0 5 0 #E1E1E1", "triangles 6 lines 1 points 0"}))
        << r.out;
}

TEST_F(tvl_scene, polyface_faces_ignore_invisible_edge_signs)
{
    auto vertex = [](double x, double y) { return make("VERTEX")(10, Point{x, y, 2})(70, 192); };
    auto face = [](int a, int b, int c, int d) {
        return make("VERTEX")(10, Point{0, 0, 0})(70, 128)(71, a)(72, b)(73, c)(74, d);
    };
    const std::string lib = library(
        {{"PFACE",
          {make("POLYLINE")(8, "ZERO")(66, 1)(70, 64)(71, 4)(72, 3)(38, 7.0), vertex(0, 0),
           vertex(1, 0), vertex(1, 1), vertex(0, 1), face(1, -2, 3, 0), face(-1, 2, 3, 4),
           face(1, 2, 0, 0), make("SEQEND")}}},
        {{"ZERO", 0}});
    std::ofstream(path("colors.txt")) << "z;0;10,20,30\n";
    const tvl_result r = tvl({"scene", lib, "PFACE", "--colors", path("colors.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    // Face points are the stored vertices: the POLYLINE's elevation is not added.
    EXPECT_EQ(records(r.out), (std::vector<std::string>{
                                  "T 0 0 2 1 0 2 1 1 2 #0A141E", "T 0 0 2 1 0 2 1 1 2 #0A141E",
                                  "T 1 1 2 0 1 2 0 0 2 #0A141E", "triangles 3 lines 0 points 0"}))
        << r.out;
}

TEST_F(tvl_scene, layer_colour_rules_differ_between_faces_and_polyline_parts)
{
    std::vector<tvlw::Entity> entities;
    // Polylines first and above z = 0, so that the faces below cannot hide them.
    for (const char *layer : {"ZERO", "ONE", "OFF", "BIG", "NOWHERE"}) {
        entities.push_back(make("POLYLINE")(8, layer)(66, 1));
        entities.push_back(make("VERTEX")(10, Point{0, 0, 1}));
        entities.push_back(make("VERTEX")(10, Point{1, 0, 1}));
        entities.push_back(make("SEQEND"));
    }
    for (const char *layer : {"ZERO", "ONE", "OFF", "BIG", "NOWHERE"})
        entities.push_back(make("3DFACE")(8, layer)(10, Point{0, 0, 0})(11, Point{1, 0, 0})(
            12, Point{1, 1, 0})(13, Point{1, 1, 0}));
    entities.push_back(make("LINE")(8, "ONE")(10, Point{0, 0, 1})(11, Point{0, 0, 2}));
    entities.push_back(make("CIRCLE")(8, "ONE")(10, Point{0, 0, 0})(40, 1.0));
    const std::string lib =
        library({{"COLOURS", entities}}, {{"ZERO", 0}, {"ONE", 1}, {"OFF", -1}, {"BIG", 300}});
    std::ofstream(path("colors.txt")) << "z;0;10,20,30\no;1;250,0,0;\n";

    const tvl_result r = tvl({"scene", lib, "COLOURS", "--colors", path("colors.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> got = records(r.out);
    ASSERT_EQ(got.back(), "triangles 5 lines 78 points 0") << r.out;
    std::vector<std::string> colours;
    for (const std::string &record : got)
        colours.push_back(record.substr(0, 1) + record.substr(record.size() - 7));
    // Number 0 counts for polyline parts, not for faces; a negative (switched
    // off) number, one beyond the table and a layer without record take the
    // defaults: black for polyline parts, grey for faces.
    EXPECT_EQ(std::vector<std::string>(colours.begin(), colours.begin() + 5),
              (std::vector<std::string>{"T#C9C9C9", "T#FA0000", "T#C9C9C9", "T#C9C9C9", "T#C9C9C9"}));
    EXPECT_EQ(std::vector<std::string>(colours.begin() + 5, colours.begin() + 10),
              (std::vector<std::string>{"L#0A141E", "L#FA0000", "L#000000", "L#000000", "L#000000"}));
    // Lines are white and circles grey whatever their layer.
    EXPECT_EQ(colours[10], "L#E1E1E1");
    EXPECT_EQ(colours[11], "L#C9C9C9");
    EXPECT_EQ(colours[82], "L#C9C9C9");
}

TEST_F(tvl_scene, entities_that_draw_nothing)
{
    const std::string lib = library(
        {{"NOTHING",
          {make("ARC")(10, Point{0, 0, 0})(40, 1.0)(50, 0.0)(51, 1.5),
           make("ELLIPSE")(10, Point{0, 0, 0})(11, Point{2, 0, 0})(40, 0.5),
           make("ATTDEF")(10, Point{0, 0, 0})(40, 1.0)(1, "x")(2, "TAG")(3, "Prompt"),
           make("LWPOLYLINE")(90, 2)(10, Point{0, 0, 0})(10, Point{1, 1, 0}),
           make("TEXT")(10, Point{0, 0, 0})(40, 1.0)(1, "hello")}}});
    const tvl_result r = tvl({"scene", lib, "NOTHING"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "triangles 0 lines 0 points 0\n");
}

TEST_F(tvl_scene, failures_are_reported_without_output)
{
    const std::string lib = library({{"ONE", {make("POINT")(10, Point{1, 1, 1})}}});
    tvl_result r = tvl({"scene", lib, "MISSING", "-o", path("out.txt")});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("tvl scene: cannot load symbol MISSING"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(path("out.txt")));
    // The reader's own report goes to standard error as well, on a line of its own.
    r = tvl({"scene", lib, "MISSING"});
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("MISSING not found in table"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\ntvl scene: "), std::string::npos) << r.err;

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
