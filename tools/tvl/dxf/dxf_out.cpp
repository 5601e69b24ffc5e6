#include "dxf/dxf_out.h"

#include <cctype>
#include <cmath>
#include <charconv>
#include <cstdio>
#include <map>
#include <set>

namespace dxf {

bool r12_entity(const std::string &type)
{
    static const std::set<std::string> known = {"LINE",   "POINT",  "CIRCLE",   "ARC",    "TRACE",  "SOLID",
                                                "TEXT",   "SHAPE",  "BLOCK",    "ENDBLK", "INSERT", "ATTDEF",
                                                "ATTRIB", "POLYLINE", "VERTEX", "SEQEND", "3DLINE", "3DFACE",
                                                "DIMENSION", "VIEWPORT"};
    return known.count(type) > 0;
}

bool needs_r2000(const definition &d)
{
    for (const definition::block &b : d.blocks)
        for (const chain &e : b.entities)
            if (!r12_entity(e.type()) || e.find(100))
                return true;
    return false;
}

std::string real_text(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, r.ptr);
    if (s.find_first_of(".eEn") == std::string::npos) // "inf" and "nan" hold an 'n'
        s += ".0";
    return s;
}

namespace {

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool positive_zero(double v)
{
    return v == 0.0 && !std::signbit(v);
}

// Line ends inside a value would break the pairs: DXF writes them as "^J" and
// "^M".  Everything else, carets included, is written as stored.
std::string one_line(const std::string &s)
{
    if (s.find_first_of("\r\n") == std::string::npos)
        return s;
    std::string out;
    for (char c : s) {
        if (c == '\n' || c == '\r')
            out += std::string("^") + static_cast<char>(c + 64);
        else
            out += c;
    }
    return out;
}

class dxf_text {
public:
    explicit dxf_text(dxf_version v) : version_(v) {}

    void pair(int code, const std::string &value)
    {
        char head[16];
        std::snprintf(head, sizeof head, "%3d\n", code);
        out_ += head;
        out_ += value;
        out_ += '\n';
    }
    void real(int code, double v) { pair(code, real_text(v)); }
    void integer(int code, long long v) { pair(code, std::to_string(v)); }
    void point(int code, const double *xyz, bool always_z)
    {
        real(code, xyz[0]);
        real(code + 10, xyz[1]);
        if (always_z || !positive_zero(xyz[2]))
            real(code + 20, xyz[2]);
    }
    std::string handle() { return hex(next_handle_++); }
    std::string hex(unsigned long h) const
    {
        char buf[24];
        std::snprintf(buf, sizeof buf, "%lX", h);
        return buf;
    }
    // Group 5 and the owner for R2000; nothing for R12.
    void owned(const std::string &owner)
    {
        if (version_ == dxf_version::r2000) {
            pair(5, handle());
            pair(330, owner);
        }
    }
    bool modern() const { return version_ == dxf_version::r2000; }
    std::string &text() { return out_; }
    unsigned long next_handle() const { return next_handle_; }

private:
    dxf_version version_;
    std::string out_;
    unsigned long next_handle_ = 0x20;
};

// Groups as delivered, leaving out references to objects the drawing will not
// hold, and in R12 the subclass markers of the entity types that R12 knows.
void write_groups(dxf_text &t, const chain &c)
{
    const bool markers = t.modern() || !r12_entity(c.type());
    for (std::size_t i = 1; i < c.groups.size(); ++i) {
        const value_group &g = c.groups[i];
        if (g.code == 5 || g.code == 105 || g.code == 102 || g.kind == value_group::reference ||
            (g.code == 100 && !markers))
            continue;
        switch (g.kind) {
        case value_group::real:
            t.real(g.code, g.xyz[0]);
            break;
        case value_group::point:
            t.point(g.code, g.xyz, false);
            break;
        case value_group::integer:
            t.integer(g.code, g.number);
            break;
        case value_group::string:
            t.pair(g.code, one_line(g.text));
            break;
        case value_group::binary: {
            std::string h;
            char b[4];
            for (unsigned char ch : g.text) {
                std::snprintf(b, sizeof b, "%02X", ch);
                h += b;
            }
            t.pair(g.code, h);
            break;
        }
        case value_group::reference:
            break;
        }
    }
}

// Names that entities use through a group, by upper-case name.
void used_names(const definition &d, int code, std::map<std::string, std::string> &names)
{
    for (const definition::block &b : d.blocks)
        for (const chain &e : b.entities)
            for (const value_group &g : e.groups)
                if (g.code == code && g.kind == value_group::string && !g.text.empty())
                    names.emplace(upper(g.text), g.text);
}

struct table_writer {
    dxf_text &t;
    std::string handle;

    table_writer(dxf_text &text, const char *name, std::size_t count) : t(text)
    {
        t.pair(0, "TABLE");
        t.pair(2, name);
        if (t.modern()) {
            handle = t.handle();
            t.pair(5, handle);
            t.pair(330, "0");
            t.pair(100, "AcDbSymbolTable");
        }
        t.integer(70, static_cast<long long>(count));
    }
    void record(const char *type, const char *subclass, const std::string &name, int flags)
    {
        t.pair(0, type);
        t.owned(handle);
        if (t.modern()) {
            t.pair(100, "AcDbSymbolTableRecord");
            t.pair(100, subclass);
        }
        t.pair(2, name);
        t.integer(70, flags);
    }
    ~table_writer() { t.pair(0, "ENDTAB"); }
};

// The delivered line types; R2000 drawings also hold BYBLOCK and BYLAYER.
void write_linetypes(dxf_text &t, const definition &d)
{
    std::set<std::string> have;
    for (const chain &c : d.linetypes)
        have.insert(upper(c.text(2)));
    std::vector<std::string> added;
    if (t.modern())
        for (const char *n : {"BYBLOCK", "BYLAYER"})
            if (!have.count(n))
                added.push_back(n);
    table_writer tw(t, "LTYPE", d.linetypes.size() + added.size());
    auto one = [&](const std::string &name, const std::vector<double> &elements) {
        tw.record("LTYPE", "AcDbLinetypeTableRecord", name, 0);
        t.pair(3, "");
        t.integer(72, 65);
        t.integer(73, static_cast<long long>(elements.size()));
        double total = 0;
        for (double e : elements)
            total += std::fabs(e);
        t.real(40, total);
        for (double e : elements) {
            t.real(49, e);
            if (t.modern())
                t.integer(74, 0);
        }
    };
    for (const std::string &n : added)
        one(n, {});
    for (const chain &c : d.linetypes) {
        std::vector<double> elements;
        for (const value_group &g : c.groups)
            if (g.code == 49 && g.kind == value_group::real)
                elements.push_back(g.xyz[0]);
        one(c.text(2), elements);
    }
}

long long number_of(const chain &c, int code, long long fallback)
{
    const value_group *g = c.find(code);
    return g && g->kind == value_group::integer ? g->number : fallback;
}

double real_of(const chain &c, int code, double fallback)
{
    const value_group *g = c.find(code);
    return g && g->kind == value_group::real ? g->xyz[0] : fallback;
}

void write_layers(dxf_text &t, const definition &d)
{
    table_writer tw(t, "LAYER", d.layers.size());
    for (const chain &c : d.layers) {
        tw.record("LAYER", "AcDbLayerTableRecord", c.text(2), static_cast<int>(number_of(c, 70, 0)));
        t.integer(62, number_of(c, 62, 7));
        t.pair(6, c.text(6, "CONTINUOUS"));
    }
}

void write_styles(dxf_text &t, const definition &d)
{
    table_writer tw(t, "STYLE", d.styles.size());
    for (const chain &c : d.styles) {
        tw.record("STYLE", "AcDbTextStyleTableRecord", c.text(2), static_cast<int>(number_of(c, 70, 0)));
        t.real(40, real_of(c, 40, 0));
        t.real(41, real_of(c, 41, 1));
        t.real(50, real_of(c, 50, 0));
        t.integer(71, number_of(c, 71, 0));
        t.real(42, real_of(c, 40, 0) > 0 ? real_of(c, 40, 0) : 2.5);
        t.pair(3, c.text(3));
        t.pair(4, c.text(4));
    }
}

void write_entities(dxf_text &t, const std::vector<chain> &entities, const std::string &owner)
{
    for (const chain &e : entities) {
        t.pair(0, e.type());
        t.owned(owner);
        write_groups(t, e);
    }
}

} // namespace

std::string write_dxf(const definition &d, dxf_version version)
{
    dxf_text t(version);
    const definition::block *symbol = d.blocks.empty() ? nullptr : &d.blocks.back();
    const std::size_t nested = d.blocks.empty() ? 0 : d.blocks.size() - 1;

    // Application names of extended data must be registered.
    std::map<std::string, std::string> apps;
    used_names(d, 1001, apps);

    // Handles of the block records (R2000), given before the tables that hold them.
    std::vector<std::string> block_names{"*Model_Space", "*Paper_Space"};
    for (std::size_t i = 0; i < nested; ++i)
        block_names.push_back(d.blocks[i].header.text(2));

    t.pair(0, "SECTION");
    t.pair(2, "HEADER");
    t.pair(9, "$ACADVER");
    t.pair(1, version == dxf_version::r12 ? "AC1009" : "AC1015");
    t.pair(9, "$INSBASE");
    const value_group *base = symbol ? symbol->header.find(10) : nullptr;
    const double origin[3] = {0, 0, 0};
    t.point(10, base && base->kind == value_group::point ? base->xyz : origin, true);
    std::size_t seed_at = 0;
    if (t.modern()) {
        t.pair(9, "$HANDSEED");
        seed_at = t.text().size();
        t.pair(5, "FFFFFFFF"); // patched at the end
    }
    t.pair(0, "ENDSEC");
    if (t.modern()) {
        t.pair(0, "SECTION");
        t.pair(2, "CLASSES");
        t.pair(0, "ENDSEC");
    }

    t.pair(0, "SECTION");
    t.pair(2, "TABLES");
    if (t.modern()) {
        table_writer vport(t, "VPORT", 0);
    }
    write_linetypes(t, d);
    write_layers(t, d);
    write_styles(t, d);
    if (t.modern()) {
        { table_writer view(t, "VIEW", 0); }
        { table_writer ucs(t, "UCS", 0); }
    }
    {
        std::map<std::string, std::string> app_names = apps;
        app_names.emplace("ACAD", "ACAD");
        table_writer tw(t, "APPID", app_names.size());
        for (const auto &[key, spelled] : app_names) {
            tw.record("APPID", "AcDbRegAppTableRecord", spelled, 0);
        }
    }
    if (t.modern()) {
        { table_writer dim(t, "DIMSTYLE", 0); }
    }
    std::vector<std::string> record_handles;
    if (t.modern()) {
        table_writer tw(t, "BLOCK_RECORD", block_names.size());
        for (const std::string &name : block_names) {
            t.pair(0, "BLOCK_RECORD");
            record_handles.push_back(t.handle());
            t.pair(5, record_handles.back());
            t.pair(330, tw.handle);
            t.pair(100, "AcDbSymbolTableRecord");
            t.pair(100, "AcDbBlockTableRecord");
            t.pair(2, name);
        }
    }
    t.pair(0, "ENDSEC");

    t.pair(0, "SECTION");
    t.pair(2, "BLOCKS");
    auto block = [&](std::size_t record, const std::string &name, int flags, const double *at,
                     const std::string &path, const std::vector<chain> *entities) {
        const std::string owner = t.modern() ? record_handles[record] : "";
        // BLOCK and ENDBLK: on layer 0, with their markers in R2000.
        auto head = [&](const char *type, const char *subclass) {
            t.pair(0, type);
            t.owned(owner);
            if (t.modern())
                t.pair(100, "AcDbEntity");
            t.pair(8, "0");
            if (t.modern())
                t.pair(100, subclass);
        };
        head("BLOCK", "AcDbBlockBegin");
        t.pair(2, name);
        t.integer(70, flags);
        t.point(10, at, true);
        t.pair(3, name);
        t.pair(1, path);
        if (entities)
            write_entities(t, *entities, owner);
        head("ENDBLK", "AcDbBlockEnd");
    };
    if (t.modern()) {
        block(0, "*Model_Space", 0, origin, "", nullptr);
        block(1, "*Paper_Space", 0, origin, "", nullptr);
    }
    for (std::size_t i = 0; i < nested; ++i) {
        const chain &h = d.blocks[i].header;
        const value_group *at = h.find(10);
        block(i + 2, h.text(2), static_cast<int>(number_of(h, 70, 0)),
              at && at->kind == value_group::point ? at->xyz : origin, h.text(1), &d.blocks[i].entities);
    }
    t.pair(0, "ENDSEC");

    t.pair(0, "SECTION");
    t.pair(2, "ENTITIES");
    if (symbol)
        write_entities(t, symbol->entities, t.modern() ? record_handles[0] : "");
    t.pair(0, "ENDSEC");
    if (t.modern()) {
        t.pair(0, "SECTION");
        t.pair(2, "OBJECTS");
        t.pair(0, "DICTIONARY");
        t.pair(5, t.handle());
        t.pair(330, "0");
        t.pair(100, "AcDbDictionary");
        t.integer(281, 1);
        t.pair(0, "ENDSEC");
    }
    t.pair(0, "EOF");
    if (t.modern()) {
        std::string seed = t.hex(t.next_handle());
        std::string &s = t.text();
        const std::string field = "  5\nFFFFFFFF\n";
        s.replace(seed_at, field.size(), "  5\n" + seed + "\n");
    }
    return std::move(t.text());
}

} // namespace dxf
