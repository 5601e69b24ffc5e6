// Drawing entities in the full mode: the context a block reference gives its
// contents, and the drawer that takes one block's entities in order.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "conversion/full_entity.h"
#include "conversion/full_output.h"

struct fm_context {
    fm_transform transform;          // block coordinates to world
    cl_rgb block_color{0, 0, 0};     // what colour-by-block entities take
    std::string block_layer;         // what layer-"0" entities take; empty at the top
    int depth = 0;                   // block references around this block
};

// The pen of an entity in its context: colour from its own number (1-255),
// its layer (256 or none) or the block reference (0); nothing when its layer
// is off or frozen.
std::optional<fm_pen> entity_pen(const fm_entity &e, const fm_context &context);

// The entity's object coordinate system, from its extrusion (group 210).
fm_transform entity_ocs(const fm_entity &e);
// The pen that takes points in the entity's object coordinates.
fm_pen pen_in_ocs(const fm_pen &pen, const fm_entity &e);

// The layer an entity is drawn on, after layer "0" took the reference's layer.
std::string effective_layer(const fm_entity &e, const fm_context &context);

class cl_full_drawer {
public:
    explicit cl_full_drawer(const fm_context &context)
        : context_(context), attribute_context_(context)
    {
    }

    // Entities of one block in delivered order; a polyline's vertices are
    // gathered up to its SEQEND.
    void Draw(const fm_entity &e);
    // Draws a polyline whose SEQEND never came.
    void Finish();

private:
    void DrawSingle(const fm_entity &e);

    fm_context context_;
    bool in_polyline_ = false;
    fm_entity polyline_;
    std::vector<fm_entity> vertices_;
    // Attributes after a block reference take its colour and layer.
    fm_context attribute_context_;
};
