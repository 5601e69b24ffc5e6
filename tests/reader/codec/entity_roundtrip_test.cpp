#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "codec_test_util.h"
#include "resbuf.h"
#include "writer/entity_encoder.h"

namespace {

using tvlw::Entity;
using tvlw::Point;

// A symbol with the repetition real blocks have: polylines, repeated circles,
// texts on few layers, and values the short real forms can carry.
std::vector<Entity> sample_entities()
{
    std::vector<Entity> out;
    out.push_back({"LINE", {{8, "0"}, {10, Point{0, 0, 0}}, {11, Point{1, 2, 3}}}});
    out.push_back({"LINE", {{8, "0"}, {10, Point{1, 2, 3}}, {11, Point{1.5, -2.25, 3}}}});
    out.push_back({"POLYLINE", {{8, "WALL"}, {66, 1}, {70, 8}}});
    for (int i = 0; i < 12; ++i)
        out.push_back({"VERTEX", {{8, "WALL"}, {10, Point{i * 0.5, std::sin(i) * 10, 0.0625 * i}}, {70, 32}}});
    out.push_back({"SEQEND", {{8, "WALL"}}});
    for (int i = 0; i < 5; ++i)
        out.push_back({"CIRCLE", {{8, "HOLES"}, {10, Point{double(i), 4, 0}}, {40, 0.25}, {62, 3}}});
    out.push_back({"CIRCLE", {{8, "HOLES"}, {10, Point{4, 4, 0}}, {40, 0.25}, {62, 3}}});
    out.push_back({"TEXT", {{8, "NOTE"}, {10, Point{100000.125, -7e-3, 1e300}}, {40, 2.5}, {1, "Door"},
                            {50, 1.5707963267948966}, {72, 300}}});
    out.push_back({"MYSTERY", {{8, "0"}, {1000, "extended"}, {1071, 123456789},
                               {1004, tvlw::Binary{{1, 2, 3, 0, 255}}}, {330, tvlw::Ename{7, -1}}}});
    out.push_back({"3DFACE", {{8, "0"}, {10, Point{0, 0, 0}}, {11, Point{1, 0, 0}}, {12, Point{1, 1, 0}},
                              {13, Point{0, 1, 0}}, {67, 1}}});
    return out;
}

// Decodes one block's data and compares every chain with the entities given.
void expect_round_trip(const tvlw::Settings &settings, const std::vector<Entity> &entities,
                       const std::vector<std::uint8_t> &data)
{
    use_settings(settings);
    work_file work(data);
    ASSERT_EQ(std::fgetc(work.f), 3);
    double base[3];
    ASSERT_TRUE(point_read(work.f, 3, base));
    EXPECT_EQ(base[0], 1.0);
    EXPECT_EQ(base[1], -2.0);
    EXPECT_EQ(base[2], 0.5);
    const int path = std::fgetc(work.f);
    ASSERT_EQ(path, 3);
    std::fseek(work.f, path, SEEK_CUR);
    for (std::size_t i = 0; i <= entities.size(); ++i) {
        resbuf *chain = ent_read(work.f, true);
        ASSERT_NE(chain, nullptr) << "entity " << i;
        if (i == entities.size()) {
            EXPECT_STREQ(chain->value.string, "ENDBLK");
            EXPECT_EQ(ent_current_type(), 13);
            rb_release(chain);
            break;
        }
        const Entity &e = entities[i];
        EXPECT_STREQ(chain->value.string, e.type.c_str()) << "entity " << i;
        const resbuf *rb = chain->next;
        for (const tvlw::Group &g : e.groups) {
            ASSERT_NE(rb, nullptr) << "entity " << i << " group " << g.code;
            EXPECT_EQ(rb->code, g.code);
            if (auto *d = std::get_if<double>(&g.value)) {
                EXPECT_EQ(std::memcmp(&rb->value.real, d, 8), 0) << "entity " << i << " group " << g.code;
            } else if (auto *p = std::get_if<Point>(&g.value)) {
                EXPECT_EQ(rb->value.point[0], p->x) << "entity " << i;
                EXPECT_EQ(rb->value.point[1], p->y) << "entity " << i;
                EXPECT_EQ(rb->value.point[2], p->z) << "entity " << i;
            } else if (auto *n = std::get_if<std::int64_t>(&g.value)) {
                const long v = rb_basic_kind(rb->code) == RB_SHORT ? rb->value.int16 : rb->value.int32;
                EXPECT_EQ(v, *n) << "entity " << i << " group " << g.code;
            } else if (auto *s = std::get_if<std::string>(&g.value)) {
                EXPECT_STREQ(rb->value.string, s->c_str());
            } else if (auto *en = std::get_if<tvlw::Ename>(&g.value)) {
                EXPECT_EQ(rb->value.ename[0], en->low);
                EXPECT_EQ(rb->value.ename[1], en->high);
            } else if (auto *b = std::get_if<tvlw::Binary>(&g.value)) {
                ASSERT_EQ(rb->value.binary.length, b->bytes.size());
                EXPECT_EQ(std::memcmp(rb->value.binary.bytes, b->bytes.data(), b->bytes.size()), 0);
            }
            rb = rb->next;
        }
        EXPECT_EQ(rb, nullptr) << "entity " << i;
        rb_release(chain);
    }
}

std::vector<std::uint8_t> encode(const tvlw::Settings &s, const std::vector<Entity> &e, tvlw::Coding c = {})
{
    return tvlw::encode_block(s, 3, Point{1, -2, 0.5}, "lib", e, c);
}

tvlw::Settings settings(std::optional<int> ring, std::optional<int> r, std::optional<int> coding,
                        std::optional<int> fr, int version = 40)
{
    tvlw::Settings s;
    s.version = version;
    s.ring_size = ring;
    s.record_ref_width = r;
    s.coding = coding;
    s.fraction_bits = fr;
    return s;
}

TEST(EntityRoundTrip, EverySettingAndCodingDecodesToTheSameChains)
{
    const auto entities = sample_entities();
    const tvlw::Settings variants[] = {
        settings({}, {}, {}, {}),           settings(10, 1, 0, {}),      settings(200, 2, 1, 4),
        settings(50, 3, 2, 0),              settings(255, 3, 2, 8),      settings(2, 1, 0, {}),
        settings(40, 2, 1, 2, 30),
        // No reals ring; wider references without template slots.
        settings(0, {}, {}, {}),            settings({}, 2, {}, {}),
    };
    for (const auto &s : variants) {
        SCOPED_TRACE(testing::Message() << "RBUF " << s.ring_size.value_or(-1) << " R "
                                        << s.record_ref_width.value_or(-1) << " FR " << s.fraction_bits.value_or(-1));
        const auto automatic = encode(s, entities);
        const auto plain = encode(s, entities, tvlw::Coding::plain());
        expect_round_trip(s, entities, automatic);
        expect_round_trip(s, entities, plain);
        EXPECT_LT(automatic.size(), plain.size());
        tvlw::Coding wide;
        wide.wide_codes = true;
        wide.explicit_type_names = true;
        wide.repeats = false;
        expect_round_trip(s, entities, encode(s, entities, wide));
    }
}

TEST(EntityRoundTrip, EachFeatureAloneStillDecodes)
{
    const auto entities = sample_entities();
    const auto s = settings(120, 3, 1, 3);
    bool tvlw::Coding::*features[] = {
        &tvlw::Coding::cache,       &tvlw::Coding::repeats,          &tvlw::Coding::real_ring,
        &tvlw::Coding::short_reals, &tvlw::Coding::fixed_point,      &tvlw::Coding::point_ring,
        &tvlw::Coding::omit_coordinates, &tvlw::Coding::point_templates, &tvlw::Coding::string_ring,
    };
    const auto plain_size = encode(s, entities, tvlw::Coding::plain()).size();
    for (auto f : features) {
        tvlw::Coding c = tvlw::Coding::plain();
        c.*f = true;
        if (f == &tvlw::Coding::point_templates || f == &tvlw::Coding::fixed_point)
            c.short_reals = c.fixed_point = c.point_templates = true;
        const auto data = encode(s, entities, c);
        expect_round_trip(s, entities, data);
        EXPECT_LT(data.size(), plain_size);
    }
    tvlw::Coding templates = tvlw::Coding::plain();
    templates.cache = templates.group_templates = true;
    std::vector<Entity> moves;
    for (int i = 0; i < 8; ++i)
        moves.push_back({"CIRCLE", {{8, "0"}, {10, Point{double(i), 1, 0}}, {40, 1.0 + i}, {62, 1}}});
    for (int r : {2, 3}) {
        const auto rs = settings(60, r, 1, {});
        expect_round_trip(rs, moves, encode(rs, moves, templates));
    }
}

TEST(EntityRoundTrip, PrototypeStateCarriesIntoItsBlock)
{
    const auto s = settings(90, 1, 1, {});
    tvlw::BlockEncoder enc(s);
    enc.begin(0, Point{0, 0, 0}, "");
    const Entity shared{"LINE", {{8, "SHARED"}, {10, Point{5, 5, 5}}, {11, Point{6, 6, 6}}}};
    enc.add(shared);
    const auto proto = enc.finish();
    enc.begin(3, Point{1, -2, 0.5}, "lib", false);
    enc.add(shared);
    const auto block = enc.finish();
    EXPECT_LT(block.size(), proto.size());

    use_settings(s);
    work_file pw(proto);
    std::fgetc(pw.f);
    double xyz[3];
    ASSERT_TRUE(point_read(pw.f, 3, xyz));
    std::fgetc(pw.f);
    while (true) {
        ASSERT_NE(ent_read(pw.f, false), nullptr);
        if (ent_current_type() == 13)
            break;
    }
    work_file bw(block);
    std::fgetc(bw.f);
    ASSERT_TRUE(point_read(bw.f, 3, xyz));
    EXPECT_EQ(xyz[1], -2.0);
    std::fseek(bw.f, std::fgetc(bw.f), SEEK_CUR);
    resbuf *chain = ent_read(bw.f, true);
    ASSERT_NE(chain, nullptr);
    EXPECT_STREQ(rb_find(chain, 8)->value.string, "SHARED");
    EXPECT_EQ(rb_find(chain, 11)->value.point[2], 6.0);
    rb_release(chain);
}

} // namespace
