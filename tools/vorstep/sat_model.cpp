#include "sat_model.h"

#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <set>

namespace {

enum class base { other, body, lump, shell, face, loop, coedge, edge, vertex, point, curve, pcurve, surface, transform };

std::string last_part(const std::string &name)
{
    std::size_t d = name.rfind('-');
    return d == std::string::npos ? name : name.substr(d + 1);
}

std::string first_part(const std::string &name)
{
    std::size_t d = name.find('-');
    return d == std::string::npos ? name : name.substr(0, d);
}

base base_of(const std::string &name)
{
    static const std::map<std::string, base> bases = {
        {"body", base::body},     {"lump", base::lump},     {"shell", base::shell},
        {"face", base::face},     {"loop", base::loop},     {"coedge", base::coedge},
        {"edge", base::edge},     {"vertex", base::vertex}, {"point", base::point},
        {"curve", base::curve},   {"pcurve", base::pcurve},   {"surface", base::surface},
        {"transform", base::transform}};
    auto it = bases.find(last_part(name));
    return it == bases.end() ? base::other : it->second;
}

bool is_pointer(const std::string &t) { return t.size() > 1 && t[0] == '$'; }

// The record a pointer field names: -1 for $-1 and anything out of range;
// false when the field is no well-formed pointer.
bool pointer_value(const std::string &t, std::size_t record_count, int &index)
{
    index = -1;
    if (!is_pointer(t))
        return false;
    char *end = nullptr;
    long v = std::strtol(t.c_str() + 1, &end, 10);
    if (*end != '\0')
        return false;
    if (v >= 0 && static_cast<std::size_t>(v) < record_count)
        index = static_cast<int>(v);
    return true;
}

bool is_integer(const std::string &t)
{
    if (t.empty())
        return false;
    std::size_t i = (t[0] == '-') ? 1 : 0;
    if (i == t.size())
        return false;
    for (; i < t.size(); ++i)
        if (t[i] < '0' || t[i] > '9')
            return false;
    return true;
}

bool to_number(const std::string &t, double &out)
{
    if (t.empty())
        return false;
    char *end = nullptr;
    out = std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size() && std::isfinite(out);
}

// How the common entity fields in front of each record's own data look in
// this file: the attribute pointer, then (from 6.0) an integer id, then (from
// 7.0) one more pointer.  Read off the body record, which has a fixed shape.
struct header_shape {
    int integers = 0;
    bool extra_pointer = false;
};

header_shape header_of(const sat_text &text)
{
    header_shape h;
    for (const auto &r : text.records) {
        if (base_of(r.name) != base::body)
            continue;
        std::size_t i = 1;
        while (i < r.tokens.size() && !is_pointer(r.tokens[i]) && is_integer(r.tokens[i]) && h.integers < 2) {
            ++h.integers;
            ++i;
        }
        int pointers = 0;
        for (const auto &t : r.tokens)
            pointers += is_pointer(t) ? 1 : 0;
        h.extra_pointer = pointers >= 5;
        return h;
    }
    h.integers = text.version >= 600 ? 1 : 0;
    h.extra_pointer = text.version >= 700;
    return h;
}

// Reads one record's fields in order; any malformed field makes it bad.
class field_reader {
public:
    field_reader(const sat_record &r, const header_shape &h, std::size_t record_count)
        : r_(r), count_(record_count)
    {
        pointer(); // attribute
        for (int k = 0; k < h.integers && pos_ < r_.tokens.size() && is_integer(r_.tokens[pos_]); ++k)
            ++pos_;
        if (h.extra_pointer && pos_ < r_.tokens.size() && is_pointer(r_.tokens[pos_]))
            ++pos_;
    }

    bool bad() const { return bad_; }
    bool next_is_pointer() const { return pos_ < r_.tokens.size() && is_pointer(r_.tokens[pos_]); }
    bool next_is_number() const
    {
        double d;
        return pos_ < r_.tokens.size() && to_number(r_.tokens[pos_], d);
    }

    // A record index, or -1 for the null pointer $-1 (or an index out of range).
    int pointer()
    {
        if (!next_is_pointer()) {
            bad_ = true;
            return -1;
        }
        int index = -1;
        if (!pointer_value(r_.tokens[pos_++], count_, index))
            bad_ = true;
        return index;
    }

    double number()
    {
        double d = 0.0;
        if (pos_ >= r_.tokens.size() || !to_number(r_.tokens[pos_], d)) {
            bad_ = true;
            return 0.0;
        }
        ++pos_;
        return d;
    }

    v3 vector()
    {
        v3 p;
        p.x = number();
        p.y = number();
        p.z = number();
        return p;
    }

    // Every field from here on.
    std::vector<std::string> rest()
    {
        std::vector<std::string> out(r_.tokens.begin() + static_cast<long>(std::min(pos_, r_.tokens.size())), r_.tokens.end());
        pos_ = r_.tokens.size();
        return out;
    }

    std::string word()
    {
        if (pos_ >= r_.tokens.size()) {
            bad_ = true;
            return {};
        }
        return r_.tokens[pos_++];
    }

    // One end of a parameter interval: "I" (unbounded), "F value" or a bare value.
    void interval_end()
    {
        if (pos_ >= r_.tokens.size()) {
            bad_ = true;
            return;
        }
        const std::string &t = r_.tokens[pos_];
        if (t == "I") {
            ++pos_;
        } else if (t == "F") {
            ++pos_;
            number();
        } else {
            number();
        }
    }

private:
    const sat_record &r_;
    std::size_t count_;
    std::size_t pos_ = 0;
    bool bad_ = false;
};

// Beyond this a coordinate or length is no real geometry, and sizes built
// from it (the model's extent, chord counts) overflow.
constexpr double max_magnitude = 1e100;

bool sane(double d) { return std::fabs(d) <= max_magnitude; } // false for NaN too
bool sane(v3 p) { return sane(p.x) && sane(p.y) && sane(p.z); }
// A radius so small that tolerances derived from it underflow.
bool sane_length(double d) { return sane(d) && (d == 0.0 || std::fabs(d) >= 1.0 / max_magnitude); }

bool reversed_word(const std::string &w) { return w == "reversed" || w == "1" || w == "reverse"; }

struct transform {
    double a[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    v3 t;
    double scale = 1.0;

    v3 point(v3 p) const { return direction(p) * scale + t; }
    v3 direction(v3 d) const
    {
        return {d.x * a[0][0] + d.y * a[1][0] + d.z * a[2][0], d.x * a[0][1] + d.y * a[1][1] + d.z * a[2][1],
                d.x * a[0][2] + d.y * a[1][2] + d.z * a[2][2]};
    }
    v3 unit(v3 d) const
    {
        v3 r = direction(d);
        normalize(r);
        return r;
    }
    double determinant() const
    {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    }
};

class builder {
public:
    builder(const sat_text &text, sat_model &model, std::vector<std::string> &warnings)
        : text_(text), model_(model), warnings_(warnings), shape_(header_of(text))
    {
    }

    bool run()
    {
        int first_body = -1;
        for (std::size_t i = 0; i < text_.records.size() && first_body < 0; ++i)
            if (base_of(text_.records[i].name) == base::body)
                first_body = static_cast<int>(i);
        // Each face moves with the body that owns it; a face whose owner
        // cannot be traced moves with the first body.
        std::map<int, transform> transforms;
        for (std::size_t i = 0; i < text_.records.size(); ++i) {
            if (base_of(text_.records[i].name) != base::face)
                continue;
            int b = owner_body(static_cast<int>(i));
            if (b < 0)
                b = first_body;
            auto found = transforms.find(b);
            if (found == transforms.end())
                found = transforms.emplace(b, body_transform(b)).first;
            xf_ = found->second;
            body_ = b;
            mirrored_ = xf_.determinant() * xf_.scale < 0.0;
            model_.mirrored = model_.mirrored || mirrored_;
            face(static_cast<int>(i));
        }
        return !model_.faces.empty();
    }

private:
    const sat_record &rec(int i) const { return text_.records[static_cast<std::size_t>(i)]; }
    bool is(int i, base b) const { return i >= 0 && base_of(rec(i).name) == b; }
    field_reader reader(int i) const { return field_reader(rec(i), shape_, text_.records.size()); }

    void warn(const std::string &w)
    {
        for (const auto &x : warnings_)
            if (x == w)
                return;
        warnings_.push_back(w);
    }

    // The first record of kind `b` that record i points at, -1 for none.  The
    // links between body, lump, shell and face shift place between versions
    // (the oldest shells have no wire, newer bodies carry one more integer),
    // but each points at exactly one record of the kind asked for.
    int linked(int i, base b) const
    {
        const auto &tokens = rec(i).tokens;
        for (std::size_t k = 1; k < tokens.size(); ++k) {
            int index = -1;
            if (pointer_value(tokens[k], text_.records.size(), index) && is(index, b))
                return index;
        }
        return -1;
    }

    // The body of a face: face -> shell -> lump -> body; -1 when a link is broken.
    int owner_body(int face_record)
    {
        int shell = linked(face_record, base::shell);
        int lump = shell < 0 ? -1 : linked(shell, base::lump);
        return lump < 0 ? -1 : linked(lump, base::body);
    }

    transform body_transform(int body)
    {
        transform x;
        if (!is(body, base::body))
            return x;
        int t = linked(body, base::transform);
        if (t < 0)
            return x;
        // Transforms carry at most one integer before the matrix, whatever
        // the other records carry.
        const sat_record &r = rec(t);
        header_shape h = shape_;
        h.integers = std::min(h.integers, 1);
        field_reader g(r, h, text_.records.size());
        for (auto &row : x.a)
            for (double &v : row)
                v = g.number();
        x.t = g.vector();
        x.scale = g.number();
        if (!g.bad() && std::fabs(x.determinant()) > 1e-12 && x.scale != 0.0)
            return x;
        warn("transform record " + std::to_string(t) + " is malformed; ignored");
        return transform{};
    }

    int vertex(int i)
    {
        auto found = vertices_.find({body_, i});
        if (found != vertices_.end())
            return found->second;
        int result = -1;
        if (is(i, base::vertex)) {
            field_reader f = reader(i);
            f.pointer(); // one of its edges
            if (!f.next_is_pointer() && f.next_is_number())
                f.number(); // from 21.2 on, an integer before the point
            int p = f.pointer();
            if (!f.bad() && is(p, base::point)) {
                field_reader g = reader(p);
                v3 xyz = xf_.point(g.vector());
                if (!g.bad() && !sane(xyz))
                    warn("point record " + std::to_string(p) + " is out of range; skipped");
                else if (!g.bad()) {
                    model_.vertices.push_back(xyz);
                    result = static_cast<int>(model_.vertices.size()) - 1;
                }
            }
        }
        vertices_[{body_, i}] = result;
        return result;
    }

    int curve(int i)
    {
        if (i < 0)
            return -1;
        auto found = curves_.find({body_, i});
        if (found != curves_.end())
            return found->second;
        sat_curve c;
        c.name = rec(i).name;
        std::string kind = first_part(c.name);
        field_reader f = reader(i);
        if (!is(i, base::curve)) {
            c.kind = curve_kind::unsupported;
        } else if (kind == "straight") {
            c.kind = curve_kind::straight;
            c.origin = xf_.point(f.vector());
            c.direction = xf_.unit(f.vector());
        } else if (kind == "ellipse") {
            c.kind = curve_kind::ellipse;
            c.origin = xf_.point(f.vector());
            // A reflection turns the sense of rotation round the normal.
            c.direction = xf_.unit(f.vector()) * (mirrored_ ? -1.0 : 1.0);
            c.major = xf_.direction(f.vector()) * xf_.scale;
            c.ratio = f.number();
            if (!(length(c.major) > 0.0) || !(c.ratio > 0.0))
                c.kind = curve_kind::unsupported;
        } else if (kind == "intcurve") {
            intcurve(f, c);
        } else {
            c.kind = curve_kind::unsupported;
        }
        if (f.bad() && c.kind != curve_kind::unsupported) {
            warn("curve record " + std::to_string(i) + " (" + c.name + ") is malformed");
            c.kind = curve_kind::unsupported;
        } else if (c.kind != curve_kind::unsupported && !curve_in_range(c)) {
            warn("curve record " + std::to_string(i) + " (" + c.name + ") is out of range");
            c.kind = curve_kind::unsupported;
            c.why = "out of range";
        }
        model_.curves.push_back(c);
        int index = static_cast<int>(model_.curves.size()) - 1;
        curves_[{body_, i}] = index;
        return index;
    }

    int surface(int i)
    {
        auto found = surfaces_.find({body_, i});
        if (found != surfaces_.end())
            return found->second;
        sat_surface s;
        s.name = rec(i).name;
        std::string kind = first_part(s.name);
        field_reader f = reader(i);
        if (kind == "plane") {
            s.kind = surface_kind::plane;
            s.origin = xf_.point(f.vector());
            s.axis = xf_.unit(f.vector());
            if (f.next_is_number())
                s.reference = xf_.unit(f.vector());
        } else if (kind == "cone") {
            s.kind = surface_kind::cone;
            s.origin = xf_.point(f.vector());
            s.axis = xf_.unit(f.vector());
            s.reference = xf_.direction(f.vector()) * xf_.scale;
            s.ratio = f.number();
            f.interval_end();
            f.interval_end();
            s.sine = f.number();
            s.cosine = f.number();
            if (!(length(s.reference) > 0.0) || !(s.ratio > 0.0) || std::fabs(s.cosine) < 1e-12)
                s.kind = surface_kind::unsupported;
        } else if (kind == "sphere") {
            s.kind = surface_kind::sphere;
            s.origin = xf_.point(f.vector());
            s.radius = f.number() * std::fabs(xf_.scale);
            s.reference = xf_.unit(f.vector());
            s.axis = xf_.unit(f.vector());
            if (s.radius == 0.0)
                s.kind = surface_kind::unsupported;
        } else if (kind == "torus") {
            s.kind = surface_kind::torus;
            s.origin = xf_.point(f.vector());
            s.axis = xf_.unit(f.vector());
            s.radius = f.number() * std::fabs(xf_.scale);
            s.minor = f.number() * std::fabs(xf_.scale);
            // A negative ring inside the tube leaves only the inner spindle,
            // which no face of ours lies on.
            if (s.minor == 0.0 || (s.radius < 0.0 && -s.radius <= std::fabs(s.minor)))
                s.kind = surface_kind::unsupported;
        } else if (kind == "spline") {
            spline_surface(f, s);
        } else {
            s.kind = surface_kind::unsupported;
        }
        if (f.bad() && s.kind != surface_kind::unsupported) {
            warn("surface record " + std::to_string(i) + " (" + s.name + ") is malformed");
            s.kind = surface_kind::unsupported;
        } else if (s.kind != surface_kind::unsupported && !surface_in_range(s)) {
            warn("surface record " + std::to_string(i) + " (" + s.name + ") is out of range");
            s.kind = surface_kind::unsupported;
        }
        model_.surfaces.push_back(s);
        int index = static_cast<int>(model_.surfaces.size()) - 1;
        surfaces_[{body_, i}] = index;
        return index;
    }

    static bool curve_in_range(const sat_curve &c)
    {
        if (!sane(c.origin) || !sane(c.direction) || !sane(c.major) || !sane_length(length(c.major)) ||
            !sane(c.ratio) || !sane_length(length(c.major) * c.ratio))
            return false;
        for (v3 p : c.spline.controls)
            if (!sane(p))
                return false;
        return true;
    }

    static bool surface_in_range(const sat_surface &s)
    {
        for (v3 p : s.spline.controls)
            if (!sane(p))
                return false;
        if (!sane(s.origin) || !sane(s.axis) || !sane(s.reference) || !sane_length(s.radius) ||
            !sane_length(s.minor) || !sane(s.ratio) || !sane_length(length(s.reference)) ||
            !sane_length(length(s.reference) * s.ratio))
            return false;
        // A cone's half-angle comes as its sine and cosine.
        double h = std::hypot(s.sine, s.cosine);
        return s.kind != surface_kind::cone || (h > 0.5 && h < 2.0);
    }

    // The data block "{ kind ... }" of a spline record: its words, and where
    // the block's kind stands; false when there is no block.
    static bool data_block(const std::vector<std::string> &rest, std::size_t &kind_at)
    {
        for (kind_at = 0; kind_at < rest.size(); ++kind_at)
            if (rest[kind_at] == "{")
                break;
        ++kind_at;
        return kind_at < rest.size();
    }

    // Where the B-spline data of a block of this kind begins: a few words
    // ("full" and the like) may stand between the kind and the data.
    static std::size_t net_start(const std::vector<std::string> &rest, std::size_t kind_at)
    {
        std::size_t net = kind_at + 1;
        while (net < rest.size() && net < kind_at + 4 && rest[net] != "nubs" && rest[net] != "nurbs")
            ++net;
        return net;
    }

    // A spline surface: only one that carries its whole control net
    // ("exactsur") can be meshed; procedural ones are named and skipped.
    void spline_surface(field_reader &f, sat_surface &s)
    {
        s.kind = surface_kind::unsupported;
        bool reversed = reversed_word(f.word());
        std::vector<std::string> rest = f.rest();
        std::size_t k = 0;
        if (!data_block(rest, k)) {
            s.why = "no surface data";
            return;
        }
        if (rest[k] != "exactsur") {
            s.why = rest[k] + " data without a control net";
            return;
        }
        std::string why;
        if (!parse_spline_surface(rest, net_start(rest, k), s.spline, why)) {
            s.why = why;
            return;
        }
        for (v3 &p : s.spline.controls)
            p = xf_.point(p);
        s.kind = surface_kind::spline;
        // A reflection turns S_u x S_v round against the moved surface.
        s.against = reversed != mirrored_;
    }

    // A coedge's curve in its face's parameter plane: its own data ("exppc")
    // or, once removed, that of the pcurve record it refers to; -1 for none.
    int pcurve(int i, int depth = 0)
    {
        if (!is(i, base::pcurve))
            return -1;
        auto found = pcurves_.find({body_, i});
        if (found != pcurves_.end())
            return found->second;
        int result = -1;
        field_reader f = reader(i);
        std::vector<std::string> rest = f.rest();
        std::size_t k = 0;
        if (data_block(rest, k) && rest[k] == "exppc") {
            bspline_curve c;
            std::string why;
            if (parse_bspline(rest, net_start(rest, k), c, why, 2)) {
                model_.pcurves.push_back(std::move(c));
                result = static_cast<int>(model_.pcurves.size()) - 1;
            }
        } else if (depth == 0) {
            for (const auto &t : rest) {
                int other = -1;
                if (pointer_value(t, text_.records.size(), other) && other != i && is(other, base::pcurve)) {
                    result = pcurve(other, depth + 1);
                    break;
                }
            }
        }
        pcurves_[{body_, i}] = result;
        return result;
    }

    // An intersection (or other procedural) curve: its approximating B-spline.
    void intcurve(field_reader &f, sat_curve &c)
    {
        c.kind = curve_kind::unsupported;
        bool reversed = reversed_word(f.word());
        std::vector<std::string> rest = f.rest();
        std::size_t depth = 0, k = 0;
        for (; k < rest.size(); ++k) {
            if (rest[k] == "{")
                ++depth;
            else if (rest[k] == "}") {
                if (depth <= 1)
                    break;
                --depth;
            } else if (depth >= 1 && (rest[k] == "nubs" || rest[k] == "nurbs" || rest[k] == "nullbs" || rest[k] == "ref"))
                break;
        }
        if (k >= rest.size() || rest[k] == "}" || rest[k] == "nullbs" || rest[k] == "ref") {
            c.why = "no approximating B-spline";
            return;
        }
        std::string why;
        if (!parse_bspline(rest, k, c.spline, why)) {
            c.why = why;
            return;
        }
        for (v3 &p : c.spline.controls)
            p = xf_.point(p);
        c.kind = curve_kind::bspline;
        c.spline_reversed = reversed;
    }

    int edge(int i)
    {
        auto found = edges_.find({body_, i});
        if (found != edges_.end())
            return found->second;
        int result = -1;
        if (is(i, base::edge)) {
            field_reader f = reader(i);
            int v0 = f.pointer();
            if (f.next_is_number())
                f.number(); // start parameter
            int v1 = f.pointer();
            if (f.next_is_number())
                f.number(); // end parameter
            std::vector<int> pointers;
            while (f.next_is_pointer())
                pointers.push_back(f.pointer());
            int c = pointers.empty() ? -1 : pointers.back();
            bool reversed = reversed_word(f.word());
            sat_edge e;
            e.start = vertex(v0);
            e.end = vertex(v1);
            e.curve = curve(c);
            e.reversed = reversed;
            if (!f.bad() && e.start >= 0 && e.end >= 0) {
                model_.edges.push_back(e);
                result = static_cast<int>(model_.edges.size()) - 1;
            }
        }
        edges_[{body_, i}] = result;
        return result;
    }

    // The coedges of one loop in order; false when the ring is broken.
    bool loop(int i, std::vector<sat_coedge> &out)
    {
        field_reader f = reader(i);
        f.pointer(); // next loop
        int first = f.pointer();
        if (f.bad() || !is(first, base::coedge))
            return false;
        int c = first;
        // A ring that closes on some coedge other than the first would
        // otherwise be walked round until the guard runs out.
        std::set<int> seen;
        for (std::size_t guard = 0; guard <= text_.records.size(); ++guard) {
            if (!seen.insert(c).second)
                return false;
            field_reader g = reader(c);
            int next = g.pointer();
            g.pointer(); // previous
            g.pointer(); // partner
            int e = g.pointer();
            bool reversed = reversed_word(g.word());
            g.pointer(); // loop
            int pc = g.next_is_pointer() ? g.pointer() : -1;
            int edge_index = g.bad() ? -1 : edge(e);
            if (edge_index < 0)
                return false;
            out.push_back({edge_index, reversed, pcurve(pc)});
            if (next == first)
                return true;
            if (!is(next, base::coedge))
                return false;
            c = next;
        }
        return false;
    }

    void face(int i)
    {
        field_reader f = reader(i);
        f.pointer(); // next face
        int first_loop = f.pointer();
        f.pointer(); // shell
        f.pointer(); // subshell
        int surf = f.pointer();
        bool reversed = reversed_word(f.word());
        if (f.bad() || !is(surf, base::surface)) {
            warn("face record " + std::to_string(i) + " is malformed; skipped");
            return;
        }
        sat_face out;
        out.surface = surface(surf);
        out.reversed = reversed;
        int l = first_loop;
        std::set<int> seen_loops; // a chain of loops that runs back on itself ends there
        for (std::size_t guard = 0; is(l, base::loop) && guard <= text_.records.size(); ++guard) {
            if (!seen_loops.insert(l).second)
                break;
            std::vector<sat_coedge> coedges;
            if (!loop(l, coedges)) {
                warn("face record " + std::to_string(i) + " has a broken loop; skipped");
                return;
            }
            if (mirrored_) {
                // Reflected, the loop would run with the face on its right.
                std::reverse(coedges.begin(), coedges.end());
                for (auto &ce : coedges)
                    ce.reversed = !ce.reversed;
            }
            out.loops.push_back(std::move(coedges));
            field_reader g = reader(l);
            l = g.pointer();
        }
        model_.faces.push_back(std::move(out));
    }

    const sat_text &text_;
    sat_model &model_;
    std::vector<std::string> &warnings_;
    header_shape shape_;
    transform xf_;
    int body_ = -1;
    bool mirrored_ = false; // the current body's transform reflects
    // Keyed by (body, record): the same record may move with more than one body.
    std::map<std::pair<int, int>, int> vertices_, curves_, surfaces_, edges_, pcurves_;
};

} // namespace

bool sat_build_model(const sat_text &text, sat_model &model, std::vector<std::string> &warnings)
{
    model = sat_model{};
    return builder(text, model, warnings).run();
}
