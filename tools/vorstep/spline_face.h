// Faces on spline surfaces.  Each boundary point is placed in the surface's
// (u, v) plane (seeded from its coedge's curve in that plane, else from a
// grid of surface points, then settled onto the surface), and the trimmed
// region is refined to the tolerance like any other.
#pragma once
#include <string>
#include <vector>

#include "bspline.h"
#include "solid_mesher.h"
#include "spline_surface.h"

struct spline_loop {
    std::vector<v3> points;
    std::vector<const bspline_curve *> pcurves; // per point: its coedge's curve in (u, v), or null
};

// Appends the face's triangles, counter-clockwise about S_u x S_v unless
// `reverse`; false with a reason (nothing appended) when the boundary does
// not lie on the surface or cannot be laid out in its parameter plane.
bool mesh_spline_face(const bspline_surface &surface, const std::vector<spline_loop> &loops, bool reverse,
                      double tolerance, std::vector<mesh_triangle> &out, std::string &why);

// The size of a spline surface's control net (the diagonal of its box).
double spline_extent(const bspline_surface &surface);
