// B-spline curves as SAT files carry them for intersection and other
// procedural curves: degree, distinct knots with multiplicities, control
// points (with weights when rational).
#pragma once
#include <string>
#include <vector>

#include "vec3.h"

struct bspline_curve {
    int degree = 0;
    bool rational = false;
    std::vector<double> knots; // full knot vector: controls + degree + 1 values
    std::vector<v3> controls;
    std::vector<double> weights; // empty unless rational

    bool valid() const { return degree > 0 && !controls.empty(); }
    double start() const { return knots[static_cast<std::size_t>(degree)]; }
    double end() const { return knots[controls.size()]; }
    bool closed() const;
    v3 eval(double t) const;
    // The parameter of the point of the curve nearest to p.
    double nearest(v3 p) const;
};

// Reads "nubs|nurbs degree [open|closed|periodic] count (knot multiplicity)...
// controls..." from tokens[pos...].  False (with a reason) on anything
// malformed or implausibly large.
bool parse_bspline(const std::vector<std::string> &tokens, std::size_t pos, bspline_curve &out, std::string &why);
