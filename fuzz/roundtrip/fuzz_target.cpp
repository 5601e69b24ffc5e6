// The writer and the reader together: entities made from the input are coded
// with the settings and codings the input chooses, written as a library,
// defined through the reader, and must come back exactly as written.
#include "fuzz_target.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../common/fuzz_input.h"
#include "tvlaccess.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

namespace {

// Group codes of each value form; 66 and 67 are left out, as they open
// complex sequences and paper space, which change what is delivered.
const int string_codes[] = {1, 2, 3, 7, 8, 1000, 1001};
const int point_codes[] = {10, 11, 12, 13, 210, 1010, 1011};
const int real_codes[] = {38, 39, 40, 41, 42, 50, 51, 1040, 1041};
const int short_codes[] = {62, 70, 71, 72, 1070};
const int long_codes[] = {90, 91, 1071};
const char *const types[] = {"LINE", "POINT", "CIRCLE", "ARC", "3DFACE", "TEXT", "ATTDEF", "LWPOLYLINE", "WIDGET"};

template <std::size_t N>
int one_of(fuzz_input &in, const int (&codes)[N])
{
    return codes[in.pick(N)];
}

double real_of(fuzz_input &in)
{
    std::uint64_t bits = 0;
    const unsigned form = in.pick(4);
    if (form == 0)
        return static_cast<double>(static_cast<int>(in.u16()) - 32768); // small integers
    if (form == 1)
        return static_cast<double>(static_cast<int>(in.u16()) - 32768) / 256; // binary fractions
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(in.byte()) << (8 * i);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return std::isfinite(v) ? v : 0.5;
}

tvlw::Entity entity_of(fuzz_input &in)
{
    tvlw::Entity e;
    e.type = types[in.pick(sizeof types / sizeof *types)];
    const unsigned groups = in.pick(12);
    for (unsigned g = 0; g < groups; ++g) {
        switch (in.pick(5)) {
        case 0: {
            std::string text(in.pick(40), 'x');
            for (char &c : text)
                c = static_cast<char>(in.byte() | 1);
            e.groups.emplace_back(one_of(in, string_codes), text);
            break;
        }
        case 1: {
            const int code = one_of(in, point_codes);
            const double x = real_of(in), y = real_of(in), z = real_of(in);
            e.groups.emplace_back(code, tvlw::Point{x, y, z});
            break;
        }
        case 2: {
            const int code = one_of(in, real_codes);
            e.groups.emplace_back(code, real_of(in));
            break;
        }
        case 3: {
            const int code = one_of(in, short_codes);
            e.groups.emplace_back(code, static_cast<int>(static_cast<std::int16_t>(in.u16())));
            break;
        }
        default: {
            const int code = one_of(in, long_codes);
            e.groups.emplace_back(code, static_cast<long>(static_cast<std::int32_t>(in.u16() | (in.u16() << 16))));
            break;
        }
        }
    }
    return e;
}

std::string bits_of(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return std::to_string(bits);
}

// One line per group, so that written and read entities compare as text.
std::string text_of(const tvlw::Entity &e)
{
    std::string out = e.type + "\n";
    for (const tvlw::Group &g : e.groups) {
        out += std::to_string(g.code) + " ";
        if (const auto *s = std::get_if<std::string>(&g.value))
            out += *s;
        else if (const auto *p = std::get_if<tvlw::Point>(&g.value))
            out += bits_of(p->x) + " " + bits_of(p->y) + " " + bits_of(p->z);
        else if (const auto *r = std::get_if<double>(&g.value))
            out += bits_of(*r);
        else if (const auto *i = std::get_if<std::int64_t>(&g.value))
            out += std::to_string(*i);
        out += "\n";
    }
    return out;
}

std::vector<std::string> delivered;
bool ended = false;

int record_entity(const resbuf *chain)
{
    if (!chain || ended)
        return RB_OK;
    const std::string type = chain->value.string ? chain->value.string : "";
    if (type == "BLOCK")
        return RB_OK;
    if (type == "ENDBLK") {
        ended = true;
        return RB_OK;
    }
    std::string out = type + "\n";
    for (const resbuf *rb = chain->next; rb; rb = rb->next) {
        out += std::to_string(rb->code) + " ";
        const int code = rb->code;
        if ((code >= 1 && code <= 9) || code == 1000 || code == 1001)
            out += rb->value.string ? rb->value.string : "";
        else if ((code >= 10 && code <= 13) || code == 210 || code == 1010 || code == 1011)
            out += bits_of(rb->value.point[0]) + " " + bits_of(rb->value.point[1]) + " " +
                   bits_of(rb->value.point[2]);
        else if ((code >= 38 && code <= 51) || code == 1040 || code == 1041)
            out += bits_of(rb->value.real);
        else if (code == 62 || (code >= 70 && code <= 72) || code == 1070)
            out += std::to_string(rb->value.int16);
        else
            out += std::to_string(rb->value.int32);
        out += "\n";
    }
    delivered.push_back(out);
    return RB_OK;
}

tvlw::Settings settings_of(fuzz_input &in, tvlw::Coding &coding)
{
    tvlw::Settings s;
    s.version = in.pick(2) ? 40 : 30;
    if (in.pick(2))
        s.ring_size = 1 + static_cast<int>(in.pick(255));
    if (in.pick(2)) {
        s.coding = static_cast<int>(in.pick(3));
        s.record_ref_width = 1 + static_cast<int>(in.pick(3));
    }
    if (in.pick(2))
        s.fraction_bits = static_cast<int>(in.pick(9));
    const unsigned switches = in.u16();
    coding.cache = switches & 1;
    coding.repeats = switches & 2;
    coding.group_templates = switches & 4;
    coding.real_ring = switches & 8;
    coding.short_reals = switches & 16;
    coding.fixed_point = switches & 32;
    coding.point_ring = switches & 64;
    coding.omit_coordinates = switches & 128;
    coding.point_templates = switches & 256;
    coding.string_ring = switches & 512;
    coding.explicit_type_names = switches & 1024;
    return s;
}

} // namespace

int roundtrip_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    fuzz_input in(data, size);
    tvlw::Coding coding;
    const tvlw::Settings settings = settings_of(in, coding);
    const auto compression = static_cast<tvlw::Compression>(in.pick(6));
    std::vector<tvlw::Entity> entities;
    std::string written;
    while (!in.empty() && entities.size() < 200) {
        entities.push_back(entity_of(in));
        written += text_of(entities.back());
    }
    tvlw::LibraryWriter writer(settings);
    writer.add_block("A", tvlw::encode_block(settings, 0, {}, "", entities, coding), {.compression = compression});
    const std::string path = fuzz_scratch_folder() + "/roundtrip.tvl";
    if (!writer.save(path))
        return 0;
    ::setenv("TEMP", fuzz_scratch_folder().c_str(), 1);

    delivered.clear();
    ended = false;
    ta_init(record_entity, nullptr, nullptr);
    bool defined;
    {
        const quiet_stdout quiet;
        defined = ta_tvldef(path.c_str(), "A");
    }
    std::string read;
    for (const std::string &e : delivered)
        read += e;
    if (!defined || read != written) {
        std::fprintf(stderr, "written:\n%s\nread (%s):\n%s\n", written.c_str(), defined ? "defined" : "failed",
                     read.c_str());
        __builtin_trap();
    }
    return 0;
}
