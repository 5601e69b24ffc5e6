#include "symbol_facts.h"

#include <map>
#include <string_view>

#include "hash.h"
#include "reader_messages.h"
#include "tvlaccess.h"

namespace {

// Record codes whose value is a pointer to text; binary and object values are
// pointers too.  Entity names are handles that differ between deliveries.
enum class value_form { text, binary, object, handle, plain };

value_form form_of(int code)
{
    if (code == RB_STRING || code == RB_TYPE_NAME)
        return value_form::text;
    if (code == RB_BINARY)
        return value_form::binary;
    if (code == RB_OBJECT)
        return value_form::object;
    if (code == RB_ENAME || code == -1 || code == -2)
        return value_form::handle;
    if (code >= 1000 && code < 5000) {
        if (code == 1004)
            return value_form::binary;
        if (code == 1071)
            return value_form::plain;
        return form_of(code % 1000);
    }
    if ((code >= 0 && code <= 9) || (code >= 100 && code <= 105) || (code >= 300 && code <= 309) ||
        (code >= 410 && code <= 419) || code == 999)
        return value_form::text;
    if (code >= 310 && code <= 319)
        return value_form::binary;
    if (code >= 500 && code <= 509)
        return value_form::object;
    if ((code >= 320 && code <= 369) || (code >= 390 && code <= 399))
        return value_form::handle;
    return value_form::plain;
}

void hash_chain(byte_hash &hash, const resbuf *chain)
{
    for (const resbuf *rb = chain; rb != nullptr; rb = rb->next) {
        hash.add(&rb->code, sizeof rb->code);
        switch (form_of(rb->code)) {
        case value_form::text:
            hash.add_text(rb->value.string != nullptr ? rb->value.string : "");
            break;
        case value_form::binary:
            if (rb->value.binary.bytes != nullptr)
                hash.add_text(std::string_view(rb->value.binary.bytes, rb->value.binary.length));
            break;
        case value_form::object:
        case value_form::handle:
            break;
        case value_form::plain:
            // Records are zeroed when made, so the whole value is defined.
            hash.add(&rb->value, sizeof rb->value);
            break;
        }
    }
}

const char *text_of(const resbuf *chain, int code)
{
    for (const resbuf *rb = chain; rb != nullptr; rb = rb->next)
        if (rb->code == code && form_of(code) == value_form::text && rb->value.string != nullptr)
            return rb->value.string;
    return nullptr;
}

int short_of(const resbuf *chain, int code)
{
    for (const resbuf *rb = chain; rb != nullptr; rb = rb->next)
        if (rb->code == code)
            return rb->value.int16;
    return 0;
}

struct delivered_block {
    std::string name;
    std::map<std::string, long> counts;
    long entities = 0;
};

struct reading {
    byte_hash hash;
    std::vector<layer_fact> layers;
    std::vector<delivered_block> blocks;
};

// The reader's callbacks are plain function pointers; this is the definition
// being read, set for the length of one ta_tvldef call.
reading *current = nullptr;

int on_table(const resbuf *chain)
{
    hash_chain(current->hash, chain);
    const char *type = text_of(chain, 0);
    const char *name = text_of(chain, 2);
    if (type != nullptr && std::string_view(type) == "LAYER" && name != nullptr)
        current->layers.push_back({name, short_of(chain, 62)});
    return RB_OK;
}

int on_entity(const resbuf *chain)
{
    if (chain == nullptr)
        return RB_OK; // a block starts; its header follows
    hash_chain(current->hash, chain);
    const char *type = text_of(chain, 0);
    const std::string kind = type != nullptr ? type : "?";
    if (kind == "BLOCK" || current->blocks.empty()) {
        const char *name = text_of(chain, 2);
        current->blocks.push_back({name != nullptr ? name : "", {}, 0});
        if (kind == "BLOCK")
            return RB_OK;
    }
    // Vertices and their end marker belong to the polyline before them.
    if (kind == "ENDBLK" || kind == "VERTEX" || kind == "SEQEND")
        return RB_OK;
    ++current->blocks.back().counts[kind];
    ++current->blocks.back().entities;
    return RB_OK;
}

} // namespace

void read_definition(const std::string &library, const std::string &symbol, symbol_facts &facts)
{
    reading r;
    current = &r;
    {
        const reader_messages_to_stderr redirect;
        ta_init(on_entity, on_table, nullptr);
        facts.delivered = ta_tvldef(library.c_str(), symbol.c_str());
    }
    current = nullptr;
    facts.name = symbol;
    facts.definition = r.hash.value;
    facts.layers = std::move(r.layers);
    facts.counts.clear();
    facts.nested.clear();
    if (r.blocks.empty())
        return;
    // Nested blocks come first; the symbol's own block is delivered last.
    for (std::size_t i = 0; i + 1 < r.blocks.size(); ++i)
        facts.nested.push_back({r.blocks[i].name, r.blocks[i].entities});
    for (const auto &[kind, n] : r.blocks.back().counts)
        facts.counts.emplace_back(kind, n);
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
