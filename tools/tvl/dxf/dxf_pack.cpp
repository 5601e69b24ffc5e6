#include "dxf/dxf_pack.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace dxf {

namespace {

constexpr std::size_t max_symbol_name = 39; // the reader's limit for a symbol's base name
constexpr std::size_t max_record_name = 255;
constexpr std::size_t max_block_name = max_record_name - 8; // room for a clash suffix
constexpr std::size_t max_path_text = 127;
constexpr std::size_t max_layer_linetype = 32;

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A name the reader would take for another: "X" looks for "X_DWE" first.
std::string not_reserved(std::string s, std::size_t limit)
{
    if (s.size() >= 4 && s.compare(s.size() - 4, 4, "_DWE") == 0) {
        if (s.size() < limit)
            s += '_';
        else
            s.back() = '_';
    }
    return s;
}

// The stored name of a drawing's block before any clash is resolved.
std::string stored_block_name(const std::string &name)
{
    std::string s = upper(name);
    if (!s.empty() && s[0] == '*') // anonymous blocks all arrive as "*U"; keep them apart
        s[0] = '_';
    if (s.size() > max_block_name)
        s.resize(max_block_name);
    return not_reserved(s, max_block_name);
}

bool is_text_entity(const std::string &type)
{
    return type == "TEXT" || type == "MTEXT" || type == "ATTDEF" || type == "ATTRIB";
}

double real_of(const std::string &file, const record &r, int code, double fallback)
{
    const pair *p = r.find(code);
    return p ? parse_real(file, *p) : fallback;
}

int integer_of(const std::string &file, const record &r, int code, int fallback)
{
    const pair *p = r.find(code);
    if (!p)
        return fallback;
    const double v = parse_real(file, *p);
    if (!(v >= -32768 && v <= 32767))
        throw dxf_error(file, p->line, "group " + std::to_string(code) + ": out of the 16-bit range");
    return static_cast<int>(v);
}

std::string string_of(const record &r, int code, const std::string &fallback = "")
{
    const pair *p = r.find(code);
    return p ? p->value : fallback;
}

// The records of a table that the names pick, by stored (upper-case) name;
// the first record of a name counts.
std::vector<std::pair<std::string, const record *>> picked(const std::vector<record> &table,
                                                           const std::set<std::string> &names)
{
    std::map<std::string, const record *> by_name;
    for (const record &r : table)
        if (const pair *name = r.find(2))
            by_name.emplace(upper(name->value), &r);
    std::vector<std::pair<std::string, const record *>> out;
    for (const std::string &n : names) {
        const auto it = by_name.find(n);
        if (it != by_name.end() && n.size() <= max_record_name)
            out.emplace_back(n, it->second);
    }
    return out;
}

// Names that entities use through one group code.
void collect(const std::vector<tvlw::Entity> &entities, int code, std::set<std::string> &names)
{
    for (const tvlw::Entity &e : entities)
        for (const tvlw::Group &g : e.groups)
            if (g.code == code)
                if (const auto *s = std::get_if<std::string>(&g.value))
                    names.insert(upper(*s));
}

std::vector<std::string> inserted_blocks(const std::vector<record> &entities)
{
    std::vector<std::string> names;
    for (const record &r : entities)
        if (r.type == "INSERT" || r.type == "DIMENSION")
            if (const pair *name = r.find(2))
                names.push_back(upper(name->value));
    return names;
}

struct block_order {
    std::vector<std::string> names; // inserting blocks before the blocks they insert
    std::set<std::string> missing;
};

// Every block reached from the entities, in reverse post-order of a depth-first
// walk (so a block comes before all the blocks it inserts); cycles are cut.
block_order reachable_blocks(const std::vector<record> &entities, const std::map<std::string, const block_def *> &defs)
{
    block_order order;
    std::set<std::string> seen;
    std::vector<std::string> post;
    struct frame {
        std::vector<std::string> children;
        std::size_t next = 0;
        std::string name;
    };
    std::vector<frame> stack;
    stack.push_back({inserted_blocks(entities), 0, ""});
    while (!stack.empty()) {
        frame &f = stack.back();
        if (f.next == f.children.size()) {
            if (!f.name.empty())
                post.push_back(f.name);
            stack.pop_back();
            continue;
        }
        const std::string child = f.children[f.next++];
        if (!seen.insert(child).second)
            continue;
        const auto it = defs.find(child);
        if (it == defs.end()) {
            order.missing.insert(child);
            continue;
        }
        stack.push_back({inserted_blocks(it->second->entities), 0, child});
    }
    order.names.assign(post.rbegin(), post.rend());
    return order;
}

packed_block encode(const pack_settings &s, const std::string &name, int flags, tvlw::Point base,
                    const std::string &path, const std::vector<tvlw::Entity> &entities)
{
    const tvlw::EncodedBlock e =
        tvlw::encode_block_smallest(s.library, flags, base, path, entities, s.compression, s.codings);
    return {name, flags, e.record_data, e.plain_size};
}

void prepare(prepared_drawing &out, const pack_settings &settings, const std::map<std::string, std::string> &renames)
{
    const std::string &file = out.file;
    const drawing d = read_drawing(file);
    std::error_code ec;
    out.input_bytes = static_cast<std::size_t>(std::filesystem::file_size(file, ec));

    std::map<std::string, const block_def *> defs;
    for (const block_def &b : d.blocks)
        if (const pair *name = b.header.find(2))
            defs.emplace(upper(name->value), &b);
    const name_map stored = [&](const std::string &name) {
        const std::string base = stored_block_name(name);
        const auto it = renames.find(base);
        return it == renames.end() ? base : it->second;
    };

    std::vector<tvlw::Entity> all; // every entity, for the table records they use
    std::vector<tvlw::Entity> top = convert_entities(file, d.entities, out.left_out, stored);
    const tvlw::Point base{d.base[0], d.base[1], d.base[2]};
    out.symbol = encode(settings, "", 0, base, "", top);
    all = std::move(top);

    const block_order order = reachable_blocks(d.entities, defs);
    for (const std::string &m : order.missing)
        out.notes.push_back("inserts block " + m + ", which the drawing does not define");
    for (const std::string &name : order.names) {
        const block_def &b = *defs.at(name);
        std::vector<tvlw::Entity> entities = convert_entities(file, b.entities, out.left_out, stored);
        std::string path = string_of(b.header, 1);
        if (path.size() > max_path_text) {
            out.notes.push_back("block " + name + ": its path text is longer than 127 bytes and is left out");
            path.clear();
        }
        const tvlw::Point at{real_of(file, b.header, 10, 0), real_of(file, b.header, 20, 0),
                             real_of(file, b.header, 30, 0)};
        out.nested.push_back(
            encode(settings, stored(name), integer_of(file, b.header, 70, 0) & 0xFF, at, path, entities));
        all.insert(all.end(), std::make_move_iterator(entities.begin()), std::make_move_iterator(entities.end()));
    }

    // Table records that the entities (and their layers) use.
    std::set<std::string> layer_names, linetype_names, style_names;
    collect(all, 8, layer_names);
    collect(all, 6, linetype_names);
    collect(all, 7, style_names);
    if (std::any_of(all.begin(), all.end(), [](const tvlw::Entity &e) { return is_text_entity(e.type); }))
        style_names.insert("STANDARD");
    for (const auto &[n, r] : picked(d.layers, layer_names)) {
        layer_fields f;
        f.colour = integer_of(file, *r, 62, 7);
        f.flags = integer_of(file, *r, 70, 0) & 0xFF;
        f.linetype = string_of(*r, 6, "CONTINUOUS");
        if (f.linetype.size() > max_layer_linetype) {
            out.notes.push_back("layer " + n + ": line type name longer than 32 characters, CONTINUOUS kept");
            f.linetype = "CONTINUOUS";
        }
        linetype_names.insert(upper(f.linetype));
        out.layers.emplace(n, f);
    }
    // BYLAYER and BYBLOCK stand for the layer's and block's line type in every drawing.
    linetype_names.erase("BYLAYER");
    linetype_names.erase("BYBLOCK");
    for (const auto &[n, r] : picked(d.linetypes, linetype_names)) {
        std::vector<double> elements;
        for (const pair &p : r->groups)
            if (p.code == 49 && elements.size() < 32767)
                elements.push_back(parse_real(file, p));
        out.linetypes.emplace(n, elements);
    }
    for (const auto &[n, rp] : picked(d.styles, style_names)) {
        const record &r = *rp;
        style_fields f;
        f.style.name = n;
        f.style.height = real_of(file, r, 40, 0);
        f.style.width_factor = real_of(file, r, 41, 1);
        f.style.oblique_angle = real_of(file, r, 50, 0);
        f.style.generation_flags = static_cast<std::int16_t>(integer_of(file, r, 71, 0));
        f.style.style_flags = static_cast<std::int16_t>(integer_of(file, r, 70, 0));
        f.style.font_file = string_of(r, 3).substr(0, max_record_name);
        f.style.second_font_file = string_of(r, 4).substr(0, max_record_name);
        out.styles.emplace(n, f);
    }
}

} // namespace

bool style_fields::operator==(const style_fields &o) const
{
    const tvlw::TextStyle &a = style, &b = o.style;
    return a.name == b.name && a.height == b.height && a.width_factor == b.width_factor &&
           a.oblique_angle == b.oblique_angle && a.generation_flags == b.generation_flags &&
           a.style_flags == b.style_flags && a.font_file == b.font_file && a.second_font_file == b.second_font_file;
}

tvlw::Settings default_library_settings()
{
    tvlw::Settings s;
    // Measured on a corpus of 1,272 real drawings: the smallest of ring sizes
    // 50 to 255 and reference widths 1 to 3, by about 1 %.
    s.ring_size = 127;
    s.record_ref_width = 3;
    s.coding = 2;
    return s;
}

prepared_drawing prepare_drawing(const std::string &file, const pack_settings &settings,
                                 const std::map<std::string, std::string> &renames)
{
    prepared_drawing out;
    out.file = file;
    try {
        prepare(out, settings, renames);
    } catch (const dxf_error &e) {
        out.error = e.what();
    } catch (const std::exception &e) {
        out.error = file + ": " + e.what();
    }
    return out;
}

std::string symbol_name_for(const std::string &file)
{
    std::string s = upper(std::filesystem::path(file).stem().string());
    for (char &c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '$')
            c = '_';
    if (s.empty())
        s = "SYMBOL";
    if (s.compare(0, 7, "_TAVREL") == 0) // such names are hidden from the symbol list
        s.insert(0, "S");
    if (s.size() > max_symbol_name)
        s.resize(max_symbol_name);
    return not_reserved(s, max_symbol_name);
}

library_builder::library_builder(pack_settings settings)
    : settings_(std::move(settings)), writer_(settings_.library)
{
}

bool library_builder::same_block(const packed_block &a, const packed_block &b) const
{
    return a.flags == b.flags && a.record_data == b.record_data;
}

std::string library_builder::unique_name(const std::string &wanted, std::size_t limit,
                                         const std::set<std::string> &also_taken) const
{
    if (!names_.count(wanted) && !also_taken.count(wanted))
        return wanted;
    for (int n = 2;; ++n) {
        const std::string suffix = "_" + std::to_string(n);
        const std::string name = wanted.substr(0, limit - suffix.size()) + suffix;
        if (!names_.count(name) && !also_taken.count(name))
            return name;
    }
}

std::string library_builder::add(prepared_drawing &d)
{
    if (!d.error.empty())
        return "";
    // Blocks of the same name and the same content are shared; a block whose
    // name another drawing's different block holds is stored under a new name,
    // and the drawing is coded again so that its INSERTs name it.
    std::map<std::string, std::string> renames;
    for (std::size_t round = 0; round <= d.nested.size(); ++round) {
        std::set<std::string> taken;
        bool changed = false;
        for (const packed_block &b : d.nested)
            taken.insert(b.name);
        for (const packed_block &b : d.nested) {
            const auto have = blocks_.find(b.name);
            if (!names_.count(b.name) || (have != blocks_.end() && same_block(have->second, b)))
                continue;
            std::string base = b.name;
            for (const auto &[from, to] : renames)
                if (to == b.name)
                    base = from;
            const std::string name = unique_name(b.name, max_record_name, taken);
            taken.insert(name);
            renames[base] = name;
            changed = true;
        }
        if (!changed)
            break;
        std::vector<std::string> notes = d.notes;
        d = prepare_drawing(d.file, settings_, renames);
        if (!d.error.empty())
            return "";
        d.notes = notes;
    }
    for (const auto &[from, to] : renames)
        d.notes.push_back("block " + from + " stored as " + to + " (another drawing has a different " + from + ")");

    // Table records are the library's: the first drawing's record of a name is kept.
    std::vector<tvlw::Dependency> deps;
    std::vector<std::string> differing;
    for (const auto &[name, f] : d.styles) {
        const auto [it, added] = styles_.emplace(name, std::make_pair(f, d.file));
        if (added)
            writer_.add_style(f.style);
        else if (!(it->second.first == f))
            differing.push_back("style " + name);
        deps.push_back({tvlw::type_style, name, 0, {}});
    }
    for (const auto &[name, elements] : d.linetypes) {
        const auto [it, added] = linetypes_.emplace(name, std::make_pair(elements, d.file));
        if (added)
            writer_.add_linetype(name, elements);
        else if (it->second.first != elements)
            differing.push_back("line type " + name);
        deps.push_back({tvlw::type_linetype, name, 0, {}});
    }
    for (const auto &[name, f] : d.layers) {
        const auto [it, added] = layers_.emplace(name, std::make_pair(f, d.file));
        if (added)
            writer_.add_layer(name, f.colour, f.flags, f.linetype);
        else if (!(it->second.first == f))
            differing.push_back("layer " + name);
        deps.push_back({tvlw::type_layer, name, 0, {}});
    }
    if (!differing.empty()) {
        std::string list;
        for (const std::string &n : differing)
            list += (list.empty() ? "" : ", ") + n;
        d.notes.push_back("uses the library's earlier " + list + " (this drawing's differ)");
    }
    for (const packed_block &b : d.nested) {
        if (!blocks_.count(b.name)) {
            tvlw::BlockOptions o;
            o.listed = false;
            writer_.add_encoded_block(b.name, b.record_data, o);
            blocks_.emplace(b.name, b);
            names_.insert(b.name);
        }
        deps.push_back({tvlw::type_block, b.name, 0, {}});
    }

    const std::string wanted = symbol_name_for(d.file);
    const std::string name = unique_name(wanted, max_symbol_name);
    if (name != wanted)
        d.notes.push_back("symbol named " + name + " (" + wanted + " is taken)");
    tvlw::BlockOptions o;
    o.dependencies = std::move(deps);
    writer_.add_encoded_block(name, d.symbol.record_data, o);
    names_.insert(name);
    d.symbol.name = name;
    ++symbols_;
    return name;
}

} // namespace dxf
