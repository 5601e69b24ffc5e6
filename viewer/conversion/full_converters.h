// The full drawing mode's converters, one family per file.  Each draws one
// entity with its pen in its context.
#pragma once
#include <vector>

#include "conversion/full_draw.h"

// full_curves.cpp
void full_line(const fm_entity &e, const fm_pen &pen);
void full_point(const fm_entity &e, const fm_pen &pen);
void full_circle(const fm_entity &e, const fm_pen &pen);
void full_arc(const fm_entity &e, const fm_pen &pen);
void full_ellipse(const fm_entity &e, const fm_pen &pen);
void full_spline(const fm_entity &e, const fm_pen &pen);
void full_3dface(const fm_entity &e, const fm_pen &pen);

// full_polylines.cpp
void full_lwpolyline(const fm_entity &e, const fm_pen &pen);
void full_polyline(const fm_entity &header, const std::vector<fm_entity> &vertices,
                   const fm_pen &pen);

// full_fills.cpp
void full_solid(const fm_entity &e, const fm_pen &pen);
void full_hatch(const fm_entity &e, const fm_pen &pen);

// full_text.cpp
void full_text(const fm_entity &e, const fm_pen &pen);
void full_mtext(const fm_entity &e, const fm_pen &pen);

// full_inserts.cpp: a block reference draws the block's own entities.  The
// context is the one the reference itself stands in.
void full_insert(const fm_entity &e, const fm_context &context);
void full_dimension(const fm_entity &e, const fm_context &context);
// The context that a reference's attributes are drawn in.
fm_context insert_attribute_context(const fm_entity &e, const fm_context &context);
