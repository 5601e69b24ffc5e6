// Refinement of a triangulated region of a parametric surface: inner edges
// are split (and points inserted) until every triangle lies within the
// tolerance of the surface, keeping the triangles Delaunay in the scaled
// parameter plane so that few of them are needed.  Boundary edges are never
// touched, so the meshes of neighbouring faces still meet.
#pragma once
#include <cstddef>
#include <functional>
#include <vector>

#include "polygon_triangulation.h"
#include "vec3.h"

struct dvert {
    v2 uv;
    v3 xyz;
};

struct refine_settings {
    double u_scale = 1.0; // parameter units to lengths, for the shape of triangles
    double v_scale = 1.0;
    double tolerance = 0.0;
    std::size_t max_vertices = 100000;
};

// `tris` come counter-clockwise in the (u, v) plane; new vertices are appended
// to `verts`; the result replaces `tris`.
void refine_region(std::vector<dvert> &verts, std::vector<tri_indices> &tris,
                   const std::function<v3(v2)> &surface, const refine_settings &settings);
