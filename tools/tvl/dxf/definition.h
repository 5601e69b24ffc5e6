// A symbol's definition as the reader delivers it, copied out of its chains:
// the text styles, line types and layers, then the blocks (nested ones first,
// the symbol's own block last).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace dxf {

struct value_group {
    enum form { real, point, integer, string, binary, reference };
    int code = 0;
    form kind = integer;
    double xyz[3] = {0, 0, 0}; // real: xyz[0]
    long long number = 0;      // integer; reference: the 64-bit name
    std::string text;          // string; binary: the bytes
};

struct chain {
    std::vector<value_group> groups; // group 0 (the type) first

    std::string type() const;
    const value_group *find(int code) const;
    std::string text(int code, const std::string &fallback = "") const;
};

struct definition {
    struct block {
        chain header; // BLOCK: 2 name, 70 flags, 10 base point, 1 path text
        std::vector<chain> entities; // without the ENDBLK
    };
    std::vector<chain> styles, linetypes, layers;
    std::vector<block> blocks;
    bool complete = false; // the reader delivered the whole definition
};

// Asks the reader for a symbol's definition.  The reader's own messages go to
// standard error while it works.
definition load_definition(const std::string &library, const std::string &symbol);

} // namespace dxf
