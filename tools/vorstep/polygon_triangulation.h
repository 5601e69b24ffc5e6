// Triangulation of a simple polygon with holes in the plane: holes are
// bridged into the outer boundary, then ears are clipped, best-shaped first.
#pragma once
#include <array>
#include <vector>

#include "vec3.h"

using tri_indices = std::array<int, 3>;

// `outer` runs counter-clockwise, each hole clockwise (both are turned round
// when they do not).  Indices refer to `points`; the triangles come out
// counter-clockwise.
std::vector<tri_indices> triangulate_polygon(const std::vector<v2> &points, std::vector<int> outer,
                                             std::vector<std::vector<int>> holes);

// Twice the signed area of a closed polygon (positive when counter-clockwise).
double polygon_area2(const std::vector<v2> &points, const std::vector<int> &polygon);

// Whether p lies inside the closed polygon (even-odd rule).
bool point_in_polygon(const std::vector<v2> &points, const std::vector<int> &polygon, v2 p);
