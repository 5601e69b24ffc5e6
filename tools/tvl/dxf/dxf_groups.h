// Turns a drawing's raw group pairs into the typed groups of the entity coding:
// points gathered from their coordinate groups, numbers parsed, and what the
// coding cannot hold dropped and counted.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dxf/dxf_drawing.h"
#include "writer/entity_encoder.h"

namespace dxf {

// What was left out of a drawing, for its summary line.
struct dropped {
    std::map<int, long> groups;          // by group code: values of a kind that cannot be stored
    std::map<std::string, long> types;   // by entity type: entities that cannot be delivered
    long sequence_ends_added = 0;        // SEQEND written where a sequence was left open

    bool empty() const { return groups.empty() && types.empty() && sequence_ends_added == 0; }
    std::string summary() const;
};

// Maps a block name as the drawing spells it to the name stored in the library.
using name_map = std::function<std::string(const std::string &)>;

// The typed groups of one record.  Handles and references to other objects of
// the drawing (groups 5, 105, 320-369, 390-399 and application groups in 102
// brackets) name things the library does not hold and are left out silently.
// Block names of INSERT and DIMENSION (group 2) go through blocks.
tvlw::Entity convert_record(const std::string &file, const record &r, dropped &d, const name_map &blocks);

// The entities of a list in delivery order: complex sequences (INSERT with
// attributes, POLYLINE with vertices) closed by SEQEND, stray ATTRIB, VERTEX
// and SEQEND entities dropped.
std::vector<tvlw::Entity> convert_entities(const std::string &file, const std::vector<record> &records,
                                           dropped &d, const name_map &blocks);

} // namespace dxf
