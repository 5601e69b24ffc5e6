// The full drawing mode: block definitions and their references, curves,
// widths, fills, text and colours, fed as the reader delivers them.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <numbers>

#include "chain_builder.h"
#include "conversion/full_state.h"
#include "conversion/full_text.h"
#include "conversion/stroke_font.h"
#include "state/drawing_mode.h"

namespace {

constexpr double pi = std::numbers::pi;

class full_mode : public scene_test {
protected:
    void SetUp() override
    {
        scene_test::SetUp();
        drawing_mode = drawing_mode_full;
    }
    void TearDown() override
    {
        drawing_mode = drawing_mode_classic;
        scene_test::TearDown();
    }
    // The null chain and header that open a block, as the reader sends them.
    static void begin(const std::string &name, fpt base = {})
    {
        entity_callback(nullptr);
        chain("BLOCK").str(2, name).pt(10, base.x, base.y, base.z).feed();
    }
    static void end() { chain("ENDBLK").feed(); }

    // Every line end and triangle corner drawn.
    std::vector<fpt> drawn_points() const
    {
        std::vector<fpt> out;
        for (const auto &l : lines()) {
            out.push_back(l.start);
            out.push_back(l.end);
        }
        for (const auto &t : triangles()) {
            out.push_back(t.corner_a);
            out.push_back(t.corner_b);
            out.push_back(t.corner_c);
        }
        return out;
    }
    double filled_area() const
    {
        double area = 0.0;
        for (const auto &t : triangles())
            area += fpt_length(fpt_cross(t.corner_b - t.corner_a, t.corner_c - t.corner_a)) / 2.0;
        return area;
    }
};

bool has_line(const std::vector<cl_opengl_image_line> &lines, fpt a, fpt b)
{
    auto near = [](fpt p, fpt q) { return fpt_length(p - q) < 1e-9; };
    for (const auto &l : lines)
        if ((near(l.start, a) && near(l.end, b)) || (near(l.start, b) && near(l.end, a)))
            return true;
    return false;
}

TEST_F(full_mode, reference_mirrors_rotates_and_arrays_its_block_about_the_base_point)
{
    begin("PIN", {1, 0, 0});
    chain("LINE").pt(10, 1, 0, 0).pt(11, 2, 0, 0).feed();
    end();
    begin("SYMBOL");
    chain("INSERT").str(2, "pin").pt(10, 10, 0, 0).real(41, -1).real(50, 90)
        .i16(70, 3).i16(71, 2).real(44, 5).real(45, 7).feed();
    end();
    // Only the symbol's drawing stays: six copies, none at the block's origin.
    ASSERT_EQ(lines().size(), 6u);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_TRUE(has_line(lines(), {10.0 - 7 * r, 5.0 * c, 0}, {10.0 - 7 * r, 5.0 * c - 1, 0}))
                << "column " << c << " row " << r;
}

TEST_F(full_mode, reference_with_extrusion_and_nesting_compose)
{
    begin("A");
    chain("LINE").pt(10, 0, 0, 0).pt(11, 1, 0, 0).feed();
    end();
    begin("B");
    chain("INSERT").str(2, "A").pt(10, 0, 0, 0).real(41, 2).real(42, 2).real(43, 2).feed();
    end();
    begin("S");
    // Seen from below: the object x axis is world -x.
    chain("INSERT").str(2, "B").pt(10, 3, 0, 0).pt(210, 0, 0, -1).feed();
    end();
    ASSERT_EQ(lines().size(), 1u);
    EXPECT_TRUE(has_line(lines(), {-3, 0, 0}, {-5, 0, 0}));
}

TEST_F(full_mode, block_that_contains_itself_is_drawn_once)
{
    begin("LOOP");
    chain("LINE").pt(10, 0, 0, 0).pt(11, 1, 0, 0).feed();
    chain("INSERT").str(2, "LOOP").pt(10, 1, 1, 0).feed();
    end();
    begin("S");
    chain("INSERT").str(2, "LOOP").feed();
    chain("INSERT").str(2, "S").feed();
    chain("INSERT").str(2, "MISSING").feed();
    end();
    EXPECT_EQ(lines().size(), 1u);
}

TEST_F(full_mode, huge_arrays_stop_at_the_budget)
{
    begin("DOT");
    chain("LINE").pt(10, 0, 0, 0).pt(11, 1, 0, 0).feed();
    end();
    begin("S");
    chain("INSERT").str(2, "DOT").i16(70, 30000).i16(71, 30000).real(44, 1).real(45, 1).feed();
    end();
    EXPECT_GT(lines().size(), 0u);
    EXPECT_LE(static_cast<long>(lines().size()), full_entity_budget);
}

// Text placed at a scale of zero draws nothing the scene keeps, so only the
// count of pieces offered stops it: without that bound this runs for hours.
TEST_F(full_mode, text_at_zero_scale_in_huge_arrays_stops_at_the_piece_budget)
{
    if (!find_stroke_font("rowmans.jhf"))
        GTEST_SKIP() << "no stroke font installed";
    begin("WORDS");
    chain("TEXT").pt(10, 0, 0, 0).real(40, 1).str(1, std::string(2000, 'W')).feed();
    end();
    begin("S");
    chain("INSERT").str(2, "WORDS").real(41, 0).real(42, 0).i16(70, 1000).i16(71, 1000).feed();
    end();
    EXPECT_TRUE(lines().empty());
    EXPECT_LE(full_state().pieces_left, 0);
}

TEST_F(full_mode, attributes_after_a_reference_are_drawn_and_definitions_are_not)
{
    if (!find_stroke_font("rowmans.jhf"))
        GTEST_SKIP() << "no stroke font installed";
    begin("TAG");
    chain("ATTDEF").pt(10, 0, 0, 0).real(40, 1).str(1, "X").str(2, "T").feed();
    end();
    begin("S");
    chain("INSERT").str(2, "TAG").i16(66, 1).feed();
    chain("ATTRIB").pt(10, 0, 0, 0).real(40, 1).str(1, "I").str(2, "T").feed();
    chain("ATTRIB").pt(10, 5, 0, 0).real(40, 1).str(1, "HIDDEN").i16(70, 1).feed();
    chain("SEQEND").feed();
    end();
    // The letter I is one stroke.
    EXPECT_EQ(lines().size(), 1u);
}

TEST_F(full_mode, bulge_of_one_is_a_half_circle_clockwise_when_negative)
{
    begin("S");
    chain("LWPOLYLINE").i16(70, 0).pt(10, 0, 0, 0).real(42, 1).pt(10, 2, 0, 0).feed();
    chain("LWPOLYLINE").i16(70, 0).pt(10, 0, 5, 0).real(42, -1).pt(10, 2, 5, 0).feed();
    end();
    ASSERT_GT(lines().size(), 10u);
    for (const fpt &p : drawn_points()) {
        const bool lower = p.y < 2.5;
        const fpt centre = lower ? fpt{1, 0, 0} : fpt{1, 5, 0};
        EXPECT_NEAR(fpt_length(p - centre), 1.0, 1e-9);
        // Counter-clockwise from (0, 0) to (2, 0) runs below the chord.
        EXPECT_LE(lower ? p.y : centre.y - p.y, 1e-9);
    }
}

TEST_F(full_mode, closed_polyline_with_widths_is_filled_and_bulged_segments_follow_the_arc)
{
    begin("S");
    chain("LWPOLYLINE").i16(70, 1).real(43, 0.2).pt(10, 0, 0, 0).pt(10, 4, 0, 0)
        .pt(10, 4, 4, 0).pt(10, 0, 4, 0).feed();
    end();
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(triangles().size(), 8u);
    EXPECT_NEAR(filled_area(), 4 * 4 * 0.2, 1e-9);

    // Old-style polyline: width from 0 to 1 along a half circle of radius 1.
    begin("T");
    chain("POLYLINE").i16(66, 1).i16(70, 0).feed();
    chain("VERTEX").pt(10, 0, 0, 0).real(40, 0).real(41, 1).real(42, 1).feed();
    chain("VERTEX").pt(10, 2, 0, 0).feed();
    chain("SEQEND").feed();
    end();
    ASSERT_GT(triangles().size(), 8u);
    for (const fpt &p : drawn_points())
        EXPECT_LE(std::fabs(fpt_length(p - fpt{1, 0, 0}) - 1.0), 0.5 + 1e-9);
}

TEST_F(full_mode, rational_spline_circle_and_fit_points)
{
    const double w = std::sqrt(0.5);
    begin("S");
    chain c("SPLINE");
    c.i16(70, 4).i16(71, 2).i16(72, 12).i16(73, 9);
    for (double k : {0.0, 0.0, 0.0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1.0, 1.0, 1.0})
        c.real(40, k);
    const double pts[9][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
    for (int i = 0; i < 9; ++i)
        c.pt(10, pts[i][0], pts[i][1], 0).real(41, i % 2 ? w : 1.0);
    c.feed();
    end();
    ASSERT_GT(lines().size(), 30u);
    for (const fpt &p : drawn_points())
        EXPECT_NEAR(fpt_length(p), 1.0, 1e-9);

    begin("T");
    chain("SPLINE").i16(71, 3).pt(11, 0, 0, 0).pt(11, 1, 1, 0).pt(11, 2, 0, 0).pt(11, 3, 1, 0).feed();
    end();
    for (fpt through : {fpt{0, 0, 0}, fpt{1, 1, 0}, fpt{2, 0, 0}, fpt{3, 1, 0}}) {
        bool found = false;
        for (const fpt &p : drawn_points())
            found = found || fpt_length(p - through) < 1e-9;
        EXPECT_TRUE(found) << through.x;
    }
}

TEST_F(full_mode, arcs_and_ellipses_keep_to_their_curves)
{
    begin("S");
    chain("ARC").pt(10, 1, 1, 0).real(40, 2).real(50, 90).real(51, 0).feed();
    end();
    for (const fpt &p : drawn_points()) {
        EXPECT_NEAR(fpt_length(p - fpt{1, 1, 0}), 2.0, 1e-9);
        // From 90 degrees round to 0: never inside the first quadrant.
        EXPECT_FALSE(p.x > 1 + 1e-6 && p.y > 1 + 1e-6);
    }
    begin("T");
    chain("ELLIPSE").pt(10, 0, 0, 0).pt(11, 0, 4, 0).real(40, 0.5).real(41, 0).real(42, pi).feed();
    end();
    for (const fpt &p : drawn_points()) {
        // Major axis along y (4), minor along -x (2) for the first half.
        EXPECT_NEAR(p.y * p.y / 16 + p.x * p.x / 4, 1.0, 1e-9);
        EXPECT_LE(p.x, 1e-9);
    }
}

TEST_F(full_mode, dimension_draws_its_block_and_polylines_keep_elevation_and_extrusion)
{
    begin("_D1", {1, 1, 0});
    chain("LINE").pt(10, 1, 1, 0).pt(11, 4, 1, 0).feed();
    end();
    begin("S");
    chain("DIMENSION").str(2, "_D1").pt(10, 7, 7, 0).feed();
    // Seen from below at elevation 2: object x is world -x, object z world -z.
    chain("LWPOLYLINE").real(38, 2).pt(210, 0, 0, -1).pt(10, 1, 0, 0).pt(10, 3, 0, 0).feed();
    end();
    ASSERT_EQ(lines().size(), 2u);
    EXPECT_TRUE(has_line(lines(), {0, 0, 0}, {3, 0, 0}));
    EXPECT_TRUE(has_line(lines(), {-1, 0, -2}, {-3, 0, -2}));
}

TEST_F(full_mode, solid_corners_run_one_two_four_three)
{
    begin("S");
    chain("SOLID").pt(10, 0, 0, 0).pt(11, 1, 0, 0).pt(12, 0, 1, 0).pt(13, 1, 1, 0).feed();
    chain("TRACE").pt(10, 5, 0, 0).pt(11, 6, 0, 0).pt(12, 5, 1, 0).feed();
    end();
    ASSERT_EQ(triangles().size(), 3u);
    EXPECT_NEAR(filled_area(), 1.5, 1e-12);
}

TEST_F(full_mode, solid_hatch_leaves_its_island_open_and_pattern_hatch_is_outlined)
{
    begin("S");
    chain h("HATCH");
    h.pt(10, 0, 0, 0).pt(210, 0, 0, 1).str(2, "SOLID").i16(70, 1).i16(71, 0);
    h.i32(91, 2);
    h.i32(92, 2).i16(72, 0).i16(73, 1).i32(93, 4);
    h.pt(10, 0, 0, 0).pt(10, 10, 0, 0).pt(10, 10, 10, 0).pt(10, 0, 10, 0);
    h.i32(92, 1).i32(93, 4);
    const double island[4][2] = {{3, 3}, {7, 3}, {7, 7}, {3, 7}};
    for (int i = 0; i < 4; ++i)
        h.i16(72, 1).pt(10, island[i][0], island[i][1], 0).pt(11, island[(i + 1) % 4][0], island[(i + 1) % 4][1], 0);
    h.i16(75, 0).i16(76, 1).i32(98, 0);
    h.feed();
    end();
    EXPECT_NEAR(filled_area(), 100.0 - 16.0, 1e-9);
    for (const auto &t : triangles()) {
        const fpt c = (t.corner_a + t.corner_b + t.corner_c) * (1.0 / 3.0);
        EXPECT_FALSE(c.x > 3 && c.x < 7 && c.y > 3 && c.y < 7);
    }
    EXPECT_TRUE(lines().empty());

    begin("P");
    chain("HATCH").pt(10, 0, 0, 0).str(2, "ANSI31").i16(70, 0).i32(91, 1).i32(92, 2)
        .i16(72, 0).i16(73, 1).i32(93, 3).pt(10, 0, 0, 0).pt(10, 1, 0, 0).pt(10, 0, 1, 0).feed();
    end();
    EXPECT_TRUE(triangles().empty());
    EXPECT_EQ(lines().size(), 3u);
}

TEST_F(full_mode, colours_by_number_layer_and_block)
{
    give_layer("RED", 1);
    chain("LAYER").str(2, "BLUE").i16(62, 5).feed_table();
    chain("LAYER").str(2, "OFF").i16(62, -3).feed_table();
    begin("B");
    chain("LINE").str(8, "0").i16(62, 0).pt(10, 0, 0, 0).pt(11, 1, 0, 0).feed();  // by block
    chain("LINE").str(8, "0").pt(10, 0, 1, 0).pt(11, 1, 1, 0).feed();              // layer 0: the reference's layer
    end();
    begin("S");
    chain("INSERT").str(2, "B").str(8, "BLUE").i16(62, 3).feed();
    chain("LINE").str(8, "RED").i16(62, 6).pt(10, 0, 5, 0).pt(11, 1, 5, 0).feed();
    chain("LINE").str(8, "OFF").pt(10, 0, 6, 0).pt(11, 1, 6, 0).feed();
    end();
    ASSERT_EQ(lines().size(), 3u);
    EXPECT_EQ(lines()[0].color, RGB(0, 255, 0));
    EXPECT_EQ(lines()[1].color, RGB(0, 0, 255));
    EXPECT_EQ(lines()[2].color, RGB(255, 0, 255));
}

TEST_F(full_mode, line_types_dash_only_when_the_option_is_on)
{
    for (int mode : {drawing_mode_full, drawing_mode_full_line_types}) {
        drawing_mode = mode;
        reset_conversion_state();
        current_scene->lines.clear();
        chain("LTYPE").str(2, "DASHED").i16(73, 2).real(49, 1.0).real(49, -0.5).feed_table();
        chain("LAYER").str(2, "HIDDEN").i16(62, 1).str(6, "DASHED").feed_table();
        begin("S");
        chain("LINE").str(8, "HIDDEN").pt(10, 0, 0, 0).pt(11, 10, 0, 0).feed();
        end();
        double length = 0.0;
        for (const auto &l : lines())
            length += fpt_length(l.end - l.start);
        if (mode == drawing_mode_full) {
            EXPECT_EQ(lines().size(), 1u);
        } else {
            EXPECT_EQ(lines().size(), 7u);
            EXPECT_NEAR(length, 7.0, 1e-9);
        }
    }
}

TEST_F(full_mode, damaged_entities_draw_what_they_can)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    begin("B");
    chain("LINE").pt(10, 0, 0, 0).pt(11, 1, 0, 0).feed();
    end();
    begin("S");
    // Counts far beyond the groups that follow.
    chain("HATCH").i16(70, 1).i32(91, 1000).i32(92, 2).i16(72, 0).i32(93, 100000).pt(10, 0, 0, 0).feed();
    chain("HATCH").i16(70, 1).i32(91, 1).i32(92, 0).i32(93, 3).i16(72, 9).feed();
    // Knots that do not fit the control points: the control polygon.
    chain("SPLINE").i16(71, 3).real(40, 0).pt(10, 0, 0, 0).pt(10, 1, 0, 0).pt(10, 1, 1, 0).feed();
    chain("ARC").pt(10, 0, 0, 0).real(40, nan).real(50, 0).real(51, 90).feed();
    chain("INSERT").str(2, "B").real(41, nan).real(50, std::numeric_limits<double>::infinity()).feed();
    chain("TEXT").pt(10, 0, 0, 0).real(40, nan).real(41, -2).str(1, std::string(70000, 'W')).feed();
    chain("MTEXT").pt(10, 0, 0, 0).real(40, 1).real(41, 0.001).i16(71, 99).str(1, "\\P\\S;{\\").feed();
    chain("LWPOLYLINE").real(42, 1e300).pt(10, 0, 0, 0).real(42, nan).pt(10, 1, 0, 0).feed();
    end();
    EXPECT_TRUE(triangles().empty());
    // The spline's two legs and the reference's line; nothing from the rest
    // but text, which has strokes of finite length only.
    for (const auto &l : lines()) {
        EXPECT_TRUE(std::isfinite(l.start.x) && std::isfinite(l.end.y));
    }
    EXPECT_GE(lines().size(), 3u);
}

TEST(stroke_font, missing_or_damaged_files_leave_an_empty_font)
{
    cl_stroke_font font;
    EXPECT_FALSE(font.Load("/nonexistent/rowmans.jhf"));
    EXPECT_EQ(font.Glyph('A'), nullptr);
    EXPECT_NE(font.Glyph('\1'), nullptr); // made from strokes, always there
    const std::string path = ::testing::TempDir() + "damaged.jhf";
    {
        std::ofstream out(path, std::ios::binary);
        out << "    1  4MWRFRT R\n12345678\n  3999AB\n\n   x  -5\n";
    }
    EXPECT_TRUE(font.Load(path)); // the first record is whole
    ASSERT_NE(font.Glyph(' '), nullptr);
    EXPECT_EQ(font.Glyph('!'), nullptr);
    std::remove(path.c_str());
}

TEST(full_text_codes, percent_codes_and_mtext_formatting)
{
    EXPECT_EQ(decode_percent_codes("%%c10 %%d %%p1 100%%% %%u%%065"), "\00210 \1 \0031 100% A");
    const auto lines = mtext_lines("{\\fArial|b0;Top}\\Pa\\~b \\S1^2;\\P\\H2.5x;x\\\\y");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Top");
    EXPECT_EQ(lines[1], "a b 1/2");
    EXPECT_EQ(lines[2], "x\\y");
}

class full_text_alignment : public full_mode {
protected:
    struct box {
        double min_x = 1e300, max_x = -1e300, min_y = 1e300, max_y = -1e300;
    };
    box text_box(int horizontal, int vertical)
    {
        begin("S");
        chain("TEXT").pt(10, 0, 0, 0).pt(11, 10, 0, 0).real(40, 1).str(1, "HIE")
            .i16(72, horizontal).i16(73, vertical).feed();
        end();
        box b;
        for (const fpt &p : drawn_points()) {
            b.min_x = std::min(b.min_x, p.x);
            b.max_x = std::max(b.max_x, p.x);
            b.min_y = std::min(b.min_y, p.y);
            b.max_y = std::max(b.max_y, p.y);
        }
        return b;
    }
};

TEST_F(full_text_alignment, every_alignment_puts_the_text_where_it_says)
{
    if (!find_stroke_font("rowmans.jhf"))
        GTEST_SKIP() << "no stroke font installed";
    const box left = text_box(0, 0);
    const double width = left.max_x - left.min_x;
    EXPECT_NEAR(left.min_y, 0.0, 1e-9);  // capitals stand on the baseline
    EXPECT_NEAR(left.max_y, 1.0, 1e-9);  // and are as high as the text
    EXPECT_NEAR(left.min_x, 0.0, 0.2);
    const double tolerance = 0.2;
    for (int v = 0; v <= 3; ++v) {
        const box centre = text_box(1, v);
        EXPECT_NEAR((centre.min_x + centre.max_x) / 2, 10.0, tolerance) << v;
        const box right = text_box(2, v);
        EXPECT_NEAR(right.max_x, 10.0, tolerance) << v;
        const double expected_top[4] = {1.0, 1.3, 0.5, 0.0};
        EXPECT_NEAR(right.max_y, expected_top[v], 1e-9) << v;
    }
    const box middle = text_box(4, 0);
    EXPECT_NEAR((middle.min_y + middle.max_y) / 2, 0.0, 1e-9);
    EXPECT_NEAR((middle.min_x + middle.max_x) / 2, 10.0, tolerance);
    // Aligned and fit run from the first point to the second.
    // (The last letter's right side bearing lies inside the span.)
    const box aligned = text_box(3, 0);
    EXPECT_NEAR(aligned.max_x, 10.0, 3 * tolerance);
    EXPECT_GT(aligned.max_y, 2.0); // taller, to keep its shape
    const box fit = text_box(5, 0);
    EXPECT_NEAR(fit.max_x, 10.0, 3 * tolerance);
    EXPECT_NEAR(fit.max_y, 1.0, 1e-9);
    EXPECT_GT(width, 1.0);
}

} // namespace
