// Checks a vector's three coordinates.
#pragma once
#include <gtest/gtest.h>

#include "render/fpt.h"

inline void expect_fpt(const fpt &p, double x, double y, double z)
{
    EXPECT_DOUBLE_EQ(p.x, x);
    EXPECT_DOUBLE_EQ(p.y, y);
    EXPECT_DOUBLE_EQ(p.z, z);
}
