// Reals, points and strings: each value in the shortest form the decoder's
// state allows, with that state updated as the decoder will update it.
#include "value_coder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

namespace fmt = tvl_format;

namespace tvlw {

bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

namespace {

constexpr int ring_type = fmt::real_ring;
constexpr int explicit_template = fmt::explicit_point_template;

bool is_fixed_type(int type)
{
    return type >= fmt::first_fixed_type && type <= fmt::last_fixed_type;
}

// The value a real type decodes from the integer of its stored bytes that stands
// for x; none when the type cannot give x exactly.
std::optional<double> decoded(int type, double x, const Config &cfg)
{
    double v;
    switch (type) {
    case fmt::real_zero:
        v = 0.0;
        break;
    case fmt::real_int8:
        if (!(x >= -128 && x <= 127))
            return std::nullopt;
        v = static_cast<std::int8_t>(static_cast<int>(x));
        break;
    case fmt::real_int16:
        if (!(x >= -32768 && x <= 32767))
            return std::nullopt;
        v = static_cast<std::int16_t>(static_cast<int>(x));
        break;
    case fmt::real_fixed16:
        if (!(x * 256 >= -32768 && x * 256 <= 32767))
            return std::nullopt;
        v = static_cast<std::int16_t>(std::lround(x * 256)) / 256.0;
        break;
    case fmt::real_fixed24:
        if (!(x * 256 >= -8388608 && x * 256 <= 8388607))
            return std::nullopt;
        v = static_cast<double>(std::lround(x * 256)) / 256.0;
        break;
    case fmt::real_int32:
        if (!(x >= -2147483648.0 && x <= 2147483647.0))
            return std::nullopt;
        v = static_cast<std::int32_t>(static_cast<std::int64_t>(x));
        break;
    default:
        if (is_fixed_type(type) && cfg.fixed) {
            const int n = type - fmt::first_fixed_type + cfg.fraction_bits;
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
    const int n = type - fmt::first_fixed_type + cfg.fraction_bits;
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
    const int type = fmt::first_fixed_type + n - cfg.fraction_bits;
    if (!is_fixed_type(type) || !decoded(type, x, cfg))
        return -1;
    return type;
}

int stored_size(int type, const Config &cfg)
{
    switch (type) {
    case fmt::real_double: return 8;
    case fmt::real_zero: return 0;
    case fmt::real_int8: return 1;
    case fmt::real_int16: return 2;
    case fmt::real_fixed16: return 2;
    case fmt::real_fixed24: return 3;
    case fmt::real_int32: return 4;
    default: return (type - fmt::first_fixed_type + cfg.fraction_bits + 7) / 8;
    }
}

// The shortest real type (not a ring reference) that gives x exactly.
int best_type(double x, const Config &cfg, const Coding &coding)
{
    int best = fmt::real_double;
    int size = stored_size(best, cfg);
    if (coding.short_reals) {
        for (int t : {fmt::real_zero, fmt::real_int8, fmt::real_int16, fmt::real_fixed16, fmt::real_fixed24,
                      fmt::real_int32}) {
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

// Writes x as a real of this type (its stored bytes; the type byte when asked).
void write_real(Bytes &out, int type, double x, const Config &cfg, bool with_type)
{
    if (is_fixed_type(type))
        raw::real(out, type, static_cast<double>(fixed_raw(type, x, cfg)), cfg.fraction_bits, with_type);
    else
        raw::real(out, type, x, cfg.fraction_bits, with_type);
}

// The ring entry holding x among those a one-byte type can name, or -1.
int ring_find(const Values &v, const Config &cfg, double x)
{
    // A reference is one type byte, so only the first 231 entries can be named.
    constexpr int nameable = 256 - ring_type;
    const int named = cfg.ring < nameable ? cfg.ring : nameable;
    for (int i = 0; i < named; ++i)
        if (same_bits(v.reals[static_cast<std::size_t>(i)], x))
            return i;
    return -1;
}

// Whether a template type can carry x without a type byte.
bool fits_template(int type, double x, const Config &cfg)
{
    if (type >= ring_type)
        return true;
    if (is_fixed_type(type) && !cfg.fixed)
        return false;
    return decoded(type, x, cfg).has_value() || (type == fmt::real_double);
}

// Which coordinates an omit value leaves out.
std::array<bool, 3> omitted_by(int omit)
{
    std::array<bool, 3> o = {false, false, omit != 0};
    if (omit == fmt::point_omit_x)
        o[0] = true;
    else if (omit == fmt::point_omit_y)
        o[1] = true;
    return o;
}

// The point-ring entry repeating the point, or -1.
int ring_point(const Values &v, const double xyz[3], int count)
{
    for (std::size_t e = 0; e < v.points.size(); ++e) {
        const PointEntry &p = v.points[e];
        if (p.index[0] == 0xFF)
            continue;
        bool same = true;
        for (int i = 0; i < count; ++i)
            same = same && same_bits(v.reals[p.index[i] % v.reals.size()], xyz[i]);
        if (same)
            return static_cast<int>(e);
    }
    return -1;
}

struct PointTrial {
    Bytes bytes;
    Values values;
};

// The point written with this omission and template (explicit_template: every
// coordinate with its type byte) into t, which starts from a copy of the state;
// false when the omitted coordinates do not come out as the previous point's.
bool point_trial(const ValueCoder &base, const double xyz[3], int count, int omit, int tmpl, const int types[3],
                 PointTrial &t)
{
    const Config &cfg = base.cfg;
    const std::array<bool, 3> omitted = omitted_by(omit);
    Values &trial = t.values;
    Bytes &bytes = t.bytes;
    ValueCoder c{cfg, base.coding, trial, bytes};
    const int p = tmpl == explicit_template && omit == 0 ? 0 : fmt::point_flag | omit | tmpl;
    raw::byte(bytes, p);
    // Fixed-point coordinates of a template go first, as one bit field.
    auto is_fixed = [&](int i) { return tmpl != explicit_template && cfg.fixed && is_fixed_type(types[i]); };
    int bits = 0;
    std::uint64_t field[2] = {0, 0};
    for (int i = 0; i < count; ++i) {
        if (omitted[i] || !is_fixed(i))
            continue;
        const std::uint64_t r = fixed_raw(types[i], xyz[i], cfg);
        const int n = types[i] - fmt::first_fixed_type + cfg.fraction_bits;
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
            write_real(bytes, types[i], xyz[i], cfg, false);
            c.store(xyz[i]);
        } else {
            remembered[i] = c.real(xyz[i]);
        }
        current.index[i] = static_cast<std::uint8_t>(trial.last_index);
    }
    // Omitted coordinates read the ring after the others went into it.
    for (int i = 0; i < 3; ++i) {
        if (i < count && !omitted[i])
            continue;
        current.index[i] = trial.has_previous ? trial.previous.index[i] : 0;
        if (i < count && !same_bits(trial.reals[current.index[i] % trial.reals.size()], xyz[i]))
            return false;
    }
    if (tmpl == explicit_template) {
        std::uint8_t *slot = trial.templates[trial.template_cursor];
        for (int i = 0; i < 3; ++i)
            slot[i] = static_cast<std::uint8_t>(i < count && remembered[i] < ring_type ? remembered[i] : ring_type);
        trial.template_cursor = (trial.template_cursor + 1) % explicit_template;
    }
    if (!trial.points.empty()) {
        trial.points[static_cast<std::size_t>(trial.point_cursor)] = current;
        trial.point_cursor = (trial.point_cursor + 1) % static_cast<int>(trial.points.size());
    }
    trial.previous = current;
    trial.has_previous = true;
    return true;
}

} // namespace

void ValueCoder::store(double x)
{
    v.reals[static_cast<std::size_t>(v.reals_cursor)] = x;
    v.last_index = v.reals_cursor;
    v.reals_cursor = (v.reals_cursor + 1) % static_cast<int>(v.reals.size());
}

int ValueCoder::real(double x)
{
    if (coding.real_ring) {
        const int i = ring_find(v, cfg, x);
        if (i >= 0) {
            raw::byte(out, ring_type + i);
            v.last_index = i;
            return ring_type + i;
        }
    }
    const int t = best_type(x, cfg, coding);
    write_real(out, t, x, cfg, true);
    store(x);
    return t;
}

void ValueCoder::point(const double xyz[3], int count)
{
    // A recent point, repeated (its coordinates live in the reals ring, so not without one).
    if (coding.point_ring && cfg.ring > 0) {
        const int e = ring_point(v, xyz, count);
        if (e >= 0) {
            raw::byte(out, cfg.ranges.first_point_code + e);
            return;
        }
    }

    // Otherwise the shortest of each omission and template, tried on copies.
    // Points never touch the string ring, so the copies leave it behind.
    std::vector<std::optional<std::string>> strings = std::move(v.strings);
    v.strings.clear();
    std::optional<PointTrial> best;
    for (int omit : {0, fmt::point_omit_z, fmt::point_omit_x, fmt::point_omit_y}) {
        const std::array<bool, 3> omitted = omitted_by(omit);
        if (omit != 0 && (!coding.omit_coordinates || !v.has_previous || cfg.ring == 0 ||
                          (count == 2 && omit == fmt::point_omit_z)))
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
            if (tmpl != explicit_template) {
                bool usable = true;
                std::array<int, 3> key = {ring_type, ring_type, ring_type};
                for (int i = 0; i < 3; ++i)
                    types[i] = v.templates[tmpl][i] >= ring_type ? ring_type : v.templates[tmpl][i];
                for (int i = 0; i < count; ++i) {
                    if (!omitted[i] && !fits_template(types[i], xyz[i], cfg))
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
                if (!usable)
                    continue;
            }
            PointTrial t{{}, v};
            if (point_trial(*this, xyz, count, omit, tmpl, types, t) &&
                (!best || t.bytes.size() < best->bytes.size()))
                best = std::move(t);
        }
    }
    out.insert(out.end(), best->bytes.begin(), best->bytes.end());
    v = std::move(best->values);
    v.strings = std::move(strings);
}

void ValueCoder::string(const std::string &s)
{
    if (coding.string_ring) {
        for (std::size_t i = 0; i < v.strings.size(); ++i) {
            if (v.strings[i] && *v.strings[i] == s) {
                raw::string_ref(out, cfg.ranges.lowest_string_code + static_cast<int>(i));
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

void reset_values(Values &v, const Config &cfg)
{
    const fmt::coding_ranges &r = cfg.ranges;
    v.reals.assign(static_cast<std::size_t>(cfg.ring > 0 ? cfg.ring : 1), fmt::empty_real);
    v.reals_cursor = 0;
    v.last_index = 0;
    v.points.assign(static_cast<std::size_t>(r.point_ring_size > 0 ? r.point_ring_size : 0), PointEntry{});
    v.point_cursor = 0;
    v.previous = PointEntry{};
    v.has_previous = false;
    std::memset(v.templates, 0xFF, sizeof v.templates);
    v.template_cursor = 0;
    v.strings.assign(static_cast<std::size_t>(r.string_ring_size > 0 ? r.string_ring_size : 0), std::nullopt);
    v.string_cursor = 0;
}

} // namespace tvlw
