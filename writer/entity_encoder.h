// Entity coding of block and prototype data: the plain bytes that the reader's
// entity decoder turns back into chains.
//
// BlockEncoder keeps a mirror of the decoder's state (reals ring, point ring,
// point templates, string ring, entity cache, group templates) so that every
// reference it writes resolves to the intended value.  Each Coding switch
// enables one way of shortening the data; the encoder takes the shortest coding
// among those enabled.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "entity.h"
#include "raw.h"
#include "settings.h"

namespace tvlw {

// Which codings the encoder may use.  All on is what a library writer does.
struct Coding {
    bool cache = true;             // refer to a cached entity and replace groups
    bool repeats = true;           // refer to a cached entity unchanged
    bool group_templates = true;   // replaced-group code lists from a template (R = 2, 3)
    bool real_ring = true;         // refer to a recent real
    bool short_reals = true;       // integer and fraction forms shorter than a double
    bool fixed_point = true;       // fixed-point reals (only when "FR" is set)
    bool point_ring = true;        // repeat a recent point
    bool omit_coordinates = true;  // take z (and x or y) from the previous point
    bool point_templates = true;   // real types of a point from a point template
    bool string_ring = true;       // refer to a recent string
    bool explicit_type_names = false; // store every type name as a string
    bool wide_codes = false;       // write every group code with the 0xFF prefix

    // Only complete entities with explicit values: the longest coding.
    static Coding plain();
};

class BlockEncoder {
public:
    explicit BlockEncoder(const Settings &settings, Coding coding = {});

    // Starts a block's (or prototype's) data: flags byte, base point, path text
    // (at most 127 bytes).  With reset false the coding continues from the state
    // left by the data before (a block read after its prototype).
    void begin(int flags, Point base, const std::string &path, bool reset = true);

    // Codes one entity.
    void add(const Entity &e);

    // Adds an ENDBLK entity when the last entity is not one, and answers the
    // data.  The state is kept for a following begin(..., false).
    std::vector<std::uint8_t> finish();

    // The bytes written since begin().
    const std::vector<std::uint8_t> &bytes() const { return out_; }
    // Appends hand-built bytes (the state is not updated).
    std::vector<std::uint8_t> &raw_bytes() { return out_; }

    Coding &coding() { return coding_; }

    // Returns the state to what the decoder has after its reset.
    void reset();

    struct State;
    ~BlockEncoder();
    BlockEncoder(BlockEncoder &&) noexcept;
    BlockEncoder &operator=(BlockEncoder &&) noexcept;

private:
    Coding coding_;
    std::vector<std::uint8_t> out_;
    std::unique_ptr<State> state_;
    bool ended_ = false;
};

// One block's data from a list of entities (ENDBLK added when missing).
std::vector<std::uint8_t> encode_block(const Settings &settings, int flags, Point base,
                                       const std::string &path,
                                       const std::vector<Entity> &entities,
                                       Coding coding = {});

} // namespace tvlw
