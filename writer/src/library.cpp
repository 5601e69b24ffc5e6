#include "tvlwriter/library.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace tvlw {

namespace {

// Little-endian byte output with back-patching of 32-bit offsets.
struct Out {
    std::vector<std::uint8_t> bytes;

    std::uint32_t pos() const { return static_cast<std::uint32_t>(bytes.size()); }
    void u8(unsigned v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
    void i16(int v)
    {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void i32(std::int64_t v)
    {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<unsigned>((v >> (8 * i)) & 0xFF));
    }
    void f64(double d)
    {
        std::uint64_t v;
        std::memcpy(&v, &d, sizeof v);
        for (int i = 0; i < 8; ++i)
            u8(static_cast<unsigned>((v >> (8 * i)) & 0xFF));
    }
    void name(const std::string &s)
    {
        if (s.size() > 255)
            throw std::length_error("tvlw: a name holds at most 255 characters: " + s);
        u8(static_cast<unsigned>(s.size()));
        append(s.data(), s.size());
    }
    void append(const void *p, std::size_t n)
    {
        const auto *b = static_cast<const std::uint8_t *>(p);
        bytes.insert(bytes.end(), b, b + n);
    }
    void patch32(std::uint32_t at, std::int64_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.at(at + i) = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
    }
};

constexpr int entry_blocks = 0, entry_layers = 1, entry_linetypes = 2, entry_styles = 3,
              entry_index = 5, entry_settings = 6;

} // namespace

LibraryWriter::LibraryWriter(Settings settings) : settings_(std::move(settings)) {}

std::uint16_t LibraryWriter::name_hash(const std::string &name)
{
    std::uint16_t h = 0xACAD;
    for (char ch : name) {
        const auto c = static_cast<std::uint16_t>(static_cast<std::int16_t>(static_cast<signed char>(ch)));
        h = static_cast<std::uint16_t>(h ^ c);
        h = static_cast<std::uint16_t>((h << 1) | (h >> 15));
    }
    return h;
}

void LibraryWriter::add_raw_setting(const std::string &name, std::vector<std::uint8_t> payload)
{
    raw_settings_.emplace_back(name, std::move(payload));
}

void LibraryWriter::add_layer(const std::string &name, int colour, int flags, const std::string &linetype)
{
    Out o;
    o.name(name);
    o.i16(colour);
    o.u8(static_cast<unsigned>(flags));
    o.name(linetype);
    tables_.push_back({type_layer, name, std::move(o.bytes)});
}

void LibraryWriter::add_linetype(const std::string &name, const std::vector<double> &elements)
{
    Out o;
    o.name(name);
    o.i16(static_cast<int>(elements.size()));
    for (double d : elements)
        o.f64(d);
    tables_.push_back({type_linetype, name, std::move(o.bytes)});
}

void LibraryWriter::add_style(const TextStyle &s)
{
    Out o;
    o.name(s.name);
    o.f64(s.height);
    o.f64(s.width_factor);
    o.f64(s.oblique_angle);
    o.i16(s.generation_flags);
    o.i16(s.style_flags);
    o.name(s.font_file);
    o.name(s.second_font_file);
    tables_.push_back({type_style, s.name, std::move(o.bytes)});
}

void LibraryWriter::add_table_record(int type, const std::string &name, std::vector<std::uint8_t> data)
{
    tables_.push_back({type, name, std::move(data)});
}

void LibraryWriter::add_block(const std::string &name, std::vector<std::uint8_t> plain, BlockOptions options)
{
    if (options.listed)
        index_.push_back({name, options.hidden});
    blocks_.push_back({name, std::move(plain), std::move(options), false});
}

void LibraryWriter::add_encoded_block(const std::string &name, std::vector<std::uint8_t> record_data,
                                      BlockOptions options)
{
    if (options.listed)
        index_.push_back({name, options.hidden});
    blocks_.push_back({name, std::move(record_data), std::move(options), true});
}

void LibraryWriter::add_prototype(const std::string &name, std::vector<std::uint8_t> plain, Compression compression)
{
    prototypes_.push_back({name, std::move(plain), compression});
}

void LibraryWriter::add_index_name(const std::string &name, bool hidden)
{
    index_.push_back({name, hidden});
}

std::vector<std::uint8_t> LibraryWriter::bytes(Layout *layout) const
{
    Layout local;
    Layout &lay = layout ? *layout : local;
    lay = Layout{};
    const int version = settings_.version;
    const bool has_flags = version >= 30;
    const int combined = settings_.combined_data.value_or(0);

    Out o;
    o.append("TVL", 3);
    std::string digits = version_text_.value_or(std::to_string(version / 10 % 10) + std::to_string(version % 10));
    digits.resize(2, '0');
    o.append(digits.data(), 2);
    const char maker[] = " Symbol library writer 1.0  "; // 28 bytes
    static_assert(sizeof maker - 1 == 28);
    o.append(maker, 28);
    o.u8(0x1A);

    lay.directory = o.pos();
    for (char tag : tags_) {
        o.u8(static_cast<unsigned char>(tag));
        o.i32(0);
    }
    auto set_entry = [&](int entry, std::uint32_t offset) { o.patch32(lay.directory + 5 * entry + 1, offset); };

    // A linked table: each record's next offset is patched when the following one is written.
    struct Linked {
        std::uint32_t next_field = 0;
        bool any = false;
    };
    auto link = [&](Linked &l, int entry, std::uint32_t record) {
        if (l.any)
            o.patch32(l.next_field, record);
        else
            set_entry(entry, record);
        l.any = true;
    };

    // Settings.
    Linked settings_list;
    auto setting = [&](const std::string &name, const std::vector<std::uint8_t> &payload) {
        const std::uint32_t at = o.pos();
        link(settings_list, entry_settings, at);
        lay.settings[name] = at;
        o.u8(type_setting);
        o.name(name);
        settings_list.next_field = o.pos();
        o.i32(0);
        o.append(payload.data(), payload.size());
    };
    auto byte_setting = [&](const char *name, const std::optional<int> &v) {
        if (v)
            setting(name, {1, static_cast<std::uint8_t>(*v)});
    };
    byte_setting("RBUF", settings_.ring_size);
    byte_setting("R", settings_.record_ref_width);
    byte_setting("C", settings_.coding);
    byte_setting("FR", settings_.fraction_bits);
    byte_setting("L", settings_.combined_data);
    for (const auto &[name, payload] : raw_settings_)
        setting(name, payload);

    // Line types, layers and styles.
    Linked lists[3];
    for (const auto &t : tables_) {
        int entry;
        std::map<std::string, std::uint32_t> *where;
        Linked *l;
        switch (t.type) {
        case type_linetype: entry = entry_linetypes; where = &lay.linetypes; l = &lists[0]; break;
        case type_layer: entry = entry_layers; where = &lay.layers; l = &lists[1]; break;
        default: entry = entry_styles; where = &lay.styles; l = &lists[2]; break;
        }
        const std::uint32_t at = o.pos();
        link(*l, entry, at);
        (*where)[t.name] = at;
        o.u8(static_cast<unsigned>(t.type));
        o.name(t.name);
        l->next_field = o.pos();
        o.i32(0);
        o.i32(static_cast<std::int64_t>(t.data.size()));
        o.append(t.data.data(), t.data.size());
    }

    // Prototypes first, so that blocks can name their offsets.
    auto block_record = [&](const std::string &name, std::uint8_t flags, std::uint32_t *links_at,
                            std::uint32_t *dependency_at, std::uint32_t *prototype_at) {
        o.u8(type_block);
        o.name(name);
        if (has_flags)
            o.u8(flags);
        if (links_at)
            *links_at = o.pos();
        o.i32(0); // greater hash
        o.i32(0); // smaller hash
        o.i32(0); // equal hash
        o.i32(0);
        if (dependency_at)
            *dependency_at = o.pos();
        o.i32(0);
        if (has_flags && (flags & 1))
            o.i16(0);
        if (combined != 2) {
            if (prototype_at)
                *prototype_at = o.pos();
            o.i32(0);
        } else {
            o.i32(0);
            o.i32(0);
            o.i32(0);
        }
    };
    for (const auto &p : prototypes_) {
        lay.prototypes[p.name] = o.pos();
        block_record(p.name, 0, nullptr, nullptr, nullptr);
        const auto data = encode_record_data(p.plain, p.compression);
        o.append(data.data(), data.size());
    }

    // Blocks, each followed by its dependency record; the search tree is linked as they come.
    struct Node {
        std::uint16_t hash;
        std::uint32_t links_at;
    };
    std::vector<Node> nodes;
    std::map<std::uint32_t, std::size_t> node_at;
    for (const auto &b : blocks_) {
        const std::uint32_t at = o.pos();
        lay.blocks[b.name] = at;
        std::uint32_t links_at = 0, dependency_at = 0, prototype_at = 0;
        block_record(b.name, b.options.flags, &links_at, &dependency_at, &prototype_at);
        if (b.options.prototype && combined != 2) {
            auto it = lay.prototypes.find(*b.options.prototype);
            if (it == lay.prototypes.end())
                throw std::invalid_argument("tvlw: unknown prototype " + *b.options.prototype);
            o.patch32(prototype_at, it->second);
        }
        if (b.encoded) {
            o.append(b.plain.data(), b.plain.size());
        } else {
            const auto data = encode_record_data(b.plain, b.options.compression, b.options.chunk_size);
            o.append(data.data(), data.size());
        }

        const std::uint16_t h = name_hash(b.name);
        if (nodes.empty()) {
            set_entry(entry_blocks, at);
        } else {
            std::size_t n = 0;
            for (;;) {
                int which = h == nodes[n].hash ? 2 : (h < nodes[n].hash ? 1 : 0);
                const std::uint32_t field = nodes[n].links_at + 4 * which;
                std::uint32_t child = o.bytes[field] | (o.bytes[field + 1] << 8) | (o.bytes[field + 2] << 16) |
                                      (std::uint32_t(o.bytes[field + 3]) << 24);
                if (child == 0) {
                    o.patch32(field, at);
                    break;
                }
                n = node_at.at(child);
            }
        }
        node_at[at] = nodes.size();
        nodes.push_back({h, links_at});

        if (!b.options.dependencies.empty()) {
            const std::uint32_t dep = o.pos();
            lay.dependencies[b.name] = dep;
            o.patch32(dependency_at, dep);
            o.u8(type_dependency);
            o.name(b.name);
            o.i16(static_cast<int>(b.options.dependencies.size()));
            o.i32(0);
            for (const auto &d : b.options.dependencies) {
                o.u8(static_cast<unsigned>(d.type));
                o.name(d.name);
                if (combined != 0) {
                    o.i32(d.work_offset);
                    o.u8(static_cast<unsigned>(d.extra_names.size()));
                    for (const auto &x : d.extra_names)
                        o.name(x);
                }
            }
        }
    }

    // Index records in insertion order.
    Linked index_list;
    for (const auto &ix : index_) {
        const std::uint32_t at = o.pos();
        link(index_list, entry_index, at);
        lay.index[ix.name] = at;
        o.u8(type_index);
        o.name(ix.name);
        if (has_flags)
            o.u8(ix.hidden ? 2 : 0);
        o.i32(0);
        o.i32(0);
        o.i32(0);
        index_list.next_field = o.pos();
        o.i32(0);
    }
    return std::move(o.bytes);
}

bool LibraryWriter::save(const std::string &path, Layout *layout) const
{
    const auto data = bytes(layout);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace tvlw
