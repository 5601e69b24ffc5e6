// The named camera views of tvl's pictures.
#pragma once
#include <string>

class cl_export_functions;

struct camera_angles {
    double rotation;
    double tilt;
};

// front (rotation 0, tilt 0), plan (from above: tilt -90), right (rotation 90),
// iso (rotation 30, tilt -25); anything else is front.
camera_angles named_view(const std::string &view);

// "plan" for a loaded symbol that lies flat in x-y (no extent in z within a
// relative 1e-9 of its x-y extent) or is empty, else "iso".
std::string automatic_view(const cl_export_functions &viewer);
