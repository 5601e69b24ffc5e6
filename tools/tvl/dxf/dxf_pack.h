// Packing drawings into a symbol library: each drawing becomes one listed
// symbol; the blocks it inserts become unlisted blocks, and the layers, line
// types and styles it uses become the library's table records.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dxf/dxf_groups.h"
#include "writer/choice.h"
#include "writer/library.h"

namespace dxf {

struct pack_settings {
    tvlw::Settings library;
    tvlw::Compression compression = tvlw::Compression::smallest;
    std::vector<tvlw::Coding> codings = tvlw::coding_candidates();
};

// The settings packing uses unless told otherwise.
tvlw::Settings default_library_settings();

struct layer_fields {
    int colour = 7;
    int flags = 0;
    std::string linetype = "CONTINUOUS";
    bool operator==(const layer_fields &) const = default;
};

struct style_fields {
    tvlw::TextStyle style;
    bool operator==(const style_fields &o) const;
};

struct packed_block {
    std::string name;                      // as stored (upper case)
    int flags = 0;
    std::vector<std::uint8_t> record_data; // stored length and chunks
    std::size_t plain_size = 0;
};

// One drawing made ready for the library; made without shared state, so
// drawings can be prepared side by side.
struct prepared_drawing {
    std::string file;
    std::string error; // set: the drawing could not be read
    dropped left_out;
    std::vector<std::string> notes;
    packed_block symbol;                   // its name is given when it joins the library
    std::vector<packed_block> nested;      // every block it inserts, inserting blocks before inserted ones
    std::map<std::string, layer_fields> layers;         // used, by stored name
    std::map<std::string, std::vector<double>> linetypes;
    std::map<std::string, style_fields> styles;
    std::size_t input_bytes = 0;
};

// Reads and codes one drawing.  renames maps the drawing's own block names (upper
// case) to other stored names; never throws (errors land in .error).
prepared_drawing prepare_drawing(const std::string &file, const pack_settings &settings,
                                 const std::map<std::string, std::string> &renames = {});

// The symbol name a file's base name gives: upper case, at most 39
// characters, characters other than letters, digits, '_', '-' and '$' as '_'.
std::string symbol_name_for(const std::string &file);

// Gathers prepared drawings into one library, resolving name clashes.
class library_builder {
public:
    explicit library_builder(pack_settings settings);

    // Adds a drawing; may prepare it again with renamed blocks.  Answers the
    // symbol name it got; notes about clashes go to d.notes.
    std::string add(prepared_drawing &d);

    const tvlw::LibraryWriter &writer() const { return writer_; }
    std::size_t symbols() const { return symbols_; }

private:
    bool same_block(const packed_block &a, const packed_block &b) const;
    // wanted, or wanted with a suffix "_2", "_3"... within limit characters.
    std::string unique_name(const std::string &wanted, std::size_t limit,
                            const std::set<std::string> &also_taken = {}) const;

    pack_settings settings_;
    tvlw::LibraryWriter writer_;
    std::map<std::string, packed_block> blocks_;     // nested blocks, by name
    std::set<std::string> names_;                    // every block name taken
    std::map<std::string, std::pair<layer_fields, std::string>> layers_;
    std::map<std::string, std::pair<std::vector<double>, std::string>> linetypes_;
    std::map<std::string, std::pair<style_fields, std::string>> styles_;
    std::size_t symbols_ = 0;
};

} // namespace dxf
