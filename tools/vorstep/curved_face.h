// Faces on cones, spheres and tori, meshed in the surface's (u, v) plane.
// Loops are unwrapped there; a loop that runs once round the axis bounds a
// band (with another such loop, a pole or the apex), the others are holes.
#pragma once
#include <vector>

#include "solid_mesher.h"
#include "surface_param.h"

struct curved_face_settings {
    bool flip = false;           // the face lies against S_u x S_v
    bool reverse_output = false; // turn the triangles round as they are written
    double model_tolerance = 0.0;
    double face_tolerance = 0.0; // for refinement; at most the model's
};

// Appends the face's triangles; false (and nothing appended) when the loops
// do not close off a region this way round.
bool mesh_curved_face(const surface_param &surface, const std::vector<std::vector<v3>> &loops,
                      const curved_face_settings &settings, std::vector<mesh_triangle> &out);
