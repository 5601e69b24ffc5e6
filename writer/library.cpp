// The container, laid out in file order: signature and directory, settings,
// line types, layers and styles, prototypes, blocks in their hash search tree
// with their dependency records, and the index.
#include "library.h"

#include <cstdio>
#include <stdexcept>

#include "raw.h"
#include "tvl_format/byte_order.h"
#include "tvl_format/limits.h"
#include "tvl_format/settings.h"

namespace fmt = tvl_format;

namespace tvlw {

namespace {

// Little-endian output with back-patching of 32-bit offsets.
struct Out {
    std::vector<std::uint8_t> bytes;

    std::uint32_t pos() const { return static_cast<std::uint32_t>(bytes.size()); }
    void u8(unsigned v) { raw::byte(bytes, static_cast<int>(v)); }
    void i16(int v) { raw::i16(bytes, v); }
    void i32(std::int64_t v) { raw::i32(bytes, static_cast<std::int32_t>(v)); }
    void f64(double d) { raw::f64(bytes, d); }
    void name(const std::string &s)
    {
        if (s.size() > fmt::max_name_length)
            throw std::length_error("tvlw: a name holds at most 255 characters: " + s);
        u8(static_cast<unsigned>(s.size()));
        append(s.data(), s.size());
    }
    void append(const void *p, std::size_t n)
    {
        const auto *b = static_cast<const std::uint8_t *>(p);
        bytes.insert(bytes.end(), b, b + n);
    }
    void patch32(std::uint32_t at, std::int64_t v) { fmt::le_put(&bytes.at(at + 3) - 3, static_cast<std::uint64_t>(v), 4); }
    std::uint32_t read32(std::uint32_t at) const { return fmt::le_uint(&bytes.at(at + 3) - 3, 4); }
};

// The text after the version digits; the signature is padded to its length with it.
constexpr char maker[] = " Symbol library writer 1.0  ";
static_assert(fmt::signature_letters_length + 2 + sizeof maker - 1 + 1 == fmt::signature_length);
constexpr unsigned end_of_text = 0x1A;

} // namespace

LibraryWriter::LibraryWriter(Settings settings) : settings_(std::move(settings)) {}

std::uint16_t LibraryWriter::name_hash(const std::string &name)
{
    return fmt::name_hash(name.data(), name.size());
}

// Records to write ------------------------------------------------------------

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

// The file ----------------------------------------------------------------------

class LibraryWriter::Image {
public:
    Image(const LibraryWriter &w, Layout &layout)
        : w_(w), lay_(layout), has_flags_(w.settings_.version >= fmt::flags_version),
          combined_(w.settings_.combined_data.value_or(0))
    {
    }

    void header();
    void settings();
    void tables();
    void prototypes();
    void blocks();
    void index();

    std::vector<std::uint8_t> take() { return std::move(o_.bytes); }

private:
    // A linked table: each record's next offset is patched when the following one is written.
    struct Linked {
        std::uint32_t next_field = 0;
        bool any = false;
    };
    // Offsets of the fields of a block record that are patched later.
    struct BlockFields {
        std::uint32_t links = 0;      // greater, smaller and equal hash
        std::uint32_t dependency = 0;
        std::uint32_t prototype = 0;  // none with combined_data_blocks
    };
    // A block in the search tree: its name hash and its link fields.
    struct Node {
        std::uint16_t hash;
        std::uint32_t links_at;
    };

    void set_entry(int entry, std::uint32_t offset);
    void link(Linked &l, int entry, std::uint32_t record);
    void setting(const std::string &name, const std::vector<std::uint8_t> &payload);
    BlockFields block_record(const std::string &name, std::uint8_t flags);
    void tree_insert(const std::string &name, std::uint32_t at, std::uint32_t links_at);
    void dependency_record(const Block &b, std::uint32_t dependency_field);

    const LibraryWriter &w_;
    Layout &lay_;
    Out o_;
    const bool has_flags_;
    const int combined_;
    Linked settings_list_;
    Linked table_lists_[3]; // line types, layers, styles
    Linked index_list_;
    std::vector<Node> nodes_;
    std::map<std::uint32_t, std::size_t> node_at_;
};

void LibraryWriter::Image::set_entry(int entry, std::uint32_t offset)
{
    o_.patch32(lay_.directory + fmt::directory_entry_size * entry + 1, offset);
}

void LibraryWriter::Image::link(Linked &l, int entry, std::uint32_t record)
{
    if (l.any)
        o_.patch32(l.next_field, record);
    else
        set_entry(entry, record);
    l.any = true;
}

void LibraryWriter::Image::header()
{
    const int version = w_.settings_.version;
    o_.append(fmt::signature_letters, fmt::signature_letters_length);
    std::string digits =
        w_.version_text_.value_or(std::to_string(version / 10 % 10) + std::to_string(version % 10));
    digits.resize(2, '0');
    o_.append(digits.data(), 2);
    o_.append(maker, sizeof maker - 1);
    o_.u8(end_of_text);

    lay_.directory = o_.pos();
    for (char tag : w_.tags_) {
        o_.u8(static_cast<unsigned char>(tag));
        o_.i32(0);
    }
}

void LibraryWriter::Image::setting(const std::string &name, const std::vector<std::uint8_t> &payload)
{
    const std::uint32_t at = o_.pos();
    link(settings_list_, fmt::entry_settings, at);
    lay_.settings[name] = at;
    o_.u8(type_setting);
    o_.name(name);
    settings_list_.next_field = o_.pos();
    o_.i32(0);
    o_.append(payload.data(), payload.size());
}

void LibraryWriter::Image::settings()
{
    const Settings &s = w_.settings_;
    auto byte_setting = [&](const char *name, const std::optional<int> &v) {
        if (v)
            setting(name, {fmt::setting_value_length, static_cast<std::uint8_t>(*v)});
    };
    byte_setting(fmt::setting_ring_size, s.ring_size);
    byte_setting(fmt::setting_record_ref_width, s.record_ref_width);
    byte_setting(fmt::setting_coding, s.coding);
    byte_setting(fmt::setting_fraction_bits, s.fraction_bits);
    byte_setting(fmt::setting_combined_data, s.combined_data);
    for (const auto &[name, payload] : w_.raw_settings_)
        setting(name, payload);
}

void LibraryWriter::Image::tables()
{
    for (const TableRecord &t : w_.tables_) {
        int entry;
        std::map<std::string, std::uint32_t> *where;
        Linked *l;
        switch (t.type) {
        case type_linetype: entry = fmt::entry_linetypes; where = &lay_.linetypes; l = &table_lists_[0]; break;
        case type_layer: entry = fmt::entry_layers; where = &lay_.layers; l = &table_lists_[1]; break;
        default: entry = fmt::entry_styles; where = &lay_.styles; l = &table_lists_[2]; break;
        }
        const std::uint32_t at = o_.pos();
        link(*l, entry, at);
        (*where)[t.name] = at;
        o_.u8(static_cast<unsigned>(t.type));
        o_.name(t.name);
        l->next_field = o_.pos();
        o_.i32(0);
        o_.i32(static_cast<std::int64_t>(t.data.size()));
        o_.append(t.data.data(), t.data.size());
    }
}

LibraryWriter::Image::BlockFields LibraryWriter::Image::block_record(const std::string &name, std::uint8_t flags)
{
    BlockFields f;
    o_.u8(type_block);
    o_.name(name);
    if (has_flags_)
        o_.u8(flags);
    f.links = o_.pos();
    for (int i = 0; i < fmt::block_tree_fields / 4; ++i)
        o_.i32(0); // greater, smaller and equal hash, then a field of no use here
    f.dependency = o_.pos();
    o_.i32(0);
    if (has_flags_ && (flags & fmt::block_flag_wide))
        o_.i16(0);
    f.prototype = o_.pos();
    const int tail = combined_ != fmt::combined_data_blocks ? 4 : fmt::block_combined_tail;
    for (int i = 0; i < tail / 4; ++i)
        o_.i32(0);
    return f;
}

// Prototypes come first, so that blocks can name their offsets.
void LibraryWriter::Image::prototypes()
{
    for (const Prototype &p : w_.prototypes_) {
        lay_.prototypes[p.name] = o_.pos();
        block_record(p.name, 0);
        const auto data = encode_record_data(p.plain, p.compression);
        o_.append(data.data(), data.size());
    }
}

// Links the block at `at` below the node its hash leads to: greater, smaller, equal.
void LibraryWriter::Image::tree_insert(const std::string &name, std::uint32_t at, std::uint32_t links_at)
{
    const std::uint16_t h = name_hash(name);
    if (nodes_.empty()) {
        set_entry(fmt::entry_blocks, at);
    } else {
        std::size_t n = 0;
        for (;;) {
            const int which = h == nodes_[n].hash ? 2 : (h < nodes_[n].hash ? 1 : 0);
            const std::uint32_t field = nodes_[n].links_at + 4 * which;
            const std::uint32_t child = o_.read32(field);
            if (child == 0) {
                o_.patch32(field, at);
                break;
            }
            n = node_at_.at(child);
        }
    }
    node_at_[at] = nodes_.size();
    nodes_.push_back({h, links_at});
}

void LibraryWriter::Image::dependency_record(const Block &b, std::uint32_t dependency_field)
{
    const std::uint32_t dep = o_.pos();
    lay_.dependencies[b.name] = dep;
    o_.patch32(dependency_field, dep);
    o_.u8(type_dependency);
    o_.name(b.name);
    o_.i16(static_cast<int>(b.options.dependencies.size()));
    o_.i32(0);
    for (const Dependency &d : b.options.dependencies) {
        o_.u8(static_cast<unsigned>(d.type));
        o_.name(d.name);
        if (combined_ != 0) {
            o_.i32(d.work_offset);
            o_.u8(static_cast<unsigned>(d.extra_names.size()));
            for (const auto &x : d.extra_names)
                o_.name(x);
        }
    }
}

// Blocks, each followed by its dependency record; the search tree is linked as they come.
void LibraryWriter::Image::blocks()
{
    for (const Block &b : w_.blocks_) {
        const std::uint32_t at = o_.pos();
        lay_.blocks[b.name] = at;
        const BlockFields f = block_record(b.name, b.options.flags);
        if (b.options.prototype && combined_ != fmt::combined_data_blocks) {
            auto it = lay_.prototypes.find(*b.options.prototype);
            if (it == lay_.prototypes.end())
                throw std::invalid_argument("tvlw: unknown prototype " + *b.options.prototype);
            o_.patch32(f.prototype, it->second);
        }
        if (b.encoded) {
            o_.append(b.plain.data(), b.plain.size());
        } else {
            const auto data = encode_record_data(b.plain, b.options.compression, b.options.chunk_size);
            o_.append(data.data(), data.size());
        }
        tree_insert(b.name, at, f.links);
        if (!b.options.dependencies.empty())
            dependency_record(b, f.dependency);
    }
}

// Index records in insertion order.
void LibraryWriter::Image::index()
{
    for (const IndexName &ix : w_.index_) {
        const std::uint32_t at = o_.pos();
        link(index_list_, fmt::entry_index, at);
        lay_.index[ix.name] = at;
        o_.u8(type_index);
        o_.name(ix.name);
        if (has_flags_)
            o_.u8(ix.hidden ? fmt::index_flag_hidden : 0);
        for (int i = 0; i < fmt::index_skipped_fields / 4; ++i)
            o_.i32(0);
        index_list_.next_field = o_.pos();
        o_.i32(0);
    }
}

std::vector<std::uint8_t> LibraryWriter::bytes(Layout *layout) const
{
    Layout local;
    Layout &lay = layout ? *layout : local;
    lay = Layout{};
    Image image(*this, lay);
    image.header();
    image.settings();
    image.tables();
    image.prototypes();
    image.blocks();
    image.index();
    return image.take();
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
