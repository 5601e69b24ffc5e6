// Points along edges whose curve is only known approximately (a B-spline
// that approximates the intersection of the two faces' surfaces): samples of
// the approximation are pulled onto both surfaces, so that the points lie on
// the true edge and the meshes of both faces meet there.
#pragma once
#include <string>
#include <vector>

#include "sat_model.h"
#include "surface_param.h"

// Signed distance of p from the surface and its gradient; false for surfaces
// without a closed form (elliptic cones).
bool surface_distance(const surface_param &s, v3 p, double &distance, v3 &gradient);

// The point near p on both surfaces (either may be null); p itself when the
// iteration does not settle close by.
v3 project_to_surfaces(const surface_param *a, const surface_param *b, v3 p, double reach);

// Points from p0 to p1 (exactly) along the curve's B-spline, in the direction
// that `against` selects (true: against the B-spline's parameter), within the
// chordal tolerance.  `closed_edge`: p0 and p1 are one vertex and the edge
// goes once round.  False with a reason when the curve does not fit the edge.
bool trace_spline_edge(const sat_curve &c, v3 p0, v3 p1, bool closed_edge, bool against, const surface_param *a,
                       const surface_param *b, double tolerance, std::vector<v3> &out, std::string &why);
