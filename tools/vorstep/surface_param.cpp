#include "surface_param.h"

#include <algorithm>
#include <cmath>

bool make_surface_param(const sat_surface &s, surface_param &p)
{
    p = surface_param{};
    p.kind = s.kind;
    p.centre = s.origin;
    p.axis = s.axis;
    if (!normalize(p.axis))
        return false;
    v3 ref = s.reference;
    ref = ref - p.axis * dot(ref, p.axis);
    double ref_length = length(ref);
    if (!normalize(ref))
        ref = any_perpendicular(p.axis);
    p.xdir = ref;
    p.ydir = cross(p.axis, p.xdir);
    switch (s.kind) {
    case surface_kind::plane:
        return true;
    case surface_kind::cone:
        p.radius = ref_length;
        p.ratio = s.ratio;
        p.slope = (s.sine / s.cosine) / p.radius;
        p.outward = s.cosine > 0 ? 1 : -1;
        return p.radius > 0.0 && std::isfinite(p.slope);
    case surface_kind::sphere:
        p.radius = std::fabs(s.radius);
        p.outward = s.radius > 0 ? 1 : -1;
        return p.radius > 0.0;
    case surface_kind::torus:
        p.radius = std::fabs(s.radius);
        p.minor = std::fabs(s.minor);
        p.outward = s.minor > 0 ? 1 : -1;
        return p.minor > 0.0 && s.radius >= 0.0;
    default:
        return false;
    }
}

v3 surface_param::eval(double u, double v) const
{
    double cu = std::cos(u), su = std::sin(u);
    switch (kind) {
    case surface_kind::plane:
        return centre + xdir * u + ydir * v;
    case surface_kind::cone: {
        double f = 1.0 + v * slope;
        return centre + axis * v + (xdir * (cu * radius) + ydir * (su * radius * ratio)) * f;
    }
    case surface_kind::sphere: {
        double cv = std::cos(v), sv = std::sin(v);
        return centre + (xdir * (cu * cv) + ydir * (su * cv) + axis * sv) * radius;
    }
    case surface_kind::torus: {
        double cv = std::cos(v), sv = std::sin(v);
        double ring = radius + minor * cv;
        return centre + (xdir * cu + ydir * su) * ring + axis * (minor * sv);
    }
    default:
        return centre;
    }
}

v2 surface_param::inverse(v3 p) const
{
    v3 d = p - centre;
    double x = dot(d, xdir), y = dot(d, ydir), z = dot(d, axis);
    switch (kind) {
    case surface_kind::plane:
        return {x, y};
    case surface_kind::cone:
        return {std::atan2(y / ratio, x), z};
    case surface_kind::sphere: {
        double rho = std::hypot(x, y);
        return {std::atan2(y, x), std::atan2(z, rho)};
    }
    case surface_kind::torus: {
        double rho = std::hypot(x, y);
        return {std::atan2(y, x), std::atan2(z, rho - radius)};
    }
    default:
        return {0.0, 0.0};
    }
}

bool surface_param::apex(double &v) const
{
    if (kind != surface_kind::cone || slope == 0.0)
        return false;
    v = -1.0 / slope;
    return true;
}

double surface_param::pole_v() const
{
    if (kind == surface_kind::sphere)
        return std::acos(0.0);
    return apple() ? std::acos(-radius / minor) : 0.0;
}

double surface_param::u_scale() const
{
    switch (kind) {
    case surface_kind::plane:
        return 1.0;
    case surface_kind::torus:
        return std::max(radius, minor / 2);
    default:
        return radius;
    }
}

double surface_param::v_scale() const
{
    switch (kind) {
    case surface_kind::sphere:
        return radius;
    case surface_kind::torus:
        return minor;
    default:
        return 1.0;
    }
}
