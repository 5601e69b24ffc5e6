// Parsing of entity chains, dispatch by type name and the layer colour map.
#include "chain_builder.h"
#include "conversion/entity_record.h"
#include "conversion/layer_colors.h"

namespace {

TEST(parse_entity, later_groups_overwrite_and_each_real_sets_its_own_field)
{
    chain c("LINE");
    c.pt(10, 1, 2, 3).pt(10, 4, 5, 6).real(38, 7).real(39, 8).i16(70, -3).str(999, "skip");
    cl_entity_record r;
    parse_entity(c.head(), r, false);
    EXPECT_EQ(r.type_name, "LINE");
    EXPECT_EQ(r.point1.x, 4);
    EXPECT_EQ(r.point1.z, 6);
    EXPECT_EQ(r.elevation, 7);
    EXPECT_EQ(r.thickness, 8);
    EXPECT_EQ(r.real40, 0);
    EXPECT_EQ(r.flags, -3);
    // Missing groups keep their initial values.
    EXPECT_EQ(r.layer, "0");
    EXPECT_EQ(r.extrusion.z, 1.0);
    EXPECT_EQ(r.extrusion.x, 0.0);
}

TEST(parse_entity, first_only_reads_one_record)
{
    chain c("CIRCLE");
    c.str(8, "WALLS");
    cl_entity_record r;
    parse_entity(c.head(), r, true);
    EXPECT_EQ(r.type_name, "CIRCLE");
    EXPECT_EQ(r.layer, "0");
}

TEST(parse_entity, null_string_value_reads_as_empty)
{
    chain c("LINE");
    resbuf rb{};
    rb.code = 8;
    rb.value.string = nullptr;
    cl_entity_record r;
    parse_entity(&rb, r, false);
    EXPECT_EQ(r.layer, "");
}

class dispatch : public scene_test {};

TEST_F(dispatch, records_that_draw_nothing_are_accepted)
{
    for (const char *type : {"BLOCK", "ENDBLK", "ATTDEF", "ELLIPSE", "ARC", "TEXT", "line",
                             "Circle", "3dface", "LWPOLYLINE"}) {
        chain c(type);
        c.pt(10, 0, 0, 0).pt(11, 1, 1, 1).real(40, 2).pt(12, 1, 0, 0).pt(13, 0, 1, 0);
        EXPECT_EQ(c.feed(), RB_OK) << type;
    }
    EXPECT_TRUE(triangles().empty());
    EXPECT_TRUE(lines().empty());
    EXPECT_TRUE(current_scene->points.empty());
}

TEST_F(dispatch, chain_without_type_name_adds_nothing)
{
    chain c("");
    c.pt(10, 0, 0, 0).pt(11, 1, 1, 1);
    EXPECT_EQ(c.feed(), RB_OK);
    resbuf lone{};
    lone.code = 10;
    EXPECT_EQ(entity_callback(&lone), RB_OK);
    EXPECT_TRUE(lines().empty());
}

TEST_F(dispatch, known_types_reach_their_converters)
{
    chain("LINE").pt(10, 0, 0, 0).pt(11, 1, 1, 1).feed();
    chain("POINT").pt(10, 3, 4, 5).feed();
    chain("3DFACE").pt(10, 0, 0, 0).pt(11, 1, 0, 0).pt(12, 1, 1, 0).pt(13, 0, 1, 0).feed();
    EXPECT_EQ(lines().size(), 1u);
    ASSERT_EQ(current_scene->points.size(), 1u);
    expect_point(current_scene->points[0], 3, 4, 5);
    EXPECT_EQ(triangles().size(), 2u);
}

TEST(table_callback, layer_type_in_any_case_and_first_colour_wins)
{
    EXPECT_EQ(chain("LAYER").str(2, "intake-A").i16(62, 5).feed_table(), RB_OK);
    chain("Layer").str(2, "intake-B").i16(62, 6).feed_table();
    chain("layer").str(2, "intake-C").i16(62, -7).feed_table();
    chain("LAYER").str(2, "intake-A").i16(62, 9).feed_table();
    chain("LTYPE").str(2, "intake-D").i16(62, 4).feed_table();
    chain("LAYERS").str(2, "intake-E").i16(62, 4).feed_table();

    const auto &map = layer_color_map();
    EXPECT_EQ(map.at("intake-A"), "5");
    EXPECT_EQ(map.at("intake-B"), "6");
    EXPECT_EQ(map.at("intake-C"), "-7");
    EXPECT_EQ(map.count("intake-D"), 0u);
    EXPECT_EQ(map.count("intake-E"), 0u);
    // The map outlives a block load.
    reset_conversion_state();
    chain("LAYER").str(2, "intake-A").i16(62, 11).feed_table();
    EXPECT_EQ(map.at("intake-A"), "5");
    // Names are case-sensitive.
    chain("LAYER").str(2, "INTAKE-A").i16(62, 12).feed_table();
    EXPECT_EQ(map.at("INTAKE-A"), "12");
}

} // namespace
