// Points and vectors of the viewer, in model units, and the vector operations that
// the scene store and the entity converters share.
#pragma once

struct fpt {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline fpt operator+(const fpt &a, const fpt &b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline fpt operator-(const fpt &a, const fpt &b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline fpt operator-(const fpt &a) { return {-a.x, -a.y, -a.z}; }
inline fpt operator*(const fpt &a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline fpt operator*(double s, const fpt &a) { return a * s; }
inline bool operator==(const fpt &a, const fpt &b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
inline bool operator!=(const fpt &a, const fpt &b) { return !(a == b); }

// The smallest box around the points taken so far; empty before the first.
struct fpt_box {
    fpt low;
    fpt high;
    bool empty = true;

    void take(const fpt &p)
    {
        if (empty) {
            low = high = p;
            empty = false;
            return;
        }
        if (p.x < low.x)
            low.x = p.x;
        if (p.x > high.x)
            high.x = p.x;
        if (p.y < low.y)
            low.y = p.y;
        if (p.y > high.y)
            high.y = p.y;
        if (p.z < low.z)
            low.z = p.z;
        if (p.z > high.z)
            high.z = p.z;
    }
};

double fpt_dot(const fpt &a, const fpt &b);
double fpt_length(const fpt &v);

// a x b, right-handed.
fpt fpt_cross(const fpt &a, const fpt &b);
// v scaled to length L; a vector of length exactly 0 is returned unchanged.
fpt fpt_scale_to_length(const fpt &v, double length);
// (-v.y, v.x, 0) scaled to length L.
fpt fpt_xy_perpendicular(const fpt &v, double length);
// The point of the line through a and b nearest to c; with clamp, of the segment a-b.
fpt fpt_closest_point(const fpt &a, const fpt &b, const fpt &c, bool clamp);

// Turns about the x or z axis by whole or fractional degrees.  The angle is first
// brought into 0 <= a < 360, and 90/270 give an exact 0 cosine, 0/180 an exact 0
// sine, so that axis-aligned views stay exactly axis-aligned.
fpt fpt_rotate_x(const fpt &v, double degrees);
fpt fpt_rotate_z(const fpt &v, double degrees);
