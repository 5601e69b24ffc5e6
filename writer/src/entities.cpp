// Entity coding with a mirror of the decoder's state.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "entity_kinds.h"
#include "tvlwriter/entities.h"

namespace tvlw {

namespace {

constexpr double empty_real = -464.0289;
constexpr int ring_type = 25;
constexpr int explicit_template = 31;

bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct PointEntry {
    std::uint8_t index[3] = {0xFF, 0, 0};
};

struct Config {
    int version = 40;
    int ring = 50;
    int r = 1;
    bool fixed = false;
    int fraction_bits = 0;
    int first_entity = 25, last_entity = 84, cache_size = 60;
    int first_point = 25, last_point = 39, point_ring = 15;
    int string_ring = 25, lowest_string = -25;
    int template_slots = 0;
};

Config make_config(const Settings &s)
{
    Config c;
    c.version = s.version;
    c.ring = s.ring_size.value_or(50);
    c.r = s.record_ref_width.value_or(1);
    c.fixed = s.fraction_bits.has_value();
    c.fraction_bits = s.fraction_bits.value_or(0);
    if (s.coding) {
        const int n = c.ring;
        c.first_entity = 1;
        c.first_point = 1;
        if (n >= 128) {
            c.last_entity = c.cache_size = 127;
            c.last_point = c.point_ring = 127;
            c.string_ring = 127;
            c.lowest_string = -127;
        } else {
            c.last_entity = c.cache_size = 2 * (n / 3);
            c.last_point = c.point_ring = n / 3;
        }
        if (c.r == 3 && c.last_entity >= 32)
            c.last_entity = c.cache_size = 31;
        else if (c.r == 2 && c.last_entity >= 64)
            c.last_entity = c.cache_size = 63;
        c.template_slots = (1 << c.r) - 2;
    }
    return c;
}

// The decoder state that values (reals, points, strings) go through.
struct Values {
    std::vector<double> reals;
    int reals_cursor = 0;
    int last_index = 0;
    std::vector<PointEntry> points;
    int point_cursor = 0;
    PointEntry previous;
    bool has_previous = false;
    std::uint8_t templates[31][3];
    int template_cursor = 0;
    std::vector<std::optional<std::string>> strings;
    int string_cursor = 0;
};

struct GroupTemplate {
    int count = 0;
    int codes[6] = {};
};

// An entity as the decoder will hand it out.
struct Normal {
    std::string type;   // decoded type name
    int number = 0;     // type number written
    bool explicit_name = false;
    std::vector<Group> groups;
};

bool same_value(const Group &a, const Group &b)
{
    if (a.code != b.code || a.value.index() != b.value.index())
        return false;
    if (auto *x = std::get_if<double>(&a.value))
        return same_bits(*x, std::get<double>(b.value));
    if (auto *p = std::get_if<Point>(&a.value)) {
        const Point &q = std::get<Point>(b.value);
        return same_bits(p->x, q.x) && same_bits(p->y, q.y) && same_bits(p->z, q.z);
    }
    if (auto *i = std::get_if<std::int64_t>(&a.value))
        return *i == std::get<std::int64_t>(b.value);
    if (auto *s = std::get_if<std::string>(&a.value))
        return *s == std::get<std::string>(b.value);
    if (auto *e = std::get_if<Ename>(&a.value)) {
        const Ename &f = std::get<Ename>(b.value);
        return e->low == f.low && e->high == f.high;
    }
    return std::get<Binary>(a.value).bytes == std::get<Binary>(b.value).bytes;
}

// Reals that a real type decodes from an integer of its stored bytes.
std::optional<double> decoded(int type, double x, const Config &cfg)
{
    double v;
    switch (type) {
    case 1:
        v = 0.0;
        break;
    case 2:
        if (!(x >= -128 && x <= 127))
            return std::nullopt;
        v = static_cast<std::int8_t>(static_cast<int>(x));
        break;
    case 3:
        if (!(x >= -32768 && x <= 32767))
            return std::nullopt;
        v = static_cast<std::int16_t>(static_cast<int>(x));
        break;
    case 4:
        if (!(x * 256 >= -32768 && x * 256 <= 32767))
            return std::nullopt;
        v = static_cast<std::int16_t>(std::lround(x * 256)) / 256.0;
        break;
    case 5:
        if (!(x * 256 >= -8388608 && x * 256 <= 8388607))
            return std::nullopt;
        v = static_cast<double>(std::lround(x * 256)) / 256.0;
        break;
    case 8:
        if (!(x >= -2147483648.0 && x <= 2147483647.0))
            return std::nullopt;
        v = static_cast<std::int32_t>(static_cast<std::int64_t>(x));
        break;
    default:
        if (type >= 9 && type <= 24 && cfg.fixed) {
            const int n = type - 9 + cfg.fraction_bits;
            const double k = std::ldexp(x, cfg.fraction_bits);
            if (!(std::fabs(k) < 16777216.0) || k != std::floor(k))
                return std::nullopt;
            const auto ki = static_cast<std::int64_t>(k);
            std::int64_t r;
            if (n == 0) {
                r = 0;
                v = 0.0;
            } else {
                r = ki > 0 ? ki : ki + (std::int64_t{1} << n);
                if (r < 0 || r >= (std::int64_t{1} << n))
                    return std::nullopt;
                const bool top = (r >> (n - 1)) & 1;
                v = static_cast<double>(top ? r : r - (std::int64_t{1} << n));
            }
            v = std::ldexp(v, -cfg.fraction_bits);
            break;
        }
        return std::nullopt;
    }
    if (!same_bits(v, x))
        return std::nullopt;
    return v;
}

// The raw class-coded bits of a fixed-point real of this type.
std::uint64_t fixed_raw(int type, double x, const Config &cfg)
{
    const int n = type - 9 + cfg.fraction_bits;
    if (n == 0)
        return 0;
    const auto k = static_cast<std::int64_t>(std::ldexp(x, cfg.fraction_bits));
    return static_cast<std::uint64_t>(k > 0 ? k : k + (std::int64_t{1} << n));
}

int fixed_type(double x, const Config &cfg)
{
    const double k = std::ldexp(x, cfg.fraction_bits);
    if (!(std::fabs(k) < 16777216.0) || k != std::floor(k))
        return -1;
    const auto ki = static_cast<std::int64_t>(k);
    int n = 0;
    if (ki > 0) {
        while ((std::int64_t{1} << n) <= ki)
            ++n;
    } else if (ki < 0) {
        const std::int64_t m = -ki - 1;
        while ((std::int64_t{1} << n) <= m)
            ++n;
        if (n == 0)
            return -1;
    }
    const int type = 9 + n - cfg.fraction_bits;
    if (type < 9 || type > 24 || !decoded(type, x, cfg))
        return -1;
    return type;
}

int stored_size(int type, const Config &cfg)
{
    switch (type) {
    case 0: return 8;
    case 1: return 0;
    case 2: return 1;
    case 3: return 2;
    case 4: return 2;
    case 5: return 3;
    case 8: return 4;
    default: return (type - 9 + cfg.fraction_bits + 7) / 8;
    }
}

// The shortest real type (not a ring reference) that gives x exactly.
int best_type(double x, const Config &cfg, const Coding &coding)
{
    int best = 0;
    int size = 8;
    if (coding.short_reals) {
        for (int t : {1, 2, 3, 4, 5, 8}) {
            if (stored_size(t, cfg) < size && decoded(t, x, cfg)) {
                best = t;
                size = stored_size(t, cfg);
            }
        }
    }
    if (coding.fixed_point && cfg.fixed) {
        const int t = fixed_type(x, cfg);
        if (t >= 0 && stored_size(t, cfg) < size)
            best = t;
    }
    return best;
}

} // namespace

Coding Coding::plain()
{
    Coding c;
    c.cache = c.repeats = c.group_templates = false;
    c.real_ring = c.short_reals = c.fixed_point = false;
    c.point_ring = c.omit_coordinates = c.point_templates = false;
    c.string_ring = false;
    return c;
}

struct BlockEncoder::State {
    Config cfg;
    Values values;
    std::vector<std::optional<Normal>> cache;
    int cache_cursor = 0;
    std::vector<GroupTemplate> group_templates;
    int group_template_cursor = 0;
};

namespace {

using Bytes = std::vector<std::uint8_t>;

// Codes values against one copy of the value state.
struct ValueCoder {
    const Config &cfg;
    const Coding &coding;
    Values &v;
    Bytes &out;

    int ring_find(double x) const
    {
        // A reference is one type byte, so only the first 231 entries can be named.
        const int named = cfg.ring < 231 ? cfg.ring : 231;
        for (int i = 0; i < named; ++i)
            if (same_bits(v.reals[static_cast<std::size_t>(i)], x))
                return i;
        return -1;
    }

    void store(double x)
    {
        v.reals[static_cast<std::size_t>(v.reals_cursor)] = x;
        v.last_index = v.reals_cursor;
        v.reals_cursor = (v.reals_cursor + 1) % static_cast<int>(v.reals.size());
    }

    // A real with its type byte; answers the type written.
    int real(double x)
    {
        if (coding.real_ring) {
            const int i = ring_find(x);
            if (i >= 0) {
                raw::byte(out, ring_type + i);
                v.last_index = i;
                return ring_type + i;
            }
        }
        const int t = best_type(x, cfg, coding);
        if (t >= 9 && t <= 24)
            raw::real(out, t, static_cast<double>(fixed_raw(t, x, cfg)), cfg.fraction_bits);
        else
            raw::real(out, t, x);
        store(x);
        return t;
    }

    // Whether a template type can carry x without a type byte.
    bool fits_template(int type, double x) const
    {
        if (type >= ring_type)
            return true;
        if (type >= 9 && type <= 24 && !cfg.fixed)
            return false;
        return decoded(type, x, cfg).has_value() || (type == 0);
    }

    void point(const double xyz[3], int count);

    void string(const std::string &s)
    {
        if (coding.string_ring) {
            for (std::size_t i = 0; i < v.strings.size(); ++i) {
                if (v.strings[i] && *v.strings[i] == s) {
                    raw::string_ref(out, cfg.lowest_string + static_cast<int>(i));
                    return;
                }
            }
        }
        raw::string(out, s);
        if (!v.strings.empty()) {
            v.strings[static_cast<std::size_t>(v.string_cursor)] = s;
            v.string_cursor = (v.string_cursor + 1) % static_cast<int>(v.strings.size());
        }
    }
};

// Which coordinates an omit value leaves out.
std::array<bool, 3> omitted_by(int omit)
{
    std::array<bool, 3> o = {false, false, omit != 0};
    if (omit == 0x20)
        o[0] = true;
    else if (omit == 0x40)
        o[1] = true;
    return o;
}

void ValueCoder::point(const double xyz[3], int count)
{
    // A recent point, repeated (its coordinates live in the reals ring, so not without one).
    if (coding.point_ring && cfg.ring > 0) {
        for (std::size_t e = 0; e < v.points.size(); ++e) {
            const PointEntry &p = v.points[e];
            if (p.index[0] == 0xFF)
                continue;
            bool same = true;
            for (int i = 0; i < count; ++i)
                same = same && same_bits(v.reals[p.index[i] % v.reals.size()], xyz[i]);
            if (same) {
                raw::byte(out, cfg.first_point + static_cast<int>(e));
                return;
            }
        }
    }

    // Otherwise the shortest of each omission and template, tried on copies.
    // Points never touch the string ring, so the copies leave it behind.
    std::vector<std::optional<std::string>> strings = std::move(v.strings);
    v.strings.clear();
    Bytes best_bytes;
    std::optional<Values> best_values;
    const int omits[] = {0, 0x60, 0x20, 0x40};
    for (int omit : omits) {
        const std::array<bool, 3> omitted = omitted_by(omit);
        if (omit != 0 &&
            (!coding.omit_coordinates || !v.has_previous || cfg.ring == 0 || (count == 2 && omit == 0x60)))
            continue;
        // An omitted coordinate must be the previous point's.
        bool omit_fits = true;
        for (int i = 0; i < count; ++i)
            if (omitted[i] && !same_bits(v.reals[v.previous.index[i] % v.reals.size()], xyz[i]))
                omit_fits = false;
        if (!omit_fits)
            continue;
        // Templates with the same types for the coordinates written give the same length.
        std::vector<std::array<int, 3>> tried;
        for (int tmpl = explicit_template; tmpl >= 0; --tmpl) {
            if (tmpl != explicit_template && !coding.point_templates)
                break;
            int types[3] = {ring_type, ring_type, ring_type};
            bool usable = true;
            if (tmpl != explicit_template) {
                std::array<int, 3> key = {ring_type, ring_type, ring_type};
                for (int i = 0; i < 3; ++i)
                    types[i] = v.templates[tmpl][i] >= ring_type ? ring_type : v.templates[tmpl][i];
                for (int i = 0; i < count; ++i) {
                    if (!omitted[i] && !fits_template(types[i], xyz[i]))
                        usable = false;
                    if (!omitted[i])
                        key[static_cast<std::size_t>(i)] = types[i];
                }
                // All ring types: as long as the explicit point, which was tried first.
                if (key == std::array<int, 3>{ring_type, ring_type, ring_type} ||
                    std::find(tried.begin(), tried.end(), key) != tried.end())
                    usable = false;
                else
                    tried.push_back(key);
            }
            if (!usable)
                continue;
            Values trial = v;
            Bytes bytes;
            ValueCoder c{cfg, coding, trial, bytes};
            const int p = tmpl == explicit_template && omit == 0 ? 0 : 0x80 | omit | tmpl;
            raw::byte(bytes, p);
            // Fixed-point coordinates of a template go first, as one bit field.
            auto is_fixed = [&](int i) {
                return tmpl != explicit_template && cfg.fixed && types[i] >= 9 && types[i] <= 24;
            };
            int bits = 0;
            std::uint64_t field[2] = {0, 0};
            for (int i = 0; i < count; ++i) {
                if (omitted[i] || !is_fixed(i))
                    continue;
                const std::uint64_t r = fixed_raw(types[i], xyz[i], cfg);
                const int n = types[i] - 9 + cfg.fraction_bits;
                for (int k = 0; k < n; ++k, ++bits)
                    if ((r >> k) & 1)
                        field[bits / 64] |= std::uint64_t{1} << (bits % 64);
            }
            for (int b = 0; b < (bits + 7) / 8; ++b)
                raw::byte(bytes, static_cast<int>(field[b / 8] >> (8 * (b % 8))));
            PointEntry current;
            int remembered[3] = {ring_type, ring_type, ring_type};
            for (int i = 0; i < count; ++i) {
                if (omitted[i])
                    continue;
                if (is_fixed(i)) {
                    c.store(xyz[i]);
                } else if (tmpl != explicit_template && types[i] != ring_type) {
                    if (types[i] >= 9 && types[i] <= 24)
                        raw::real(bytes, types[i], static_cast<double>(fixed_raw(types[i], xyz[i], cfg)),
                                  cfg.fraction_bits, false);
                    else
                        raw::real(bytes, types[i], xyz[i], cfg.fraction_bits, false);
                    c.store(xyz[i]);
                } else {
                    remembered[i] = c.real(xyz[i]);
                }
                current.index[i] = static_cast<std::uint8_t>(trial.last_index);
            }
            // Omitted coordinates read the ring after the others went into it.
            bool omit_ok = true;
            for (int i = 0; i < 3; ++i) {
                if (i < count && !omitted[i])
                    continue;
                current.index[i] = trial.has_previous ? trial.previous.index[i] : 0;
                if (i < count && !same_bits(trial.reals[current.index[i] % trial.reals.size()], xyz[i]))
                    omit_ok = false;
            }
            if (!omit_ok)
                continue;
            if (tmpl == explicit_template) {
                std::uint8_t *t = trial.templates[trial.template_cursor];
                for (int i = 0; i < 3; ++i)
                    t[i] = static_cast<std::uint8_t>(i < count && remembered[i] < ring_type ? remembered[i] : ring_type);
                trial.template_cursor = (trial.template_cursor + 1) % explicit_template;
            }
            if (!trial.points.empty()) {
                trial.points[static_cast<std::size_t>(trial.point_cursor)] = current;
                trial.point_cursor = (trial.point_cursor + 1) % static_cast<int>(trial.points.size());
            }
            trial.previous = current;
            trial.has_previous = true;
            if (!best_values || bytes.size() < best_bytes.size()) {
                best_bytes = std::move(bytes);
                best_values = std::move(trial);
            }
        }
    }
    out.insert(out.end(), best_bytes.begin(), best_bytes.end());
    v = std::move(*best_values);
    v.strings = std::move(strings);
}

Group normalize(const Group &g)
{
    const ValueForm form = value_form(g.code);
    auto as_int = [&]() -> std::int64_t {
        if (auto *i = std::get_if<std::int64_t>(&g.value))
            return *i;
        if (auto *d = std::get_if<double>(&g.value))
            return static_cast<std::int64_t>(*d);
        throw std::invalid_argument("group " + std::to_string(g.code) + " needs an integer");
    };
    switch (form) {
    case ValueForm::real:
        if (auto *i = std::get_if<std::int64_t>(&g.value))
            return Group(g.code, static_cast<double>(*i));
        if (std::get_if<double>(&g.value))
            return g;
        break;
    case ValueForm::point2:
    case ValueForm::point3:
        if (auto *p = std::get_if<Point>(&g.value)) {
            Point q = *p;
            if (form == ValueForm::point2)
                q.z = 0;
            return Group(g.code, q);
        }
        break;
    case ValueForm::short_int:
        return Group(g.code, static_cast<long long>(static_cast<std::int16_t>(as_int())));
    case ValueForm::long_int:
        return Group(g.code, static_cast<long long>(static_cast<std::int32_t>(as_int())));
    case ValueForm::string:
        if (auto *s = std::get_if<std::string>(&g.value)) {
            if (s->find('\0') != std::string::npos || s->size() > 32767)
                throw std::invalid_argument("group " + std::to_string(g.code) + ": string cannot be stored");
            return g;
        }
        break;
    case ValueForm::ename:
        if (std::get_if<Ename>(&g.value))
            return g;
        break;
    case ValueForm::binary:
        if (auto *b = std::get_if<Binary>(&g.value)) {
            if (b->bytes.empty() || b->bytes.size() > 128)
                throw std::invalid_argument("binary group of 1 to 128 bytes expected");
            return g;
        }
        break;
    case ValueForm::none:
        throw std::invalid_argument("group code " + std::to_string(g.code) + " cannot be stored");
    }
    throw std::invalid_argument("group " + std::to_string(g.code) + " has a value of the wrong kind");
}

void group_value(ValueCoder &c, const Group &g)
{
    switch (value_form(g.code)) {
    case ValueForm::real:
        c.real(std::get<double>(g.value));
        return;
    case ValueForm::point2:
    case ValueForm::point3: {
        const Point &p = std::get<Point>(g.value);
        const double xyz[3] = {p.x, p.y, p.z};
        c.point(xyz, value_form(g.code) == ValueForm::point2 ? 2 : 3);
        return;
    }
    case ValueForm::short_int: {
        const auto s = std::get<std::int64_t>(g.value);
        if (s >= 0 && s <= 254) {
            raw::byte(c.out, static_cast<int>(s));
        } else {
            raw::byte(c.out, 0xFF);
            raw::i16(c.out, static_cast<int>(s));
        }
        return;
    }
    case ValueForm::long_int:
        raw::i32(c.out, static_cast<std::int32_t>(std::get<std::int64_t>(g.value)));
        return;
    case ValueForm::string:
        c.string(std::get<std::string>(g.value));
        return;
    case ValueForm::ename: {
        const Ename &e = std::get<Ename>(g.value);
        raw::i32(c.out, e.low);
        raw::i32(c.out, e.high);
        return;
    }
    case ValueForm::binary: {
        const Binary &b = std::get<Binary>(g.value);
        raw::i16(c.out, static_cast<int>(b.bytes.size()));
        c.out.insert(c.out.end(), b.bytes.begin(), b.bytes.end());
        return;
    }
    case ValueForm::none:
        break;
    }
}

// Index of the first group with this code, or -1.
int first_of(const std::vector<Group> &groups, int code)
{
    for (std::size_t i = 0; i < groups.size(); ++i)
        if (groups[i].code == code)
            return static_cast<int>(i);
    return -1;
}

} // namespace

BlockEncoder::BlockEncoder(const Settings &settings, Coding coding)
    : coding_(coding), state_(new State)
{
    state_->cfg = make_config(settings);
    reset();
}

BlockEncoder::~BlockEncoder()
{
    delete state_;
}

BlockEncoder::BlockEncoder(BlockEncoder &&other) noexcept
    : coding_(other.coding_), out_(std::move(other.out_)), state_(other.state_), ended_(other.ended_)
{
    other.state_ = nullptr;
}

BlockEncoder &BlockEncoder::operator=(BlockEncoder &&other) noexcept
{
    if (this != &other) {
        delete state_;
        coding_ = other.coding_;
        out_ = std::move(other.out_);
        state_ = other.state_;
        ended_ = other.ended_;
        other.state_ = nullptr;
    }
    return *this;
}

void BlockEncoder::reset()
{
    State &st = *state_;
    const Config &cfg = st.cfg;
    Values &v = st.values;
    v.reals.assign(static_cast<std::size_t>(cfg.ring > 0 ? cfg.ring : 1), empty_real);
    v.reals_cursor = 0;
    v.last_index = 0;
    v.points.assign(static_cast<std::size_t>(cfg.point_ring > 0 ? cfg.point_ring : 0), PointEntry{});
    v.point_cursor = 0;
    v.previous = PointEntry{};
    v.has_previous = false;
    std::memset(v.templates, 0xFF, sizeof v.templates);
    v.template_cursor = 0;
    v.strings.assign(static_cast<std::size_t>(cfg.string_ring > 0 ? cfg.string_ring : 0), std::nullopt);
    v.string_cursor = 0;
    st.cache.assign(static_cast<std::size_t>(cfg.cache_size > 0 ? cfg.cache_size : 0), std::nullopt);
    st.cache_cursor = 0;
    st.group_templates.assign(static_cast<std::size_t>(cfg.template_slots > 0 ? cfg.template_slots : 0),
                              GroupTemplate{});
    st.group_template_cursor = 0;
}

void BlockEncoder::begin(int flags, Point base, const std::string &path, bool reset_state)
{
    if (path.size() > 127)
        throw std::invalid_argument("block path longer than 127 bytes");
    if (reset_state)
        reset();
    out_.clear();
    ended_ = false;
    raw::byte(out_, flags);
    ValueCoder c{state_->cfg, coding_, state_->values, out_};
    const double xyz[3] = {base.x, base.y, base.z};
    c.point(xyz, 3);
    raw::byte(out_, static_cast<int>(path.size()));
    out_.insert(out_.end(), path.begin(), path.end());
}

void BlockEncoder::add(const Entity &e)
{
    State &st = *state_;
    const Config &cfg = st.cfg;
    Normal n;
    const int explicit_number = cfg.version < 40 ? 25 : 254;
    n.number = entity_type_number(e.type);
    n.explicit_name = coding_.explicit_type_names || n.number == 254 || n.number == explicit_number;
    if (n.explicit_name) {
        if (e.type.find('\0') != std::string::npos || e.type.size() > 32767)
            throw std::invalid_argument("entity type name cannot be stored");
        n.number = explicit_number;
        n.type = e.type;
    } else {
        n.type = entity_type_name(n.number);
    }
    for (const Group &g : e.groups) {
        if (g.code == 0)
            throw std::invalid_argument("group 0 is the entity type");
        n.groups.push_back(normalize(g));
    }
    const bool endblk = !n.explicit_name && n.number == 13;
    ended_ = endblk;

    auto same_entity = [&](const Normal &c) {
        if (c.type != n.type || c.groups.size() != n.groups.size())
            return false;
        for (std::size_t i = 0; i < c.groups.size(); ++i)
            if (!same_value(c.groups[i], n.groups[i]))
                return false;
        return true;
    };
    auto cache_code = [&](std::size_t slot) { return cfg.first_entity + static_cast<int>(slot); };

    // The block's end is always stored in full, so it is found without the cache.
    if (!endblk && coding_.repeats) {
        for (std::size_t i = 0; i < st.cache.size(); ++i) {
            if (st.cache[i] && same_entity(*st.cache[i])) {
                const int t = cache_code(i);
                raw::byte(out_, -t);
                return;
            }
        }
    }

    struct Candidate {
        Bytes bytes;
        Values values;
        bool learn = false;          // a reference without template: its codes become a template
        std::vector<int> codes;
    };
    std::optional<Candidate> best;
    auto consider = [&](Candidate &&c) {
        if (!best || c.bytes.size() < best->bytes.size())
            best = std::move(c);
    };

    {   // complete entity
        Candidate c{{}, st.values, false, {}};
        ValueCoder vc{cfg, coding_, c.values, c.bytes};
        raw::byte(c.bytes, 0);
        raw::group_code(c.bytes, n.number, coding_.wide_codes);
        if (n.explicit_name)
            vc.string(n.type);
        for (const Group &g : n.groups) {
            raw::group_code(c.bytes, g.code, coding_.wide_codes);
            group_value(vc, g);
        }
        raw::byte(c.bytes, 0);
        consider(std::move(c));
    }

    if (!endblk && coding_.cache) {
        // The cached entity that needs the fewest replaced groups.
        int best_slot = -1;
        std::vector<int> best_diff;
        for (std::size_t i = 0; i < st.cache.size(); ++i) {
            if (!st.cache[i])
                continue;
            const Normal &c = *st.cache[i];
            if (c.type != n.type || c.groups.size() != n.groups.size())
                continue;
            bool ok = true;
            std::vector<int> diff;
            for (std::size_t g = 0; g < c.groups.size() && ok; ++g) {
                if (c.groups[g].code != n.groups[g].code)
                    ok = false;
                else if (!same_value(c.groups[g], n.groups[g])) {
                    // Only the first group of a code can be replaced.
                    if (first_of(c.groups, c.groups[g].code) != static_cast<int>(g))
                        ok = false;
                    else
                        diff.push_back(static_cast<int>(g));
                }
            }
            if (ok && (best_slot < 0 || diff.size() < best_diff.size())) {
                best_slot = static_cast<int>(i);
                best_diff = diff;
            }
        }
        const int bits = cfg.r == 2 ? 6 : cfg.r == 3 ? 5 : 7;
        if (best_slot >= 0 && cache_code(static_cast<std::size_t>(best_slot)) < (1 << bits)) {
            const int t = cache_code(static_cast<std::size_t>(best_slot));
            {   // replaced groups with their codes
                Candidate c{{}, st.values, cfg.r != 1, {}};
                ValueCoder vc{cfg, coding_, c.values, c.bytes};
                raw::byte(c.bytes, t);
                for (int g : best_diff) {
                    raw::group_code(c.bytes, n.groups[static_cast<std::size_t>(g)].code, coding_.wide_codes);
                    group_value(vc, n.groups[static_cast<std::size_t>(g)]);
                    c.codes.push_back(n.groups[static_cast<std::size_t>(g)].code);
                }
                raw::byte(c.bytes, 0);
                consider(std::move(c));
            }
            if (coding_.group_templates && cfg.r != 1) {
                for (std::size_t s = 0; s < st.group_templates.size(); ++s) {
                    const GroupTemplate &gt = st.group_templates[s];
                    bool ok = true;
                    for (int k = 0; k < gt.count && ok; ++k)
                        ok = first_of(n.groups, gt.codes[k]) >= 0;
                    for (int g : best_diff) {
                        bool in = false;
                        for (int k = 0; k < gt.count; ++k)
                            in = in || gt.codes[k] == n.groups[static_cast<std::size_t>(g)].code;
                        ok = ok && in;
                    }
                    if (!ok)
                        continue;
                    Candidate c{{}, st.values, false, {}};
                    ValueCoder vc{cfg, coding_, c.values, c.bytes};
                    raw::byte(c.bytes, ((static_cast<int>(s) + 1) << bits) | t);
                    for (int k = 0; k < gt.count; ++k)
                        group_value(vc, n.groups[static_cast<std::size_t>(first_of(n.groups, gt.codes[k]))]);
                    consider(std::move(c));
                }
            }
        }
    }

    out_.insert(out_.end(), best->bytes.begin(), best->bytes.end());
    st.values = std::move(best->values);
    if (best->learn && best->codes.size() <= 6 && !st.group_templates.empty()) {
        GroupTemplate &gt = st.group_templates[static_cast<std::size_t>(st.group_template_cursor)];
        gt.count = static_cast<int>(best->codes.size());
        std::copy(best->codes.begin(), best->codes.end(), gt.codes);
        st.group_template_cursor = (st.group_template_cursor + 1) % static_cast<int>(st.group_templates.size());
    }
    if (!st.cache.empty()) {
        st.cache[static_cast<std::size_t>(st.cache_cursor)] = std::move(n);
        st.cache_cursor = (st.cache_cursor + 1) % static_cast<int>(st.cache.size());
    }
}

std::vector<std::uint8_t> BlockEncoder::finish()
{
    if (!ended_)
        add(Entity{"ENDBLK", {}});
    return out_;
}

std::vector<std::uint8_t> encode_block(const Settings &settings, int flags, Point base,
                                       const std::string &path,
                                       const std::vector<Entity> &entities, Coding coding)
{
    BlockEncoder enc(settings, coding);
    enc.begin(flags, base, path);
    for (const Entity &e : entities)
        enc.add(e);
    return enc.finish();
}

} // namespace tvlw
