// How the entity coding stores one entity and its values: record bytes,
// group codes, reals, points and strings.
#pragma once

namespace tvl_format {

// An entity record starts with a byte: 0 for a complete entity, else a cache
// code.  With a record-reference width of 1 a negative byte repeats the cached
// entity; with 2 or 3 the top bits pick the reference (all ones: repeat, 0: none,
// else a group-template slot plus 1) and the other bits hold the code.
inline constexpr int complete_entity = 0;

// A group code is one byte (1 to 254), or this byte and an int16.  Code 0 ends
// the entity.  Short values use the same escape.
inline constexpr int wide_code_escape = 0xFF;
inline constexpr int end_of_entity = 0;

// Real types: a byte in front of a real, or a coordinate type of a point template.
enum real_type : int {
    real_double = 0,    // 8 bytes, IEEE
    real_zero = 1,      // no bytes
    real_int8 = 2,      // signed byte
    real_int16 = 3,     // signed int16
    real_fixed16 = 4,   // signed int16 / 256
    real_fixed24 = 5,   // signed 24 bits / 256
    real_int32 = 8,     // signed int32
    first_fixed_type = 9,  // fixed point: type - 9 + fraction bits, class coded
    last_fixed_type = 24,
    real_ring = 25,     // 25 + i: entry i of the reals ring, no bytes
};
// What an empty entry of the reals ring holds.
inline constexpr double empty_real = -464.0289;

// A point byte: a point-ring code; or 0, an explicit point whose coordinates
// each carry a type byte (and become a point template); or point_flag with the
// omitted coordinates and a template slot.  Any omission leaves out z as well:
// point_omit_x leaves out x and z, point_omit_y y and z, point_omit_z z alone.
inline constexpr int point_flag = 0x80;
inline constexpr int point_omit_mask = 0x60;
inline constexpr int point_omit_x = 0x20;
inline constexpr int point_omit_y = 0x40;
inline constexpr int point_omit_z = 0x60;
inline constexpr int point_template_mask = 0x1F;
// Point templates: slots 0 to 30; 31 stands for an explicit point.
inline constexpr int point_template_slots = 31;
inline constexpr int explicit_point_template = 31;

// A string: a length byte below 128 and the bytes; or string_escape and an
// int16 (a length up to max_string_length, or a negative reference); or a
// negative byte, a reference to the strings ring.
inline constexpr int string_escape = 0x80;
inline constexpr int short_string_limit = 128;
inline constexpr int max_string_length = 32767;

// A binary group: an int16 length of 1 to 128 and the bytes.
inline constexpr int min_binary_length = 1;
inline constexpr int max_binary_length = 128;

// A group template holds up to this many codes.
inline constexpr int max_template_codes = 6;

} // namespace tvl_format
