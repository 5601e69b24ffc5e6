// Writes a delivered definition as a DXF drawing that CAD programs open: the
// symbol's entities in ENTITIES, its nested blocks in BLOCKS, and the layers,
// line types and styles it uses (plus any it names without defining) in TABLES.
#pragma once
#include <string>

#include "dxf/definition.h"

namespace dxf {

enum class dxf_version { r12, r2000 };

// The drawing as text; R2000 adds handles, owners and the tables and objects
// that version requires.
std::string write_dxf(const definition &d, dxf_version version);

// Whether the definition holds what R12 cannot express: entity types it does
// not know (LWPOLYLINE, MTEXT, ELLIPSE, HATCH, SPLINE...) or subclass markers
// (group 100) of a drawing written by R2000 or later.
bool needs_r2000(const definition &d);
bool r12_entity(const std::string &type);

// The shortest text that reads back as exactly v.
std::string real_text(double v);

} // namespace dxf
