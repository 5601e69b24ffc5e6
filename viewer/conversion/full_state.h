// What the full drawing mode keeps during one block load: the tables the reader
// delivered, every block definition, and the drawing of the block being
// delivered.  Part of the conversion state, reset before each load.
#pragma once
#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "conversion/full_entity.h"

class cl_full_drawer;
class cl_stroke_font;

struct fm_layer {
    long color = 7; // negative: the layer is off
    int flags = 0;  // bit 0 frozen
    std::string line_type;
};

struct fm_text_style {
    double height = 0.0;
    double width_factor = 1.0;
    double oblique = 0.0; // radians
    std::string font;
};

struct fm_block {
    fpt base;
    std::vector<fm_entity> entities;
};

// Nested references stop at this depth.
constexpr int full_max_depth = 32;
// Entities that block references may draw in one load, arrays included.
constexpr long full_entity_budget = 1000000;
// Lines, faces and points offered to the scene in one load, kept or not: text
// and curves placed with a scale of zero are dropped as empty, so the scene
// never fills and only this bounds the time.  As many as a scene can hold.
constexpr long full_piece_budget = 5000000;

struct cl_full_state {
    // Names in upper case: the format's names do not depend on case.
    std::map<std::string, fm_layer> layers;
    std::map<std::string, std::vector<double>> line_types;
    std::map<std::string, fm_text_style> styles;
    std::map<std::string, fm_block> blocks;

    // The block being delivered and its drawing.
    std::string receiving_name;
    fm_block receiving;
    std::unique_ptr<cl_full_drawer> drawer;

    // Names of the blocks being drawn, outermost first: a name that comes
    // again is a block that contains itself.
    std::vector<std::string> active;
    long budget = full_entity_budget;
    long pieces_left = full_piece_budget;

    // Scene sizes before the first block: a later block start drops what the
    // blocks before it drew, since only the last block delivered is the symbol.
    bool marked = false;
    std::size_t triangle_mark = 0;
    std::size_t line_mark = 0;
    std::size_t point_mark = 0;

    // Dashes of the entities' line types (the mode's option; off: solid).
    bool line_types_on = false;

    // Stroke fonts by file name, read once: they outlive the load.
    std::map<std::string, std::shared_ptr<const cl_stroke_font>> fonts;

    // Problems already reported in this load.
    std::set<std::string> notes;

    cl_full_state();
    ~cl_full_state();
    cl_full_state(cl_full_state &&) noexcept;
    cl_full_state &operator=(cl_full_state &&) noexcept;
    void Reset();
};

cl_full_state &full_state();

// Writes a problem of the drawing to standard error, once per load.
void full_note(const std::string &text);

std::string upper_name(const std::string &name);
