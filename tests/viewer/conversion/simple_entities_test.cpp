// Lines, points, circles and 3D faces as they reach the scene.
#include <cmath>

#include "chain_builder.h"

namespace {

constexpr COLORREF stored_grey = RGB(201, 201, 201); // 228 after the near-white rule
constexpr COLORREF stored_white = RGB(225, 225, 225);

void face(const std::string &layer, fpt a, fpt b, fpt c, fpt d, double elevation = 0)
{
    chain e("3DFACE");
    e.str(8, layer).pt(10, a.x, a.y, a.z).pt(11, b.x, b.y, b.z).pt(12, c.x, c.y, c.z);
    e.pt(13, d.x, d.y, d.z).real(38, elevation).i16(70, 15).feed();
}

void line(fpt a, fpt b, double elevation = 0)
{
    chain("LINE").pt(10, a.x, a.y, a.z).pt(11, b.x, b.y, b.z).real(38, elevation).feed();
}

class lines_and_points : public scene_test {};

TEST_F(lines_and_points, flat_lines_are_dropped_only_after_a_face)
{
    line({0, 0, 0}, {1, 0, 0});
    face("0", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0});
    line({0, 0, 0}, {1, 0, 0});
    line({0, 0, 0}, {1, 0, 1});
    line({0, 0, 0}, {1, 0, 0}, 2);
    ASSERT_EQ(lines().size(), 3u);
    expect_point(lines()[0].end, 1, 0, 0);
    expect_point(lines()[1].end, 1, 0, 1);
    expect_point(lines()[2].start, 0, 0, 2);
    expect_point(lines()[2].end, 1, 0, 2);
    EXPECT_EQ(lines()[0].color, stored_white);
}

TEST_F(lines_and_points, zero_length_line_is_dropped)
{
    line({1, 2, 3}, {1, 2, 3});
    line({1, 2, 3}, {1, 2, 2}, 0);
    ASSERT_EQ(lines().size(), 1u);
}

TEST_F(lines_and_points, point_ignores_elevation_and_layer_colour)
{
    give_layer("pt-layer", 1);
    chain("POINT").str(8, "pt-layer").pt(10, 1, 2, 3).real(38, 10).feed();
    ASSERT_EQ(current_scene->points.size(), 1u);
    expect_point(current_scene->points[0], 1, 2, 3);
    EXPECT_TRUE(lines().empty());
}

class circles : public scene_test {
protected:
    void circle(fpt centre, double radius, fpt normal, double thickness = 0)
    {
        chain c("CIRCLE");
        c.pt(10, centre.x, centre.y, centre.z).real(40, radius).real(39, thickness);
        c.pt(210, normal.x, normal.y, normal.z).feed();
    }
};

TEST_F(circles, flat_circle_is_72_overlapping_chords_in_grey)
{
    give_layer("circle-red", 1);
    LayerColorTable = {0, RGB(255, 0, 0)};
    chain("CIRCLE").str(8, "circle-red").pt(10, 5, 0, 1).real(40, 2).real(38, 1).feed();
    ASSERT_EQ(lines().size(), 72u);
    for (const auto &l : lines()) {
        EXPECT_EQ(l.color, stored_grey);
        EXPECT_NEAR(std::hypot(l.start.x - 5, l.start.y), 2, 1e-12);
        EXPECT_EQ(l.start.z, 2);
    }
    // Chord 0 runs from 0 to 30 degrees; chord 18 starts exactly on the y axis.
    expect_point(lines()[0].start, 7, 0, 2);
    EXPECT_NEAR(lines()[0].end.x, 5 + 2 * std::cos(M_PI / 6), 1e-12);
    EXPECT_EQ(lines()[18].start.x, 5.0);
    EXPECT_EQ(lines()[18].start.y, 2.0);
}

TEST_F(circles, exact_zeros_on_the_axes)
{
    circle({0, 0, 0}, 1, {0, 0, 1});
    ASSERT_EQ(lines().size(), 72u);
    EXPECT_EQ(lines()[18].start.x, 0.0); // 90 degrees
    EXPECT_EQ(lines()[36].start.y, 0.0); // 180 degrees
    EXPECT_EQ(lines()[54].start.x, 0.0); // 270 degrees
    EXPECT_EQ(lines()[12].end.x, 0.0);   // 60 + 30 degrees
}

TEST_F(circles, negative_extrusion_mirrors_x)
{
    circle({1, 0, 0}, 0.5, {0, 0, -1});
    ASSERT_EQ(lines().size(), 72u);
    for (const auto &l : lines())
        EXPECT_NEAR(std::hypot(l.start.x + 1, l.start.y), 0.5, 1e-12);
    expect_point(lines()[0].start, -1.5, 0, 0);
}

TEST_F(circles, tilted_extrusion_uses_the_general_axes)
{
    const fpt n{0.001, 0, 1};
    circle({0, 0, 0}, 1, n);
    ASSERT_EQ(lines().size(), 72u);
    // X runs along the y axis here (neither the identity nor the mirrored frame).
    EXPECT_NEAR(lines()[0].start.x, 0, 1e-6);
    EXPECT_NEAR(lines()[0].start.y, 1, 1e-6);
    const double len = std::sqrt(fpt_dot(n, n));
    for (const auto &l : lines()) {
        EXPECT_NEAR(fpt_dot(l.start, n) / len, 0, 1e-9);
        EXPECT_NEAR(std::sqrt(fpt_dot(l.start, l.start)), 1, 1e-9);
    }
}

TEST_F(circles, thickness_makes_a_band_of_quadrilaterals)
{
    circle({0, 0, 3}, 1, {0, 0, 1}, 2);
    EXPECT_TRUE(lines().empty());
    ASSERT_EQ(triangles().size(), 144u);
    for (const auto &t : triangles()) {
        for (const fpt *p : {&t.corner_a, &t.corner_b, &t.corner_c})
            EXPECT_TRUE(p->z == 3 || p->z == 5) << p->z;
        EXPECT_EQ(t.color, stored_grey);
    }
    // S, S + H, E + H then E + H, E, S.
    expect_point(triangles()[0].corner_a, 1, 0, 3);
    expect_point(triangles()[0].corner_b, 1, 0, 5);
    EXPECT_EQ(triangles()[1].corner_c.x, 1);
    EXPECT_FALSE(conversion_state().has_faces); // circles do not suppress flat lines
}

TEST_F(circles, negative_thickness_extrudes_against_the_normal)
{
    circle({0, 0, 0}, 1, {0, 0, 1}, -1);
    ASSERT_EQ(triangles().size(), 144u);
    EXPECT_EQ(triangles()[0].corner_b.z, -1);
}

class faces : public scene_test {};

TEST_F(faces, repeated_corner_gives_a_triangle)
{
    face("0", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0}, 1);
    ASSERT_EQ(triangles().size(), 1u);
    expect_point(triangles()[0].corner_a, 0, 0, 1);
    expect_point(triangles()[0].corner_c, 1, 1, 1);
    EXPECT_TRUE(conversion_state().has_faces);
}

TEST_F(faces, collapse_rules_in_order)
{
    face("0", {0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 1, 0}); // P1 = P2: P2 P3 P4
    face("0", {0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {1, 1, 0}); // P1 = P3: P1 P2 P4
    face("0", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}); // P1 = P4: P1 P2 P3
    ASSERT_EQ(triangles().size(), 3u);
    expect_point(triangles()[0].corner_c, 1, 1, 0);
    expect_point(triangles()[1].corner_c, 1, 1, 0);
    expect_point(triangles()[2].corner_c, 1, 1, 0);
}

TEST_F(faces, with_two_repeats_the_earlier_rule_wins)
{
    face("0", {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 0, 0}); // P2 = P3 before P1 = P4: P1 P3 P4
    face("0", {0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {1, 0, 0}); // P2 = P4 before P1 = P3: P1 P2 P3
    ASSERT_EQ(triangles().size(), 2u);
    expect_point(triangles()[0].corner_b, 1, 0, 0);
    expect_point(triangles()[0].corner_c, 0, 0, 0);
    expect_point(triangles()[1].corner_b, 1, 0, 0);
    expect_point(triangles()[1].corner_c, 0, 0, 0);
}

TEST_F(faces, four_corners_give_two_triangles)
{
    face("0", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0});
    ASSERT_EQ(triangles().size(), 2u);
    expect_point(triangles()[1].corner_a, 1, 1, 0);
    expect_point(triangles()[1].corner_c, 0, 0, 0);
    expect_point(triangles()[0].normal_a, 0, 0, 1);
}

TEST_F(faces, colour_number_zero_is_grey_but_one_takes_the_table)
{
    LayerColorTable = {RGB(9, 9, 9), RGB(10, 20, 30)};
    give_layer("face-zero", 0);
    give_layer("face-one", 1);
    give_layer("face-far", 2);
    face("face-zero", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0});
    face("face-one", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0});
    face("face-far", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0});
    face("face-unknown", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0});
    ASSERT_EQ(triangles().size(), 4u);
    EXPECT_EQ(triangles()[0].color, stored_grey);
    EXPECT_EQ(triangles()[1].color, RGB(10, 20, 30));
    EXPECT_EQ(triangles()[2].color, stored_grey);
    EXPECT_EQ(triangles()[3].color, stored_grey);
}

TEST_F(faces, entity_without_layer_takes_layer_zero)
{
    LayerColorTable = {0, RGB(0, 200, 0), RGB(0, 0, 200)};
    give_layer("0", 2); // may already be set by an earlier test: first colour wins
    const std::string number = layer_color_map().at("0");
    chain("3DFACE").pt(10, 0, 0, 0).pt(11, 1, 0, 0).pt(12, 1, 1, 0).pt(13, 1, 1, 0).feed();
    ASSERT_EQ(triangles().size(), 1u);
    if (number == "2") {
        EXPECT_EQ(triangles()[0].color, RGB(0, 0, 200));
    }
}

} // namespace
