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
// controls..." from tokens[pos...].  Controls have `dimension` coordinates
// (2 for curves in a surface's parameter plane: u v, third one 0), then a
// weight when rational.  False (with a reason) on anything malformed or
// implausibly large.
bool parse_bspline(const std::vector<std::string> &tokens, std::size_t pos, bspline_curve &out, std::string &why,
                   int dimension = 3);

// The pieces of B-spline data that curves and surfaces share.
namespace bspline_text {
constexpr int max_degree = 25;
constexpr std::size_t max_controls = 1000000;
bool number(const std::vector<std::string> &t, std::size_t &pos, double &out);
bool integer(const std::vector<std::string> &t, std::size_t &pos, long lo, long hi, long &out);
// One control point of `dimension` coordinates (missing ones are 0), then a
// positive weight when `rational` (1 otherwise).
bool control(const std::vector<std::string> &t, std::size_t &pos, int dimension, bool rational, v3 &p, double &w);
// `count` distinct knots with multiplicities, as the full knot vector (each
// end once more than written); false with a reason.
bool knots(const std::vector<std::string> &t, std::size_t &pos, int degree, long count, std::vector<double> &out,
           std::string &why);
} // namespace bspline_text
