// DXF drawings written by the tests, pair by pair.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "file_text.h"

using dxf_pairs = std::vector<std::pair<int, std::string>>;

// The pairs as DXF text; codes right-aligned in three columns as CAD programs write them.
inline std::string dxf_text(const dxf_pairs &pairs, const char *line_end = "\n")
{
    std::string s;
    for (const auto &[code, value] : pairs) {
        std::string c = std::to_string(code);
        s += std::string(c.size() < 3 ? 3 - c.size() : 0, ' ') + c + line_end + value + line_end;
    }
    return s;
}

// A whole drawing: optional tables and blocks, then the entities.
inline dxf_pairs drawing(const dxf_pairs &entities, const dxf_pairs &tables = {}, const dxf_pairs &blocks = {})
{
    dxf_pairs d = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {9, "$INSBASE"},
                   {10, "1.5"},    {20, "2.5"},    {30, "0.0"},      {0, "ENDSEC"}};
    auto section = [&](const char *name, const dxf_pairs &body) {
        d.push_back({0, "SECTION"});
        d.push_back({2, name});
        d.insert(d.end(), body.begin(), body.end());
        d.push_back({0, "ENDSEC"});
    };
    section("TABLES", tables);
    section("BLOCKS", blocks);
    section("ENTITIES", entities);
    d.push_back({0, "EOF"});
    return d;
}

using skeltest::write_file;
