// Parametrisations of the analytic surfaces in their own (u, v) plane, with
// u the angle round the axis.  S_u x S_v points away from the axis or centre.
#pragma once
#include "sat_model.h"
#include "vec3.h"

struct surface_param {
    surface_kind kind = surface_kind::plane;
    v3 centre, axis, xdir, ydir;
    double radius = 0.0; // plane: unused; cone: base radius; sphere: |r|; torus: major radius
    double ratio = 1.0;  // cone cross-section ratio
    double slope = 0.0;  // cone: growth of the radius per unit along the axis, over the base radius
    double minor = 0.0;  // torus: |minor radius|
    int outward = 1;     // +1 when the surface normal agrees with S_u x S_v

    bool periodic_u() const { return kind != surface_kind::plane; }
    // A torus whose tube is wider than its ring meets itself on the axis;
    // faces keep to the outer part, between two poles.
    bool apple() const { return kind == surface_kind::torus && radius < minor; }
    bool periodic_v() const { return kind == surface_kind::torus && !apple(); }
    // Whether the surface closes in a point on its axis at v = +-pole_v().
    bool has_poles() const { return kind == surface_kind::sphere || apple(); }
    double pole_v() const;
    v3 eval(double u, double v) const;
    v2 inverse(v3 p) const;
    // The axis position of a cone's apex; false for cylinders and other kinds.
    bool apex(double &v) const;
    // Scale of u against distance on the surface (for shapes of triangles).
    double u_scale() const;
    double v_scale() const;
};

// False for surfaces that cannot be parametrised.  For a sphere `pole` chooses
// the axis (any unit vector).
bool make_surface_param(const sat_surface &s, surface_param &p);
