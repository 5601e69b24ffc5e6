// Turns the faces of a SAT model into triangles within a chordal tolerance.
#pragma once
#include <string>
#include <vector>

#include "sat_model.h"

struct mesh_triangle {
    v3 a, b, c; // counter-clockwise seen from outside the solid
};

struct mesh_result {
    std::vector<mesh_triangle> triangles;
    std::vector<std::string> warnings; // one line per thing that was skipped
    int faces_meshed = 0;
    int faces_skipped = 0;
};

// The chordal tolerance for a model: a small fraction of its size.
double model_tolerance(const sat_model &model);

// Beyond this many triangles the remaining faces are skipped: a small file
// can name one large curved face many times over.  About 36 MB of triangles,
// more than a picture of a solid needs.
constexpr std::size_t mesh_triangle_limit = 500000;

void mesh_model(const sat_model &model, double tolerance, mesh_result &out,
                std::size_t max_triangles = mesh_triangle_limit);
