// The entities a block is written from: a type name and groups of typed values.
#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "tvl_format/entity_types.h"

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

// Entity type numbers of the coding; 254 for a name that has none.
inline int entity_type_number(const std::string &name)
{
    return tvl_format::entity_type_number(name.c_str());
}

} // namespace tvlw
