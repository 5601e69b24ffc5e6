#include <gtest/gtest.h>

#include "codec_test_util.h"
#include "resbuf.h"
#include "writer/entity_encoder.h"

namespace {

namespace raw = tvlw::raw;
using bytes = std::vector<std::uint8_t>;

tvlw::Settings plain_settings(int version = 40)
{
    tvlw::Settings s;
    s.version = version;
    return s;
}

// Reads one entity for delivery; answers its chain and what went to the console.
resbuf *read_one(const bytes &data, std::string &console)
{
    work_file work(data);
    testing::internal::CaptureStdout();
    resbuf *chain = ent_read(work.f, true);
    console = testing::internal::GetCapturedStdout();
    return chain;
}

TEST(EntityDecode, RealTypesAndTheRing)
{
    tvlw::Settings s = plain_settings();
    s.fraction_bits = 4;
    use_settings(s);
    bytes data;
    raw::byte(data, 25);         // ring reference after a reset
    raw::byte(data, 9);          // n = 4: bits 1111
    raw::byte(data, 0x0F);
    raw::byte(data, 9);          // bits 0111
    raw::byte(data, 0x07);
    raw::real(data, 5, -3.5);
    raw::byte(data, 26);         // the second real stored: 15/16
    raw::byte(data, 6);          // unknown type
    work_file work(data);
    double v;
    ASSERT_TRUE(real_read(work.f, -1, v));
    EXPECT_EQ(v, -464.0289);
    ASSERT_TRUE(real_read(work.f, -1, v));
    EXPECT_EQ(v, 15.0 / 16);
    ASSERT_TRUE(real_read(work.f, -1, v));
    EXPECT_EQ(v, (7.0 - 16) / 16);
    ASSERT_TRUE(real_read(work.f, -1, v));
    EXPECT_EQ(v, -3.5);
    ASSERT_TRUE(real_read(work.f, -1, v));
    EXPECT_EQ(v, -9.0 / 16); // ring slot 1: stores began at the cursor after the reset
    testing::internal::CaptureStdout();
    EXPECT_FALSE(real_read(work.f, -1, v));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nUnrecognized real type: 6");

    use_settings(plain_settings()); // without "FR", type 9 is unknown
    work_file nofr(bytes{9, 0});
    testing::internal::CaptureStdout();
    EXPECT_FALSE(real_read(nofr.f, -1, v));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nUnrecognized real type: 9");
}

TEST(EntityDecode, OmittedCoordinatesFollowThePreviousPoint)
{
    use_settings(plain_settings());
    bytes data;
    raw::byte(data, 0);
    raw::real(data, 2, 1);
    raw::real(data, 2, 2);
    raw::real(data, 2, 3);
    raw::byte(data, 0x80 | 0x60 | 31); // z omitted
    raw::real(data, 2, 7);
    raw::real(data, 2, 8);
    raw::byte(data, 0x80 | 0x20 | 31); // x and z omitted
    raw::real(data, 2, 9);
    raw::byte(data, 0x10);             // neither a ring code nor a full point
    work_file work(data);
    double p[3];
    ASSERT_TRUE(point_read(work.f, 3, p));
    ASSERT_TRUE(point_read(work.f, 3, p));
    EXPECT_EQ(p[0], 7);
    EXPECT_EQ(p[1], 8);
    EXPECT_EQ(p[2], 3);
    ASSERT_TRUE(point_read(work.f, 3, p));
    EXPECT_EQ(p[0], 7);
    EXPECT_EQ(p[1], 9);
    EXPECT_EQ(p[2], 3);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(point_read(work.f, 3, p));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nPoint record error reading library file.");

    // No previous point after a reset; an empty ring entry.
    decoder_reset();
    work_file first(bytes{0x80 | 0x60 | 31, 1, 1});
    testing::internal::CaptureStdout();
    EXPECT_FALSE(point_read(first.f, 3, p));
    work_file empty(bytes{25});
    EXPECT_FALSE(point_read(empty.f, 3, p));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nPoint record error reading library file.\nPoint record error reading library file.");
}

TEST(EntityDecode, StringsAndTheirRing)
{
    use_settings(plain_settings());
    std::string console;
    bytes data = {0, 1, 8};
    raw::string(data, "");
    raw::group_code(data, 1000);
    raw::string(data, "x");
    raw::byte(data, 1);
    raw::string_ref(data, -1 - 23); // slot 1: "x"
    raw::byte(data, 0);
    resbuf *chain = read_one(data, console);
    ASSERT_NE(chain, nullptr) << console;
    EXPECT_STREQ(rb_find(chain, 8)->value.string, "");
    EXPECT_STREQ(rb_find(chain, 1000)->value.string, "x");
    EXPECT_STREQ(rb_find(chain, 1)->value.string, "x");
    rb_release(chain);

    // -1 names slot 24, still empty; -26 is out of range; NUL inside a text.
    chain = read_one({0, 1, 8, 0xFF, 0}, console);
    EXPECT_EQ(console, "\nUnable to allocate string.");
    ASSERT_NE(chain, nullptr); // a failed later group ends the entity
    EXPECT_EQ(chain->next, nullptr);
    rb_release(chain);
    chain = read_one({0, 1, 8, static_cast<std::uint8_t>(-26), 0}, console);
    EXPECT_EQ(console, "\nInvalid string code -26");
    rb_release(chain);
    chain = read_one({0, 1, 8, 2, 'a', 0, 0}, console);
    EXPECT_EQ(console, "\nInvalid string read.");
    rb_release(chain);
}

TEST(EntityDecode, RecordFailuresGiveTheirMessages)
{
    use_settings(plain_settings());
    std::string console;
    EXPECT_EQ(read_one({}, console), nullptr);
    EXPECT_EQ(console, "\nERROR reading file.");
    EXPECT_EQ(read_one({90}, console), nullptr);
    EXPECT_EQ(console, "\nUnrecognized ent buffer type: 90");
    EXPECT_EQ(read_one({0, 0}, console), nullptr);
    EXPECT_EQ(console, "\nCannot read 0 chunk.");
    EXPECT_EQ(read_one({0, 18, 0}, console), nullptr);
    EXPECT_EQ(console, "\nUnrecognized entity from library file.\nCannot read 0 chunk.");

    resbuf *chain = read_one({0, 1, 0xFF, 0xEC, 0x03, 0, 0, 0}, console); // 1004 binary of length 0
    EXPECT_EQ(console, "\nInvalid binary read.");
    rb_release(chain);
    chain = read_one({0, 1, 0xFF, 0x18, 0x01, 1, 0}, console); // 280: no stored form
    EXPECT_EQ(console, "Unrecognized item: 5090");
    rb_release(chain);

    // A cached LINE, then a reference replacing a group it does not have.
    decoder_reset();
    bytes data = {0, 1, 8, 1, 'A', 0, 25, 62, 3, 0};
    work_file work(data);
    resbuf *line = ent_read(work.f, true);
    ASSERT_NE(line, nullptr);
    rb_release(line);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ent_read(work.f, true), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nERROR, unmatched entities 62");
}

TEST(EntityDecode, ExplicitTypeNamesByVersion)
{
    std::string console;
    use_settings(plain_settings(30));
    bytes old = {0, 25};
    raw::string(old, "WIDGET");
    old.push_back(0);
    resbuf *chain = read_one(old, console);
    ASSERT_NE(chain, nullptr);
    EXPECT_STREQ(chain->value.string, "WIDGET");
    rb_release(chain);

    use_settings(plain_settings(40));
    chain = read_one({0, 25, 0}, console);
    ASSERT_NE(chain, nullptr);
    EXPECT_STREQ(chain->value.string, "3DSOLID");
    rb_release(chain);
    bytes now = {0, 254};
    raw::string(now, "WIDGET");
    now.push_back(0);
    chain = read_one(now, console);
    ASSERT_NE(chain, nullptr);
    EXPECT_STREQ(chain->value.string, "WIDGET");
    rb_release(chain);
}

TEST(EntityDecode, ComplexSequencesAndPaperSpace)
{
    use_settings(plain_settings());
    const tvlw::Settings s = plain_settings();
    tvlw::BlockEncoder enc(s, tvlw::Coding::plain());
    enc.begin(0, {}, "");
    enc.add({"INSERT", {{66, 1}, {67, 1}}});
    enc.add({"ATTRIB", {{1, "a"}}});
    enc.add({"SEQEND", {}});
    enc.add({"POLYLINE", {{66, 1}}});
    enc.add({"LINE", {}});
    auto data = enc.bytes();
    work_file work(data);
    std::fseek(work.f, 1, SEEK_SET);
    double p[3];
    ASSERT_TRUE(point_read(work.f, 3, p));
    std::fgetc(work.f);
    const bool paper[] = {true, false, false, false};
    for (bool expected : paper) {
        resbuf *chain = ent_read(work.f, true);
        ASSERT_NE(chain, nullptr);
        EXPECT_EQ(ent_paper_space(), expected) << chain->value.string;
        rb_release(chain);
    }
    testing::internal::CaptureStdout();
    resbuf *line = ent_read(work.f, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nUnexpected complex entity.");
    ASSERT_NE(line, nullptr); // still handed out, but not cached
    rb_release(line);
    work_file repeat(bytes{static_cast<std::uint8_t>(-29)}); // its slot is empty
    EXPECT_EQ(ent_read(repeat.f, true), nullptr);
}

} // namespace

namespace {

// Group codes below zero (entity names, -3 short) are codes like any other,
// also when a group template supplies them.
TEST(EntityDecode, TemplatesCarryNegativeGroupCodes)
{
    tvlw::Settings s;
    s.ring_size = 60;
    s.record_ref_width = 2;
    s.coding = 0;
    use_settings(s);
    bytes data = {0, 1};
    raw::group_code(data, -3);
    data.insert(data.end(), {5, 8, 1, 'A', 0});
    // Cache slot 0 with -3 replaced: its code list becomes template slot 0.
    data.push_back(1);
    raw::group_code(data, -3);
    data.insert(data.end(), {6, 0});
    // Template slot 0 on cache slot 1: one group, code -3, value only.
    data.insert(data.end(), {(1 << 6) | 2, 7});
    work_file work(data);
    const char *expected[] = {"(0.\"LINE\")(-3.5)(8.\"A\")", "(0.\"LINE\")(-3.6)(8.\"A\")",
                              "(0.\"LINE\")(-3.7)(8.\"A\")"};
    for (const char *text : expected) {
        resbuf *chain = ent_read(work.f, true);
        ASSERT_NE(chain, nullptr);
        std::string got;
        char buf[256];
        for (const resbuf *rb = chain; rb; rb = rb->next) {
            rb_format(rb, buf, sizeof buf);
            got += buf;
        }
        EXPECT_EQ(got, text);
        rb_release(chain);
    }
    EXPECT_EQ(std::fgetc(work.f), EOF);
}

} // namespace

namespace {

// With no fraction bits, type 9 is a field of no bits: the value 0, also when
// a point template supplies the type.
TEST(EntityDecode, FixedPointFieldsOfNoBits)
{
    tvlw::Settings s;
    s.fraction_bits = 0;
    use_settings(s);
    bytes data = {0, 9, 0};
    raw::f64(data, 2.5);
    data.push_back(1);
    data.push_back(0x80); // template 0: types 9, 0, 1
    raw::f64(data, -4.0);
    work_file work(data);
    for (double expected_y : {2.5, -4.0}) {
        double p[3] = {99, 99, 99};
        ASSERT_TRUE(point_read(work.f, 3, p));
        EXPECT_EQ(p[0], 0.0);
        EXPECT_EQ(p[1], expected_y);
        EXPECT_EQ(p[2], 0.0);
    }
    EXPECT_EQ(std::fgetc(work.f), EOF);
}

} // namespace
