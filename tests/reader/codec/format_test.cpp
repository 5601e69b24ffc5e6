// The format's tables checked against numbers written out independently here.
#include <gtest/gtest.h>

#include "tvl_format/byte_order.h"
#include "tvl_format/entity_types.h"
#include "tvl_format/record_types.h"
#include "tvl_format/settings.h"

namespace {

namespace fmt = tvl_format;

TEST(Format, EntityTypesByNumberAndName)
{
    EXPECT_STREQ(fmt::entity_type_name(1), "LINE");
    EXPECT_STREQ(fmt::entity_type_name(253), "LWPOLYLINE");
    EXPECT_STREQ(fmt::entity_type_name(-21), "CLASS");
    EXPECT_EQ(fmt::entity_type_name(18), nullptr);
    EXPECT_EQ(fmt::entity_type_name(254), nullptr);
    // A name listed twice gives its first number.
    EXPECT_EQ(fmt::entity_type_number("block"), 12);
    EXPECT_EQ(fmt::entity_type_number("CLASS"), 34);
    EXPECT_EQ(fmt::entity_type_number("NO SUCH"), 254);
    EXPECT_EQ(fmt::entity_type_number(nullptr), 254);
    EXPECT_EQ(fmt::entity_named_number(39), 25);
    EXPECT_EQ(fmt::entity_named_number(40), 254);
}

TEST(Format, TablesOfRecordTypes)
{
    EXPECT_EQ(fmt::table_tag(9), 'B');
    EXPECT_EQ(fmt::table_tag(16), 'B');
    EXPECT_EQ(fmt::table_tag(5), 'L');
    EXPECT_EQ(fmt::table_tag(4), 'T');
    EXPECT_EQ(fmt::table_tag(6), 'S');
    EXPECT_EQ(fmt::table_tag(17), 'D');
    EXPECT_EQ(fmt::table_tag(18), 'I');
    EXPECT_EQ(fmt::table_tag(19), 'M');
    EXPECT_EQ(fmt::table_tag(20), '\0');
    EXPECT_EQ(fmt::table_tag(0), '\0');
}

TEST(Format, NameHashOfTheBlockTree)
{
    EXPECT_EQ(fmt::name_hash("", 0), 0xACAD);
    // 'A' (0x41): 0xACAD ^ 0x41 = 0xACEC, rotated left: 0x59D9.
    EXPECT_EQ(fmt::name_hash("A", 1), 0x59D9);
    // Characters count as signed: 0xE9 is 0xFFE9.
    EXPECT_EQ(fmt::name_hash("\xE9", 1), static_cast<std::uint16_t>(((0xACAD ^ 0xFFE9) << 1) | ((0xACAD ^ 0xFFE9) >> 15)));
}

TEST(Format, CodingRangesFromTheSettings)
{
    const fmt::coding_ranges fixed = fmt::coding_ranges_for(false, 200, 3);
    EXPECT_EQ(fixed.first_entity_code, 25);
    EXPECT_EQ(fixed.last_entity_code, 84);
    EXPECT_EQ(fixed.entity_cache_size, 60);
    EXPECT_EQ(fixed.last_point_code, 39);
    EXPECT_EQ(fixed.lowest_string_code, -25);
    EXPECT_EQ(fixed.template_slots, 0);

    const fmt::coding_ranges small = fmt::coding_ranges_for(true, 50, 1);
    EXPECT_EQ(small.first_entity_code, 1);
    EXPECT_EQ(small.last_entity_code, 32);
    EXPECT_EQ(small.point_ring_size, 16);
    EXPECT_EQ(small.string_ring_size, 25);
    EXPECT_EQ(small.template_slots, 0);

    const fmt::coding_ranges large = fmt::coding_ranges_for(true, 128, 1);
    EXPECT_EQ(large.last_entity_code, 127);
    EXPECT_EQ(large.point_ring_size, 127);
    EXPECT_EQ(large.string_ring_size, 127);
    EXPECT_EQ(large.lowest_string_code, -127);

    // Wider references cap the cache: 63 for R = 2, 31 for R = 3.
    EXPECT_EQ(fmt::coding_ranges_for(true, 255, 2).entity_cache_size, 63);
    EXPECT_EQ(fmt::coding_ranges_for(true, 255, 2).template_slots, 2);
    EXPECT_EQ(fmt::coding_ranges_for(true, 255, 3).last_entity_code, 31);
    EXPECT_EQ(fmt::coding_ranges_for(true, 255, 3).template_slots, 6);
    EXPECT_EQ(fmt::coding_ranges_for(true, 60, 3).last_entity_code, 31);
    EXPECT_EQ(fmt::coding_ranges_for(true, 45, 3).last_entity_code, 30); // below the cap
}

TEST(Format, LittleEndianValues)
{
    const unsigned char b[8] = {0x01, 0x80, 0xFF, 0x7F, 0x00, 0x00, 0xF0, 0x3F};
    EXPECT_EQ(fmt::le_u16(b), 0x8001);
    EXPECT_EQ(fmt::le_i16(b), -32767);
    EXPECT_EQ(fmt::le_i24(b), -32767); // 0xFF8001
    EXPECT_EQ(fmt::le_i32(b), 0x7FFF8001);
    const unsigned char one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    EXPECT_EQ(fmt::le_f64(one), 1.0);

    unsigned char out[8];
    fmt::le_put_f64(out, -2.5);
    EXPECT_EQ(fmt::le_f64(out), -2.5);
    fmt::le_put(out, 0x123456, 3);
    EXPECT_EQ(fmt::le_uint(out, 3), 0x123456u);
}

TEST(Format, ReaderStopsAtTheEndOfItsBuffer)
{
    const unsigned char b[7] = {0x05, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12};
    fmt::le_reader r(b, sizeof b);
    unsigned char u8 = 0;
    std::int16_t i16 = 0;
    std::int32_t i32 = 0;
    double f = 7.0;
    EXPECT_TRUE(r.u8(u8));
    EXPECT_EQ(u8, 5);
    EXPECT_TRUE(r.i16(i16));
    EXPECT_EQ(i16, 0x1234);
    EXPECT_FALSE(r.f64(f)); // 4 bytes left: nothing taken
    EXPECT_EQ(f, 7.0);
    EXPECT_EQ(r.left(), 4u);
    EXPECT_TRUE(r.i32(i32));
    EXPECT_EQ(i32, 0x12345678);
    EXPECT_FALSE(r.u8(u8));
    char none;
    EXPECT_TRUE(r.bytes(&none, 0));
    EXPECT_FALSE(r.bytes(&none, 1));
}

} // namespace
