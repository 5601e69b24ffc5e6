// The entity encoder's mirror of the decoder's state, shared by its source files.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "entity.h"
#include "entity_encoder.h"
#include "settings.h"
#include "tvl_format/settings.h"
#include "tvl_format/value_coding.h"

namespace tvlw {

// What the coding may refer to in a library with given settings.
struct Config {
    int version = 40;
    int ring = tvl_format::default_ring_size;
    int r = tvl_format::default_record_ref_width;
    bool fixed = false;
    int fraction_bits = 0;
    tvl_format::coding_ranges ranges;
};

Config coding_config(const Settings &settings);

// Reals-ring indices of a point's coordinates; 0xFF in the first marks an empty entry.
struct PointEntry {
    std::uint8_t index[3] = {0xFF, 0, 0};
};

// The decoder state that values (reals, points, strings) go through.
struct Values {
    std::vector<double> reals;
    int reals_cursor = 0;
    int last_index = 0;
    std::vector<PointEntry> points;
    int point_cursor = 0;
    PointEntry previous;
    bool has_previous = false;
    std::uint8_t templates[tvl_format::point_template_slots][3];
    int template_cursor = 0;
    std::vector<std::optional<std::string>> strings;
    int string_cursor = 0;
};

struct GroupTemplate {
    int count = 0;
    int codes[tvl_format::max_template_codes] = {};
};

// An entity as the decoder will hand it out.
struct Normal {
    std::string type;   // decoded type name
    int number = 0;     // type number written
    bool explicit_name = false;
    std::vector<Group> groups;
};

struct BlockEncoder::State {
    Config cfg;
    Values values;
    std::vector<std::optional<Normal>> cache;
    int cache_cursor = 0;
    std::vector<GroupTemplate> group_templates;
    int group_template_cursor = 0;
};

} // namespace tvlw
