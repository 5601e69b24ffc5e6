// Small 3D and 2D vector helpers for the solids tessellator.
#pragma once
#include <cmath>

struct v3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline v3 operator+(v3 a, v3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline v3 operator-(v3 a, v3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline v3 operator*(v3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline v3 operator*(double s, v3 a) { return a * s; }
inline double dot(v3 a, v3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline v3 cross(v3 a, v3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double length(v3 a) { return std::sqrt(dot(a, a)); }
inline bool same_point(v3 a, v3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// The unit vector of a; false when a has no usable length.
inline bool normalize(v3 &a)
{
    double l = length(a);
    if (!(l > 1e-300) || !std::isfinite(l))
        return false;
    a = a * (1.0 / l);
    return true;
}

// Some unit vector perpendicular to the unit vector n.
inline v3 any_perpendicular(v3 n)
{
    v3 t = std::fabs(n.x) < 0.6 ? v3{1, 0, 0} : (std::fabs(n.y) < 0.6 ? v3{0, 1, 0} : v3{0, 0, 1});
    v3 p = cross(n, t);
    normalize(p);
    return p;
}

struct v2 {
    double u = 0.0;
    double v = 0.0;
};
