// Reals and points of the entity coding: typed reals, the reals ring, the point
// ring and point templates.
#include <cmath>
#include <cstring>

#include "decoder_state.h"
#include "entity_decoder.h"
#include "messages.h"
#include "settings.h"
#include "tvl_format/byte_order.h"
#include "tvl_format/messages.h"
#include "tvl_format/value_coding.h"

namespace fmt = tvl_format;

namespace {

using fmt::first_fixed_type;
using fmt::last_fixed_type;
constexpr int ring_type = fmt::real_ring;
constexpr int explicit_template = fmt::explicit_point_template;

// An n-bit class-coded integer: values with the top bit set stand for
// themselves, the others for r - 2^n.
double class_coded(std::uint32_t r, int n)
{
    if (n == 0)
        return 0.0;
    const std::int64_t bits = r & ((std::uint64_t{1} << n) - 1);
    if (bits & (std::int64_t{1} << (n - 1)))
        return static_cast<double>(bits);
    return static_cast<double>(bits - (std::int64_t{1} << n));
}

double fraction_divisor()
{
    return std::ldexp(1.0, lib_current_settings().fraction_bits);
}

void store_real(decoder_state &st, double v)
{
    const int size = static_cast<int>(st.reals.size());
    st.reals[static_cast<std::size_t>(st.reals_cursor)] = v;
    st.last_real_index = st.reals_cursor;
    st.reals_cursor = (st.reals_cursor + 1) % size;
}

bool type_is_fixed(int type)
{
    return type >= first_fixed_type && type <= last_fixed_type && lib_current_settings().fixed_point;
}

int fixed_bits(int type)
{
    return type - first_fixed_type + lib_current_settings().fraction_bits;
}

bool point_error()
{
    msg_console(fmt::msg_bad_point);
    return false;
}

} // namespace

bool real_read(std::FILE *work, int type, double &value)
{
    decoder_state &st = decoder();
    if (type < 0) {
        const int c = std::fgetc(work);
        if (c == EOF) {
            report_read_error();
            return false;
        }
        type = c;
    }
    if (type >= ring_type && type < ring_type + st.ring_size) {
        st.last_real_index = type - ring_type;
        value = st.reals[static_cast<std::size_t>(st.last_real_index)];
        return true;
    }
    unsigned char b[8];
    switch (type) {
    case fmt::real_double:
        if (!read_bytes(work, b, 8))
            return false;
        value = fmt::le_f64(b);
        break;
    case fmt::real_zero:
        value = 0.0;
        break;
    case fmt::real_int8:
        if (!read_bytes(work, b, 1))
            return false;
        value = static_cast<std::int8_t>(b[0]);
        break;
    case fmt::real_int16:
    case fmt::real_fixed16:
        if (!read_bytes(work, b, 2))
            return false;
        value = fmt::le_i16(b);
        if (type == fmt::real_fixed16)
            value /= 256.0;
        break;
    case fmt::real_fixed24:
        if (!read_bytes(work, b, 3))
            return false;
        value = fmt::le_i24(b) / 256.0;
        break;
    case fmt::real_int32:
        if (!read_bytes(work, b, 4))
            return false;
        value = fmt::le_i32(b);
        break;
    default:
        if (!type_is_fixed(type)) {
            msg_console(fmt::msg_bad_real_type, type);
            return false;
        }
        const int n = fixed_bits(type);
        const int bytes = (n + 7) / 8;
        if (!read_bytes(work, b, static_cast<std::size_t>(bytes)))
            return false;
        value = class_coded(fmt::le_uint(b, bytes), n) / fraction_divisor();
        break;
    }
    store_real(st, value);
    return true;
}

bool point_read(std::FILE *work, int count, double xyz[3])
{
    decoder_state &st = decoder();
    const lib_settings &cfg = lib_current_settings();
    const int c = std::fgetc(work);
    if (c == EOF) {
        report_read_error();
        return false;
    }
    const int ring = static_cast<int>(st.points.size());
    if (c >= cfg.first_point_code && c <= cfg.last_point_code && c - cfg.first_point_code < ring) {
        const point_entry &e = st.points[static_cast<std::size_t>(c - cfg.first_point_code)];
        // Without a reals ring no entry can give its coordinates back.
        if (e.index[0] == 0xFF || st.ring_size == 0)
            return point_error();
        for (int i = 0; i < count; ++i)
            xyz[i] = st.reals[e.index[i] % st.reals.size()];
        return true;
    }
    if (c != 0 && !(c & fmt::point_flag))
        return point_error();
    const int omit = c & fmt::point_omit_mask;
    const int tmpl = c == 0 ? explicit_template : (c & fmt::point_template_mask);
    bool omitted[3] = {false, false, omit != 0};
    if (omit == fmt::point_omit_x)
        omitted[0] = true;
    else if (omit == fmt::point_omit_y)
        omitted[1] = true;
    // Omitted coordinates come from the point before; the first point after a
    // reset has none to give, and without a reals ring no point does.
    for (int i = 0; i < count; ++i) {
        if (omitted[i] && (!st.has_previous || st.ring_size == 0))
            return point_error();
    }

    int types[3] = {ring_type, ring_type, ring_type};
    if (tmpl != explicit_template)
        for (int i = 0; i < 3; ++i)
            types[i] = st.point_templates[tmpl][i] >= ring_type ? ring_type : st.point_templates[tmpl][i];

    // Fixed-point coordinates of a template share one bit field, least
    // significant bit first, in coordinate order (at most 3 x 23 bits).
    if (tmpl != explicit_template && cfg.fixed_point) {
        int sum = 0;
        for (int i = 0; i < count; ++i) {
            if (!omitted[i] && type_is_fixed(types[i])) {
                sum += fixed_bits(types[i]);
                xyz[i] = 0.0; // a field of no bits
            }
        }
        if (sum != 0) {
            unsigned char b[9] = {};
            if (!read_bytes(work, b, static_cast<std::size_t>((sum + 7) / 8)))
                return false;
            int shift = 0;
            for (int i = 0; i < count; ++i) {
                if (omitted[i] || !type_is_fixed(types[i]))
                    continue;
                const int n = fixed_bits(types[i]);
                std::uint32_t r = 0;
                for (int k = 0; k < n; ++k) {
                    const int bit = shift + k;
                    r |= static_cast<std::uint32_t>((b[bit / 8] >> (bit % 8)) & 1) << k;
                }
                shift += n;
                xyz[i] = class_coded(r, n) / fraction_divisor();
            }
        }
    }

    point_entry current;
    int remembered[3] = {ring_type, ring_type, ring_type};
    for (int i = 0; i < count; ++i) {
        if (omitted[i])
            continue;
        if (tmpl != explicit_template && type_is_fixed(types[i])) {
            store_real(st, xyz[i]);
        } else if (tmpl != explicit_template && types[i] != ring_type) {
            if (!real_read(work, types[i], xyz[i]))
                return false;
        } else {
            int type_byte = std::fgetc(work);
            if (type_byte == EOF) {
                report_read_error();
                return false;
            }
            if (!real_read(work, type_byte, xyz[i]))
                return false;
            remembered[i] = type_byte;
        }
        current.index[i] = static_cast<std::uint8_t>(st.last_real_index);
    }
    for (int i = 0; i < 3; ++i) {
        if (i < count && !omitted[i])
            continue;
        // Omitted coordinates, and z of a flat point, follow the point before.
        current.index[i] = st.has_previous ? st.previous.index[i] : 0;
        if (i < count)
            xyz[i] = st.reals[current.index[i] % st.reals.size()];
    }

    if (tmpl == explicit_template) {
        std::uint8_t *t = st.point_templates[st.point_template_cursor];
        for (int i = 0; i < 3; ++i)
            t[i] = static_cast<std::uint8_t>(i < count && remembered[i] < ring_type ? remembered[i] : ring_type);
        st.point_template_cursor = (st.point_template_cursor + 1) % explicit_template;
    }
    if (ring > 0) {
        st.points[static_cast<std::size_t>(st.point_cursor)] = current;
        st.point_cursor = (st.point_cursor + 1) % ring;
    }
    st.previous = current;
    st.has_previous = true;
    return true;
}
