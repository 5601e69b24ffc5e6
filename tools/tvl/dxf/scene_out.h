// The viewer's scene of a symbol as OBJ (with its MTL) and as SVG.
#pragma once
#include <array>
#include <string>
#include <vector>

namespace dxf {

struct scene {
    struct triangle {
        std::array<double, 9> corners; // a, b, c
        std::array<double, 3> normal;
        unsigned long color; // red in bits 0-7, green 8-15, blue 16-23
    };
    struct line {
        std::array<double, 6> ends;
        unsigned long color;
    };
    std::vector<triangle> triangles;
    std::vector<line> lines;
    std::vector<std::array<double, 3>> points;
};

// OBJ: shared vertices, one normal per triangle, "l" records for lines, "p"
// for points; one material per colour, named "c_RRGGBB", from mtl_file.
std::string write_obj(const scene &s, const std::string &mtl_file);
std::string write_mtl(const scene &s);

// SVG of the plan view: x right, y up (flipped into SVG's frame), in a viewBox
// that leaves a tenth of the drawing's size free on every side; lines are
// stroked at a fixed fraction of that size, triangles filled.
std::string write_svg(const scene &s);

} // namespace dxf
