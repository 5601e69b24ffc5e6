#include <gtest/gtest.h>

#include "render/scene_functions.h"
#include "expect_fpt.h"

TEST(SceneStoreTest, NearWhiteIsToneddown)
{
    cl_opengl_image scene;
    scene.AddTriangle(0, 0, 0, 1, 0, 0, 0, 1, 0, RGB(255, 255, 255), 0);
    scene.AddTriangle(0, 0, 0, 1, 0, 0, 0, 1, 0, RGB(255, 255, 225), 0);
    scene.AddLine(0, 0, 0, 1, 1, 1, RGB(240, 226, 255));
    scene.AddLine(0, 0, 0, 0, 0, 0, RGB(1, 2, 3)); // degenerate lines are kept
    ASSERT_EQ(scene.triangles.size(), 2u);
    EXPECT_EQ(scene.triangles[0].color, RGB(225, 225, 225));
    EXPECT_EQ(scene.triangles[1].color, RGB(255, 255, 225));
    ASSERT_EQ(scene.lines.size(), 2u);
    EXPECT_EQ(scene.lines[0].color, RGB(211, 199, 225));
    EXPECT_EQ(scene.lines[1].color, RGB(1, 2, 3));
}

TEST(SceneStoreTest, NormalsFollowTheCornerOrder)
{
    cl_opengl_image scene;
    scene.AddTriangle(0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 5);
    scene.AddTriangle(0, 0, 0, 0, 2, 0, 2, 0, 0, 0, 0);
    scene.AddTriangle(0, 0, 0, 1, 1, 1, 2, 2, 2, 0, 0); // collinear
    ASSERT_EQ(scene.triangles.size(), 3u);
    expect_fpt(scene.triangles[0].normal_a, 0, 0, 1);
    expect_fpt(scene.triangles[0].normal_c, 0, 0, 1);
    EXPECT_EQ(scene.triangles[0].edge_mask, 5);
    expect_fpt(scene.triangles[1].normal_b, 0, 0, -1);
    expect_fpt(scene.triangles[2].normal_a, 0, 0, 0);
}

TEST(SceneStoreTest, QuadBecomesTwoTriangles)
{
    cl_opengl_image scene;
    current_scene = &scene;
    scene_add_quad(0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, "walls", 10, 20, 30);
    scene_add_line(0, 0, 0, 1, 0, 0, "walls", 0x1FF, 2, 3); // only the low byte counts
    scene_add_point(4, 5, 6, "walls");
    current_scene = nullptr;
    scene_add_point(0, 0, 0, "ignored without a scene");

    ASSERT_EQ(scene.triangles.size(), 2u);
    const auto &t1 = scene.triangles[0], &t2 = scene.triangles[1];
    expect_fpt(t1.corner_a, 0, 0, 0);
    expect_fpt(t1.corner_b, 1, 0, 0);
    expect_fpt(t1.corner_c, 1, 1, 0);
    expect_fpt(t2.corner_a, 1, 1, 0);
    expect_fpt(t2.corner_b, 0, 1, 0);
    expect_fpt(t2.corner_c, 0, 0, 0);
    expect_fpt(t1.normal_a, 0, 0, 1);
    expect_fpt(t2.normal_a, 0, 0, 1);
    EXPECT_EQ(t1.color, 0x1E140Au);
    EXPECT_EQ(t2.edge_mask, 0);
    ASSERT_EQ(scene.lines.size(), 1u);
    EXPECT_EQ(scene.lines[0].color, RGB(255, 2, 3));
    ASSERT_EQ(scene.points.size(), 1u);
    expect_fpt(scene.points[0], 4, 5, 6);
}

TEST(SceneStoreTest, ThinSegmentsGiveRibbons)
{
    cl_opengl_image scene;
    scene.AddThinSegment(1, 2, 3, 1, 2, 3);
    EXPECT_TRUE(scene.lines.empty());
    EXPECT_TRUE(scene.triangles.empty());

    scene.AddThinSegment(0, 0, 0, 0, 0, 2); // vertical: ribbons of zero width
    ASSERT_EQ(scene.lines.size(), 1u);
    EXPECT_EQ(scene.lines[0].color, 0u);
    ASSERT_EQ(scene.triangles.size(), 4u);
    for (const auto &t : scene.triangles) {
        EXPECT_EQ(t.color, 0xC0C0C0u);
        expect_fpt(t.normal_a, 0, 0, 0);
    }

    cl_opengl_image flat;
    flat.AddThinSegment(0, 0, 0, 2, 0, 0);
    ASSERT_EQ(flat.triangles.size(), 4u);
    // a = (0, 0.01, 0), b = d x a = (0, 0, 0.02) scaled to 0.01.
    expect_fpt(flat.triangles[0].corner_a, 0, 0, -0.01);
    expect_fpt(flat.triangles[0].corner_c, 2, 0, 0.01);
    expect_fpt(flat.triangles[2].corner_a, 0, -0.01, 0);
    expect_fpt(flat.triangles[3].corner_b, 0, 0.01, 0);
}

TEST(SceneStoreTest, PointMarkerIsThreeStrokes)
{
    cl_opengl_image scene;
    scene.AddPointMarker(10, 20, 30);
    ASSERT_EQ(scene.lines.size(), 3u);
    EXPECT_EQ(scene.triangles.size(), 12u);
    expect_fpt(scene.lines[0].start, 9, 19, 30);
    expect_fpt(scene.lines[0].end, 11, 21, 30);
    expect_fpt(scene.lines[1].start, 9, 21, 30);
    expect_fpt(scene.lines[1].end, 11, 19, 30);
    expect_fpt(scene.lines[2].start, 10, 20, 31);
    expect_fpt(scene.lines[2].end, 10, 20, 29);
}

// Past a limit the store drops geometry and remembers which limit it was, so
// that a load can fail instead of passing part of a block off as the whole.
TEST(SceneStoreTest, DroppedGeometryIsNotedPerLimit)
{
    cl_opengl_image scene;
    for (int i = 0; i < 1000000; ++i)
        scene.AddPoint(i, 0, 0);
    EXPECT_EQ(scene.overflow, 0); // exactly at the limit nothing is lost
    scene.AddPoint(-1, 0, 0);
    EXPECT_EQ(scene.points.size(), 1000000u);
    EXPECT_EQ(scene.points.back().x, 999999.0);
    EXPECT_EQ(scene.overflow, scene_limit_points);
    EXPECT_EQ(scene_overflow_text(scene.overflow), "Scene exceeds 1000000 points.");

    for (int i = 0; i < 2000000; ++i)
        scene.AddLine(i, 0, 0, i, 1, 0, 0);
    EXPECT_TRUE(scene.IsFull());
    EXPECT_EQ(scene.overflow, scene_limit_points);
    scene.NoteFull(); // a converter gives up drawing because the store is full
    EXPECT_EQ(scene_overflow_text(scene.overflow), "Scene exceeds 2000000 lines, 1000000 points.");
    EXPECT_EQ(scene_overflow_text(0), "");
}

// The camera fit and the scene extent walk the same points; each asks for the kinds it counts.
TEST(SceneStoreTest, BoundsTakeTheKindsAsked)
{
    cl_opengl_image scene;
    EXPECT_TRUE(scene.Bounds(true, true).empty);
    scene.AddTriangle(0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0);
    scene.AddLine(-5, 0, 0, 0, 7, 0, 0);
    scene.AddPoint(0, 0, 9);

    fpt_box box = scene.Bounds(false, false);
    ASSERT_FALSE(box.empty);
    expect_fpt(box.low, 0, 0, 0);
    expect_fpt(box.high, 1, 1, 0);
    box = scene.Bounds(true, false);
    expect_fpt(box.low, -5, 0, 0);
    expect_fpt(box.high, 1, 7, 0);
    box = scene.Bounds(true, true);
    expect_fpt(box.high, 1, 7, 9);
}
