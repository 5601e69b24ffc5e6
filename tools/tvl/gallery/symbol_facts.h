// What the gallery shows about one symbol besides its pictures.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct layer_fact {
    std::string name;
    int colour = 0; // the layer's colour number
};

struct nested_block {
    std::string name;
    long entities = 0;
};

struct symbol_facts {
    std::string name;
    bool delivered = false;          // the reader delivered the whole definition
    std::uint64_t definition = 0;    // hash of everything delivered
    std::vector<layer_fact> layers;  // in delivery order
    std::vector<std::pair<std::string, long>> counts; // the symbol's own entities by type, by name
    std::vector<nested_block> nested; // blocks delivered before the symbol's own
    bool has_extent = false;         // the viewer drew something
    double low[3] = {0, 0, 0};
    double high[3] = {0, 0, 0};
    std::string view = "plan";       // the thumbnail's view
    bool loaded = false;             // the viewer loaded it
};

// Fills name, delivered, definition, layers, counts and nested by asking the
// reader for the definition.
void read_definition(const std::string &library, const std::string &symbol, symbol_facts &facts);

// The listed symbol names of a library; empty when it cannot be read.
std::vector<std::string> list_symbols(const std::string &library);
