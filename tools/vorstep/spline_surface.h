// Tensor-product B-spline surfaces as SAT files carry them in full (a control
// net with knots in u and v, weights when rational): evaluation with first
// derivatives, and the parameters of a point on the surface.
#pragma once
#include <string>
#include <vector>

#include "vec3.h"

struct bspline_surface {
    int degree_u = 0, degree_v = 0;
    bool rational = false;
    std::vector<double> knots_u, knots_v; // full knot vectors
    std::size_t count_u = 0, count_v = 0; // control points along u and v
    std::vector<v3> controls;             // controls[i * count_v + j]: i along u, j along v
    std::vector<double> weights;          // empty unless rational

    double u_start() const { return knots_u[static_cast<std::size_t>(degree_u)]; }
    double u_end() const { return knots_u[count_u]; }
    double v_start() const { return knots_v[static_cast<std::size_t>(degree_v)]; }
    double v_end() const { return knots_v[count_v]; }

    v3 eval(v2 uv) const;
    // The point and its derivatives along u and v.
    void eval(v2 uv, v3 &p, v3 &du, v3 &dv) const;
    // The same net read with u running fastest instead of v.
    bspline_surface transposed_net() const;
    // The parameters of the surface point nearest to p, by Newton steps from
    // `uv`, kept within the parameter range: a direction in which the surface
    // closes (`round_u`, `round_v`) is gone round, others end at their ends.
    v2 settle(v3 p, v2 uv, bool round_u = false, bool round_v = false) const;
};

// Reads "nubs|nurbs degree_u degree_v [closure and singularity words]
// knot_count_u knot_count_v knots_u knots_v controls" from tokens[pos...],
// controls with v running fastest.  False with a reason on anything malformed
// or implausibly large.
bool parse_spline_surface(const std::vector<std::string> &tokens, std::size_t pos, bspline_surface &out,
                          std::string &why);
