// The container: signature, directory, record types and their tables, the
// fixed fields of records and the name hash of the block tree.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tvl_format {

// The file starts with these letters, two version digits (major, minor) and
// text up to signature_length bytes; the directory follows.
inline constexpr char signature_letters[] = "TVL";
inline constexpr int signature_letters_length = 3;
inline constexpr int signature_length = 34;
inline constexpr int first_version = 20; // 2.0
inline constexpr int last_major_version = 4;
// From this version on, blocks and index records carry a flags byte.
inline constexpr int flags_version = 30;

// The directory: directory_entries pairs of a tag letter and an int32 offset
// of the table's first record.
inline constexpr int directory_entries = 7;
inline constexpr int directory_entry_size = 5;
enum directory_entry : int {
    entry_blocks = 0,
    entry_layers = 1,
    entry_linetypes = 2,
    entry_styles = 3,
    entry_dependencies = 4,
    entry_index = 5,
    entry_settings = 6,
};
// The tag letter of each entry, in entry order.
inline constexpr char directory_tags[] = "BLTSDIM";

// The type byte that starts each record.
enum record_type : int {
    record_ltype = 4,
    record_layer = 5,
    record_style = 6,
    record_block = 9,
    record_prototype = 16,
    record_dependency = 17,
    record_index = 18,
    record_setting = 19,
    record_no_table = 20, // a request that names no table
};

// The directory entry of the table holding records of a type, or -1.
constexpr int directory_entry_of(int type)
{
    switch (type) {
    case record_block:
    case record_prototype:
        return entry_blocks;
    case record_layer:
        return entry_layers;
    case record_ltype:
        return entry_linetypes;
    case record_style:
        return entry_styles;
    case record_dependency:
        return entry_dependencies;
    case record_index:
        return entry_index;
    case record_setting:
        return entry_settings;
    default:
        return -1;
    }
}

// The tag letter of the table holding records of a type, or 0.
constexpr char table_tag(int type)
{
    const int entry = directory_entry_of(type);
    return entry < 0 ? '\0' : directory_tags[entry];
}

// Fixed fields behind a record's name (after the flags byte where there is one).
// A block: greater, smaller and equal offsets of the hash tree, then 4 bytes,
// the dependency offset, 2 more bytes when flag block_flag_wide is set, and the
// prototype offset (12 bytes in all with combined data 2).
inline constexpr int block_tree_fields = 16;
inline constexpr int block_wide_extra = 2;
inline constexpr int block_combined_tail = 12;
inline constexpr unsigned block_flag_wide = 1;
// An index record: 12 bytes, then the next record's offset.
inline constexpr int index_skipped_fields = 12;
inline constexpr unsigned index_flag_hidden = 2;
// Dependency entries with a name this long or longer are malformed.
inline constexpr unsigned dependency_name_flag = 0x80;
// Listed symbol names that start with this are internal.
inline constexpr char hidden_symbol_prefix[] = "_TAVREL";
inline constexpr int hidden_symbol_prefix_length = 7;

// The hash that orders the block tree: seeded, each signed character xored in,
// then rotated left by one bit.
inline constexpr std::uint16_t name_hash_seed = 0xACAD;

constexpr std::uint16_t name_hash(const char *name, std::size_t length)
{
    std::uint16_t h = name_hash_seed;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<std::uint16_t>(static_cast<std::int16_t>(static_cast<signed char>(name[i])));
        h = static_cast<std::uint16_t>(h ^ c);
        h = static_cast<std::uint16_t>((h << 1) | (h >> 15));
    }
    return h;
}

} // namespace tvl_format
