// Meshing one region of a surface's (u, v) plane: the region is triangulated
// and refined until its triangles lie within the tolerance of the surface.
#pragma once
#include <functional>
#include <vector>

#include "region_refiner.h"
#include "solid_mesher.h"

// Angle step that keeps the chord of an arc of this radius within tol (and
// within a small share of the radius, so that small features stay round).
double angle_step(double radius, double tol);

// Appends a triangle unless two corners coincide; `reverse` turns it round.
void add_triangle(std::vector<mesh_triangle> &out, v3 a, v3 b, v3 c, bool reverse);

struct uv_region {
    std::vector<int> outer; // indices into the face's vertices
    std::vector<std::vector<int>> holes;
};

struct uv_surface {
    std::function<v3(v2)> eval;
    double u_scale = 1.0; // parameter units to lengths, for the shape of triangles
    double v_scale = 1.0;
};

// Triangles counter-clockwise in (u, v) come out as they are, unless `reverse`.
void mesh_uv_region(std::vector<dvert> &verts, const uv_region &region, const uv_surface &surface, double tolerance,
                    bool reverse, std::vector<mesh_triangle> &out);
