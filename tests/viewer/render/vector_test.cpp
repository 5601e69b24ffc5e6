#include <gtest/gtest.h>

#include "render/fpt.h"
#include "expect_fpt.h"

TEST(VectorTest, CrossIsRightHanded)
{
    expect_fpt(fpt_cross({1, 0, 0}, {0, 1, 0}), 0, 0, 1);
    expect_fpt(fpt_cross({0, 1, 0}, {1, 0, 0}), 0, 0, -1);
    expect_fpt(fpt_cross({1, 2, 3}, {4, 5, 6}), -3, 6, -3);
}

TEST(VectorTest, ScaleToLengthLeavesZeroAlone)
{
    expect_fpt(fpt_scale_to_length({3, 0, 4}, 10), 6, 0, 8);
    expect_fpt(fpt_scale_to_length({0, 0, 0}, 10), 0, 0, 0);
    expect_fpt(fpt_xy_perpendicular({2, 0, 7}, 0.5), 0, 0.5, 0);
    expect_fpt(fpt_xy_perpendicular({0, 0, 7}, 0.5), 0, 0, 0);
}

TEST(VectorTest, ClosestPointOnLineAndSegment)
{
    fpt a{0, 0, 0}, b{10, 0, 0};
    expect_fpt(fpt_closest_point(a, b, {4, 3, 0}, true), 4, 0, 0);
    expect_fpt(fpt_closest_point(a, b, {-5, 1, 0}, true), 0, 0, 0);
    expect_fpt(fpt_closest_point(a, b, {15, 1, 0}, true), 10, 0, 0);
    expect_fpt(fpt_closest_point(a, b, {-5, 1, 0}, false), -5, 0, 0);
    expect_fpt(fpt_closest_point(a, b, {15, 1, 0}, false), 15, 0, 0);
    // Degenerate line, and c on a.
    expect_fpt(fpt_closest_point(b, b, {1, 2, 3}, false), 10, 0, 0);
    expect_fpt(fpt_closest_point(a, b, a, false), 0, 0, 0);
}

TEST(VectorTest, RotationsAreExactOnTheAxes)
{
    fpt v = fpt_rotate_x({0, 1, 0}, -90);
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, 0.0);
    EXPECT_EQ(v.z, -1.0);
    v = fpt_rotate_z({0, 1, 0}, 180);
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, -1.0);
    v = fpt_rotate_z({0, 1, 0}, 450); // same as 90
    EXPECT_EQ(v.x, -1.0);
    EXPECT_EQ(v.y, 0.0);
    v = fpt_rotate_z({1, 0, 0}, -30);
    EXPECT_NEAR(v.x, 0.8660254037844387, 1e-15);
    EXPECT_NEAR(v.y, -0.5, 1e-15);
}
