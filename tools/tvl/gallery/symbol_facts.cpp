#include "symbol_facts.h"

#include <map>

#include "dxf/definition.h"
#include "hash.h"
#include "reader_messages.h"
#include "tvlaccess.h"

namespace {

void hash_chain(byte_hash &hash, const dxf::chain &chain)
{
    for (const dxf::value_group &g : chain.groups) {
        hash.add(&g.code, sizeof g.code);
        hash.add(&g.kind, sizeof g.kind);
        switch (g.kind) {
        case dxf::value_group::real:
        case dxf::value_group::point:
            hash.add(g.xyz, sizeof g.xyz);
            break;
        case dxf::value_group::integer:
            hash.add(&g.number, sizeof g.number);
            break;
        case dxf::value_group::string:
        case dxf::value_group::binary:
            hash.add_text(g.text);
            break;
        case dxf::value_group::reference:
            break; // entity names are handles that differ between deliveries
        }
    }
}

// Vertices and their end marker belong to the polyline before them.
bool counted(const dxf::chain &entity)
{
    const std::string type = entity.type();
    return type != "VERTEX" && type != "SEQEND";
}

} // namespace

void read_definition(const std::string &library, const std::string &symbol, symbol_facts &facts)
{
    const dxf::definition d = dxf::load_definition(library, symbol);
    facts.name = symbol;
    facts.delivered = d.complete;
    byte_hash hash;
    for (const auto *tables : {&d.styles, &d.linetypes, &d.layers})
        for (const dxf::chain &c : *tables)
            hash_chain(hash, c);
    facts.layers.clear();
    for (const dxf::chain &c : d.layers) {
        const dxf::value_group *colour = c.find(62);
        facts.layers.push_back({c.text(2), colour != nullptr ? static_cast<int>(colour->number) : 0});
    }
    facts.counts.clear();
    facts.nested.clear();
    std::map<std::string, long> counts;
    for (std::size_t b = 0; b < d.blocks.size(); ++b) {
        const auto &block = d.blocks[b];
        hash_chain(hash, block.header);
        long entities = 0;
        for (const dxf::chain &e : block.entities) {
            hash_chain(hash, e);
            if (!counted(e))
                continue;
            ++entities;
            // Nested blocks come first; the symbol's own block is delivered last.
            if (b + 1 == d.blocks.size())
                ++counts[e.type()];
        }
        if (b + 1 < d.blocks.size())
            facts.nested.push_back({block.header.text(2), entities});
    }
    facts.counts.assign(counts.begin(), counts.end());
    facts.definition = hash.value;
}

std::vector<std::string> list_symbols(const std::string &library)
{
    std::vector<std::string> names;
    resbuf *chain = nullptr;
    {
        const reader_messages_to_stderr redirect;
        chain = ta_tvllist(library.c_str());
    }
    for (const resbuf *rb = chain; rb != nullptr; rb = rb->next)
        if (rb->code == RB_STRING && rb->value.string != nullptr)
            names.emplace_back(rb->value.string);
    ta_relrb(chain);
    return names;
}
