// Sampling of the curves that several entity kinds share (arcs of bulged
// polylines and hatch edges, ellipses, splines).
#pragma once
#include <vector>

#include "conversion/full_output.h"

// Points of the arc around centre from angle start turning by sweep (radians,
// counter-clockwise when positive), both ends included.
std::vector<fpt> arc_points(const fpt &centre, double radius, double start,
                            double sweep);

// Points of an ellipse: centre + cos(t) major + sin(t) minor for t from start
// by sweep.
std::vector<fpt> ellipse_points(const fpt &centre, const fpt &major,
                                const fpt &minor, double start, double sweep);

// The arc a bulge makes between a and b (in their plane, z from a): the
// bulge is the tangent of a quarter of the included angle, negative turning
// clockwise.  Points from a to b, both included.
std::vector<fpt> bulge_points(const fpt &a, const fpt &b, double bulge);

// A B-spline of the given degree from its knots, control points and weights
// (all 1 when empty); nothing when the counts do not fit together.
std::vector<fpt> bspline_points(int degree, const std::vector<double> &knots,
                                const std::vector<fpt> &control, const std::vector<double> &weights);

// A smooth curve through the given points (centripetal Catmull-Rom).
std::vector<fpt> through_points(const std::vector<fpt> &fit, bool closed);
