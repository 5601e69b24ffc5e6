// Writes the container of a symbol library: signature, directory, settings,
// table records, blocks in their hash search tree, dependency and index records.
//
//   tvlw::LibraryWriter w;                       // version 40, no settings records
//   w.add_layer("WALLS", 1, 0, "CONTINUOUS");
//   w.add_block("DOOR", plain, {.compression = tvlw::Compression::method2,
//                               .dependencies = {{5, "WALLS"}}});
//   w.save("door.tvl");
//
// Names are written as given (the reader looks records up by their upper-case
// names).  A block's plain data (flags, base point, path text, entities through
// ENDBLK) comes from tvlw::BlockEncoder or is made by hand.
#pragma once
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "compress.h"
#include "settings.h"
#include "tvl_format/record_types.h"

namespace tvlw {

// Record types of the container.
enum RecordType : int {
    type_linetype = tvl_format::record_ltype,
    type_layer = tvl_format::record_layer,
    type_style = tvl_format::record_style,
    type_block = tvl_format::record_block,
    type_prototype = tvl_format::record_prototype,
    type_dependency = tvl_format::record_dependency,
    type_index = tvl_format::record_index,
    type_setting = tvl_format::record_setting,
};

// One entry of a block's dependency record.  work_offset and extra_names are
// written only in libraries with a non-zero combined-data setting ("L").
struct Dependency {
    int type = type_block; // 4 line type, 5 layer, 6 style, 9 block (any byte may be written)
    std::string name;
    std::int32_t work_offset = 0;
    std::vector<std::string> extra_names;
};

struct TextStyle {
    std::string name;
    double height = 0.0;
    double width_factor = 1.0;
    double oblique_angle = 0.0;
    std::int16_t generation_flags = 0;
    std::int16_t style_flags = 0;
    std::string font_file;
    std::string second_font_file;
};

struct BlockOptions {
    Compression compression = Compression::stored;
    std::size_t chunk_size = 32768;
    std::vector<Dependency> dependencies;
    std::optional<std::string> prototype; // name given to add_prototype
    bool listed = true;                   // gets an index record
    bool hidden = false;                  // index flag bit 1 (versions 30 and up)
    std::uint8_t flags = 0;               // record flag byte (versions 30 and up); bit 0 adds a 16-bit field
};

// Offsets of the written records, by name, for tests that patch bytes.
struct Layout {
    std::uint32_t directory = tvl_format::signature_length;
    std::map<std::string, std::uint32_t> blocks, prototypes, dependencies, index, layers, linetypes,
        styles, settings;
};

class LibraryWriter {
public:
    explicit LibraryWriter(Settings settings = {});

    Settings &settings() { return settings_; }

    // Overrides the two version characters (e.g. "4A"); by default the digits of settings().version.
    void set_version_text(std::string two_chars) { version_text_ = std::move(two_chars); }
    // Overrides one directory tag (entry 0..6: B L T S D I M).
    void set_directory_tag(int entry, char tag) { tags_.at(entry) = tag; }
    // Adds a settings record with a raw payload (length byte and value) after the typed ones.
    void add_raw_setting(const std::string &name, std::vector<std::uint8_t> payload);

    void add_layer(const std::string &name, int colour, int flags, const std::string &linetype);
    void add_linetype(const std::string &name, const std::vector<double> &elements);
    void add_style(const TextStyle &style);
    // A table record (type 4, 5 or 6) with raw record data (starting with its name).
    void add_table_record(int type, const std::string &name, std::vector<std::uint8_t> data);

    // A block (symbol) with its plain data; listed blocks also get an index record.
    void add_block(const std::string &name, std::vector<std::uint8_t> plain, BlockOptions options = {});
    // A block whose record data (stored length and chunks, encode_record_data)
    // was made beforehand; options.compression and chunk_size are not used.
    void add_encoded_block(const std::string &name, std::vector<std::uint8_t> record_data,
                           BlockOptions options = {});
    // A shared prototype: a block record outside the search tree, reached through
    // the prototype offset of the blocks that name it.
    void add_prototype(const std::string &name, std::vector<std::uint8_t> plain,
                       Compression compression = Compression::stored);
    // An index record without a block of its own.
    void add_index_name(const std::string &name, bool hidden = false);

    std::vector<std::uint8_t> bytes(Layout *layout = nullptr) const;
    bool save(const std::string &path, Layout *layout = nullptr) const;

    // The 16-bit name hash that orders the block search tree.
    static std::uint16_t name_hash(const std::string &name);

private:
    class Image; // the file being laid out, record by record

    struct TableRecord {
        int type;
        std::string name;
        std::vector<std::uint8_t> data;
    };
    struct Block {
        std::string name;
        std::vector<std::uint8_t> plain;
        BlockOptions options;
        bool encoded = false; // plain already holds the record data
    };
    struct Prototype {
        std::string name;
        std::vector<std::uint8_t> plain;
        Compression compression;
    };
    struct IndexName {
        std::string name;
        bool hidden;
    };

    Settings settings_;
    std::optional<std::string> version_text_;
    std::vector<char> tags_{std::begin(tvl_format::directory_tags), std::end(tvl_format::directory_tags) - 1};
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> raw_settings_;
    std::vector<TableRecord> tables_;
    std::vector<Block> blocks_;
    std::vector<Prototype> prototypes_;
    std::vector<IndexName> index_;
};

} // namespace tvlw
