#include "dxf/dxf_drawing.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace dxf {

const pair *record::find(int code) const
{
    for (const pair &p : groups)
        if (p.code == code)
            return &p;
    return nullptr;
}

double parse_real(const std::string &file, const pair &p)
{
    const char *s = p.value.c_str();
    while (*s == ' ' || *s == '\t')
        ++s;
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(s, &end);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == s || *end != '\0')
        throw dxf_error(file, p.line, "group " + std::to_string(p.code) + ": a number expected, found \"" +
                                          p.value.substr(0, 40) + "\"");
    return v;
}

namespace {

// Walks the pairs of one section.
class section {
public:
    section(pair_reader &r, std::string name, long start) : r_(r), name_(std::move(name)), start_(start) {}

    // The next pair of the section; false after its ENDSEC.
    bool next(pair &p)
    {
        if (!r_.next(p))
            r_.fail(start_, "section " + name_ + " has no ENDSEC (truncated drawing?)");
        if (p.code != 0)
            return true;
        if (p.value == "ENDSEC")
            return false;
        if (p.value == "SECTION")
            r_.fail(p.line, "SECTION inside section " + name_ + " of line " + std::to_string(start_) +
                                " (missing ENDSEC)");
        if (p.value == "EOF")
            r_.fail(p.line, "EOF inside section " + name_ + " of line " + std::to_string(start_) +
                                " (missing ENDSEC)");
        return true;
    }

    // The records of the section: group 0 starts each one.
    bool next_record(record &rec)
    {
        pair p;
        if (have_) {
            p = pending_;
            have_ = false;
        } else if (!next(p)) {
            return false;
        }
        if (p.code != 0)
            r_.fail(p.line, "group 0 expected in section " + name_ + ", found group " + std::to_string(p.code));
        rec.type = p.value;
        rec.line = p.line;
        rec.groups.clear();
        while (next(p)) {
            if (p.code == 0) {
                pending_ = p;
                have_ = true;
                return true;
            }
            if (p.code != 999)
                rec.groups.push_back(std::move(p));
        }
        ended_ = true;
        return true;
    }

    bool ended() const { return ended_; }
    pair_reader &reader() { return r_; }

private:
    pair_reader &r_;
    std::string name_;
    long start_;
    pair pending_;
    bool have_ = false;
    bool ended_ = false;
};

// Header variables: group 9 names one, the groups after it give its value.
struct header_reader {
    drawing &d;
    std::string variable;

    void take(const pair &p)
    {
        if (p.code == 9)
            variable = p.value;
        else if (variable == "$ACADVER" && p.code == 1)
            d.version = p.value;
        else if (variable == "$INSBASE" && (p.code == 10 || p.code == 20 || p.code == 30))
            d.base[p.code / 10 - 1] = parse_real(d.file, p);
    }
};

// Reads records until the section ends; `take` sees each.
template <class F>
void each_record(section &s, F take)
{
    record rec;
    while (!s.ended() && s.next_record(rec))
        take(rec);
}

void read_tables(section &s, drawing &d)
{
    std::string table;
    each_record(s, [&](record &rec) {
        if (rec.type == "TABLE") {
            const pair *name = rec.find(2);
            table = name ? name->value : "";
        } else if (rec.type == "ENDTAB") {
            table.clear();
        } else if (table == "LAYER" && rec.type == "LAYER") {
            d.layers.push_back(std::move(rec));
        } else if (table == "LTYPE" && rec.type == "LTYPE") {
            d.linetypes.push_back(std::move(rec));
        } else if (table == "STYLE" && rec.type == "STYLE") {
            d.styles.push_back(std::move(rec));
        }
    });
}

void read_blocks(section &s, drawing &d)
{
    bool open = false;
    each_record(s, [&](record &rec) {
        if (rec.type == "BLOCK") {
            if (open)
                s.reader().fail(rec.line, "BLOCK inside the block of line " +
                                              std::to_string(d.blocks.back().header.line) + " (missing ENDBLK)");
            d.blocks.push_back({std::move(rec), {}});
            open = true;
        } else if (rec.type == "ENDBLK") {
            if (!open)
                s.reader().fail(rec.line, "ENDBLK without a BLOCK");
            open = false;
        } else {
            if (!open)
                s.reader().fail(rec.line, rec.type + " outside a block in section BLOCKS");
            d.blocks.back().entities.push_back(std::move(rec));
        }
    });
    if (open)
        s.reader().fail(d.blocks.back().header.line, "BLOCK without ENDBLK");
}

void read_entities(section &s, drawing &d)
{
    each_record(s, [&](record &rec) { d.entities.push_back(std::move(rec)); });
}

} // namespace

drawing read_drawing(const std::string &file)
{
    drawing d;
    d.file = file;
    std::error_code ec;
    if (std::filesystem::file_size(file, ec) > max_drawing_bytes && !ec)
        throw dxf_error(file, 0, "larger than " + std::to_string(max_drawing_bytes >> 20) +
                                     " MB; a symbol holds far less");
    pair_reader r(file);
    header_reader header{d, {}};
    pair p;
    bool any = false;
    bool stray = false; // header variables seen after the header's ENDSEC
    while (r.next(p)) {
        if (p.code == 999)
            continue;
        if (p.code != 0) {
            if (!any)
                r.fail(p.line, "not a DXF drawing (it does not start with a section)");
            // Some writers end the header early and go on with its variables.
            header.take(p);
            stray = true;
            continue;
        }
        if (p.value == "EOF")
            return d;
        if (p.value == "ENDSEC" && stray) { // ... and end it once more
            stray = false;
            continue;
        }
        if (p.value != "SECTION")
            r.fail(p.line, "\"0 SECTION\" or \"0 EOF\" expected, found \"0 " + p.value.substr(0, 40) + "\"");
        any = true;
        stray = false;
        const long start = p.line;
        pair name;
        if (!r.next(name) || name.code != 2)
            r.fail(start, "section without a name");
        section s(r, name.value, start);
        if (name.value == "HEADER")
            while (s.next(p))
                header.take(p);
        else if (name.value == "TABLES")
            read_tables(s, d);
        else if (name.value == "BLOCKS")
            read_blocks(s, d);
        else if (name.value == "ENTITIES")
            read_entities(s, d);
        else
            while (s.next(p)) {
            }
    }
    r.fail(any ? r.line() : 0, any ? "the drawing ends without \"0 EOF\" (truncated drawing?)"
                                   : "an empty file, not a DXF drawing");
}

} // namespace dxf
