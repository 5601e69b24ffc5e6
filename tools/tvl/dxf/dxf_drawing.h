// The parts of an ASCII DXF drawing that a symbol library keeps: the header's
// version and base point, the layer, line type and style table records, the
// block definitions and the entities, each as its raw group pairs.
#pragma once
#include <string>
#include <vector>

#include "dxf/dxf_pairs.h"

namespace dxf {

// An entity or table record: group 0 gives the type; groups follow in file order.
struct record {
    std::string type;
    long line = 0;
    std::vector<pair> groups;

    // The first group with this code, or null.
    const pair *find(int code) const;
};

struct block_def {
    record header; // the BLOCK record
    std::vector<record> entities;
};

struct drawing {
    std::string file;
    std::string version; // $ACADVER, empty when the header does not say
    double base[3] = {0, 0, 0}; // $INSBASE
    std::vector<record> layers, linetypes, styles;
    std::vector<block_def> blocks;
    std::vector<record> entities;
};

// Drawings are read whole into memory; a library's offsets are 32-bit anyway.
constexpr unsigned long long max_drawing_bytes = 512ull << 20;

// Reads a whole drawing; throws dxf_error naming file and line on anything
// that is not a complete ASCII DXF drawing (or is larger than max_drawing_bytes).
drawing read_drawing(const std::string &file);

// A real of a group value, or throws dxf_error for the group's line.
double parse_real(const std::string &file, const pair &p);

} // namespace dxf
