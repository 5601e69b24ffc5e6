// Vector operations on fpt.
#include "render/fpt.h"

#include <cmath>

namespace {

constexpr double degrees_to_radians = 0.017453292519943295;

// Cosine and sine of an angle in degrees, with the axis angles exact.
void exact_cos_sin(double degrees, double &c, double &s)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0.0)
        a += 360.0;
    if (a >= 360.0) // fmod of a tiny negative angle can round up to 360
        a = 0.0;
    double r = a * degrees_to_radians;
    c = (a == 90.0 || a == 270.0) ? 0.0 : std::cos(r);
    s = (a == 0.0 || a == 180.0) ? 0.0 : std::sin(r);
}

} // namespace

double fpt_dot(const fpt &a, const fpt &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

double fpt_length(const fpt &v) { return std::sqrt(fpt_dot(v, v)); }

fpt fpt_cross(const fpt &a, const fpt &b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

fpt fpt_scale_to_length(const fpt &v, double length)
{
    double current = fpt_length(v);
    if (current == 0.0)
        return v;
    return v * (length / current);
}

fpt fpt_xy_perpendicular(const fpt &v, double length)
{
    return fpt_scale_to_length(fpt{-v.y, v.x, 0.0}, length);
}

fpt fpt_closest_point(const fpt &a, const fpt &b, const fpt &c, bool clamp)
{
    if (a == b || c == a)
        return a;
    fpt ab = b - a;
    double t = fpt_dot(c - a, ab) / fpt_dot(ab, ab);
    if (clamp) {
        if (t <= 0.0)
            return a;
        if (t >= 1.0)
            return b;
    }
    return a + ab * t;
}

fpt fpt_rotate_x(const fpt &v, double degrees)
{
    double c, s;
    exact_cos_sin(degrees, c, s);
    return {v.x, v.y * c - v.z * s, v.y * s + v.z * c};
}

fpt fpt_rotate_z(const fpt &v, double degrees)
{
    double c, s;
    exact_cos_sin(degrees, c, s);
    return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}
