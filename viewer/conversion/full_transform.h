// Affine placement of block contents and object coordinate systems.
#pragma once
#include "render/fpt.h"

struct fm_transform {
    // Rows of a 3 x 4 matrix: world = m * (x, y, z, 1).
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    fpt Apply(const fpt &p) const;
    fpt ApplyVector(const fpt &v) const;
    // This transform applied after inner.
    fm_transform After(const fm_transform &inner) const;
    // The largest factor by which lengths grow; chooses curve segment counts.
    double Scale() const;
    bool Mirrors() const;

    static fm_transform Translation(const fpt &offset);
    static fm_transform Scaling(double sx, double sy, double sz);
    static fm_transform RotationZ(double radians);
    // Columns x_axis, y_axis, z_axis.
    static fm_transform Axes(const fpt &x_axis, const fpt &y_axis, const fpt &z_axis);
};

// The object coordinate system of an extrusion direction by the arbitrary axis
// rule: a normal within 1/64 of the world Z axis takes its X axis from world
// Y x N, any other from world Z x N.  A zero normal is taken as +Z.
fm_transform ocs_transform(const fpt &normal);
