// The settings records a library may hold, their values, and the code ranges
// of the entity coding that follow from them.
#pragma once

namespace tvl_format {

// Each setting is a settings record with this name and one value byte.
inline constexpr char setting_ring_size[] = "RBUF";       // size of the reals ring
inline constexpr char setting_record_ref_width[] = "R";   // bits of an entity record's reference field
inline constexpr char setting_coding[] = "C";             // coding variant; its presence switches ranges
inline constexpr char setting_fraction_bits[] = "FR";     // fixed-point reals; its presence switches them on
inline constexpr char setting_combined_data[] = "L";      // how record data is laid out
inline constexpr int setting_value_length = 1;

// Values of a library without the setting, and the accepted values.
inline constexpr int default_ring_size = 50;
inline constexpr int default_record_ref_width = 1;
inline constexpr int min_record_ref_width = 1;
inline constexpr int max_record_ref_width = 3;
inline constexpr int max_coding = 2;
inline constexpr int max_fraction_bits = 8;
// With combined data, the first block's data carries every other record's
// data; with this value blocks also leave out the prototype offset and each
// nested block starts with an entity of its own.
inline constexpr int combined_data_blocks = 2;

// Code ranges of the entity coding: entity records that refer to the cache,
// point bytes that refer to the point ring, negative string references.
struct coding_ranges {
    int first_entity_code = 25;
    int last_entity_code = 84;
    int entity_cache_size = 60;
    int first_point_code = 25;
    int last_point_code = 39;
    int point_ring_size = 15;
    int string_ring_size = 25;
    int lowest_string_code = -25;
    int highest_string_code = -1;
    int template_slots = 0; // group-template slots: (2^R) - 2 with "C", else 0
};

// Rings of 128 reals and more give every ring and the cache this many entries.
inline constexpr int max_ring_entries = 127;

// The ranges of a library with or without the "C" setting, its ring size and
// record-reference width.
constexpr coding_ranges coding_ranges_for(bool coding_present, int ring_size, int record_ref_width)
{
    coding_ranges r;
    if (!coding_present)
        return r;
    const int n = ring_size;
    r.first_entity_code = 1;
    r.first_point_code = 1;
    r.highest_string_code = -1;
    if (n > max_ring_entries) {
        r.last_entity_code = max_ring_entries;
        r.entity_cache_size = max_ring_entries;
        r.last_point_code = max_ring_entries;
        r.point_ring_size = max_ring_entries;
        r.string_ring_size = max_ring_entries;
        r.lowest_string_code = -max_ring_entries;
    } else {
        r.last_entity_code = 2 * (n / 3);
        r.entity_cache_size = 2 * (n / 3);
        r.last_point_code = n / 3;
        r.point_ring_size = n / 3;
    }
    // Wider record references leave fewer bits for the cache code.
    const bool wide = record_ref_width == 2 || record_ref_width == 3;
    const int cache_codes = wide ? 1 << (8 - record_ref_width) : 0;
    if (wide && r.last_entity_code >= cache_codes) {
        r.last_entity_code = cache_codes - 1;
        r.entity_cache_size = cache_codes - 1;
    }
    r.template_slots = (1 << record_ref_width) - 2;
    return r;
}

} // namespace tvl_format
