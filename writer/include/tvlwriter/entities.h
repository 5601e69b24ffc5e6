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
#include <string>
#include <variant>
#include <vector>

#include "tvlwriter/settings.h"

namespace tvlw {

struct Point {
    double x = 0, y = 0, z = 0;
};

struct Ename {
    std::int32_t low = 0, high = 0;
};

struct Binary {
    std::vector<std::uint8_t> bytes; // 1 to 128 bytes
};

// One group: a code and a value whose form follows from the code's kind (reals,
// points, shorts, longs, strings, entity names, binary).  Integers are accepted
// for real codes and reals with integral values for integer codes.
struct Group {
    using Value = std::variant<double, Point, std::int64_t, std::string, Ename, Binary>;
    int code = 0;
    Value value;

    Group(int c, double v) : code(c), value(v) {}
    Group(int c, int v) : code(c), value(static_cast<std::int64_t>(v)) {}
    Group(int c, long v) : code(c), value(static_cast<std::int64_t>(v)) {}
    Group(int c, long long v) : code(c), value(static_cast<std::int64_t>(v)) {}
    Group(int c, Point v) : code(c), value(v) {}
    Group(int c, const char *v) : code(c), value(std::string(v)) {}
    Group(int c, std::string v) : code(c), value(std::move(v)) {}
    Group(int c, Ename v) : code(c), value(v) {}
    Group(int c, Binary v) : code(c), value(std::move(v)) {}
};

// An entity: its type name ("LINE", "VERTEX", or any name, which is then stored
// explicitly) and its groups in order (group 0 is the type and is not listed).
struct Entity {
    std::string type;
    std::vector<Group> groups;
};

// Builds an entity group by group: EntityBuilder("LINE")(8, "0")(10, Point{...}).
class EntityBuilder {
public:
    explicit EntityBuilder(const std::string &type) { entity_.type = type; }
    template <class T>
    EntityBuilder &operator()(int code, T value)
    {
        entity_.groups.emplace_back(code, value);
        return *this;
    }
    operator Entity() const { return entity_; }

private:
    Entity entity_;
};

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

// Entity type numbers of the coding; 254 for a name that has none.
int entity_type_number(const std::string &name);

// Low-level emitters for hand-built data; they write bytes only and do not
// touch any encoder state.
namespace raw {
void byte(std::vector<std::uint8_t> &out, int b);
void i16(std::vector<std::uint8_t> &out, int v);
void i32(std::vector<std::uint8_t> &out, std::int32_t v);
void f64(std::vector<std::uint8_t> &out, double v);
// A group code: one byte, or 0xFF and a signed 16-bit code (always for codes
// outside 1..254, or when wide is set).
void group_code(std::vector<std::uint8_t> &out, int code, bool wide = false);
// A real of the given type: the type byte (unless with_type is false), then its
// bytes.  Types 2 to 8 take v as an integer after the type's scaling; types 9 to
// 24 take the already class-coded raw bits in v with n = type - 9 + fraction_bits.
void real(std::vector<std::uint8_t> &out, int type, double v, int fraction_bits = 0,
          bool with_type = true);
// A string in the string form: length (with -128 and a 16-bit length above 127), text.
void string(std::vector<std::uint8_t> &out, const std::string &s);
// A string reference (negative).
void string_ref(std::vector<std::uint8_t> &out, int s);
} // namespace raw

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
    State *state_;
    bool ended_ = false;
};

// One block's data from a list of entities (ENDBLK added when missing).
std::vector<std::uint8_t> encode_block(const Settings &settings, int flags, Point base,
                                       const std::string &path,
                                       const std::vector<Entity> &entities,
                                       Coding coding = {});

} // namespace tvlw
