// Polylines, polygon meshes and polyface meshes received between POLYLINE and SEQEND.
#include <vector>

#include "chain_builder.h"

namespace {

class polylines : public scene_test {
protected:
    void begin(const std::string &layer, int flags, double elevation = 0, int m = 0, int n = 0,
               int follow = 1)
    {
        chain("POLYLINE").str(8, layer).i16(66, follow).i16(70, flags).real(38, elevation)
            .i16(71, m).i16(72, n).feed();
    }
    void vertex(double x, double y, double z, double bulge = 0, int flags = 0)
    {
        chain("VERTEX").pt(10, x, y, z).real(42, bulge).i16(70, flags).feed();
    }
    void face_record(int a, int b, int c, int d)
    {
        chain("VERTEX").pt(10, 0, 0, 0).i16(70, 128).i16(71, a).i16(72, b).i16(73, c)
            .i16(74, d).feed();
    }
    void end() { chain("SEQEND").feed(); }

    void grid(int m, int n)
    {
        for (int i = 0; i < m; ++i)
            for (int j = 0; j < n; ++j)
                vertex(i, j, i * j);
    }
};

TEST_F(polylines, open_and_closed)
{
    begin("0", 0);
    vertex(0, 0, 0), vertex(1, 0, 0), vertex(1, 1, 0);
    end();
    EXPECT_EQ(lines().size(), 2u);

    begin("0", 1);
    vertex(0, 0, 0), vertex(1, 0, 0), vertex(1, 1, 0);
    end();
    EXPECT_EQ(lines().size(), 5u);
    expect_point(lines()[4].end, 0, 0, 0);

    // Closing back onto an equal last vertex adds a zero-length segment, which is dropped.
    begin("0", 1);
    vertex(0, 0, 0), vertex(1, 0, 0), vertex(0, 0, 0);
    end();
    EXPECT_EQ(lines().size(), 7u);
}

TEST_F(polylines, bulged_segment_is_not_drawn)
{
    begin("0", 0);
    vertex(0, 0, 0), vertex(1, 0, 0, 0.5), vertex(2, 0, 0), vertex(3, 0, 0);
    end();
    ASSERT_EQ(lines().size(), 2u);
    expect_point(lines()[0].end, 1, 0, 0);
    expect_point(lines()[1].start, 2, 0, 0);
}

TEST_F(polylines, elevation_lifts_segments_above_the_face_rule)
{
    chain("3DFACE").pt(11, 1, 0, 0).pt(12, 1, 1, 0).pt(13, 0, 1, 0).feed();
    begin("0", 0, 5);
    vertex(0, 0, 0), vertex(1, 0, 0);
    end();
    begin("0", 0, 0);
    vertex(0, 0, 0), vertex(1, 0, 0);
    end();
    ASSERT_EQ(lines().size(), 1u);
    expect_point(lines()[0].start, 0, 0, 5);
}

TEST_F(polylines, vertices_outside_a_polyline_or_without_entities_follow_are_dropped)
{
    vertex(0, 0, 0);
    end(); // SEQEND while idle
    begin("0", 0, 0, 0, 0, 0);
    vertex(0, 0, 0), vertex(1, 0, 0);
    end();
    EXPECT_TRUE(lines().empty());
}

TEST_F(polylines, second_polyline_discards_the_first)
{
    begin("0", 0);
    vertex(0, 0, 0), vertex(5, 0, 0);
    begin("0", 0);
    vertex(0, 0, 1), vertex(0, 1, 1);
    end();
    ASSERT_EQ(lines().size(), 1u);
    expect_point(lines()[0].end, 0, 1, 1);
}

TEST_F(polylines, colours_of_polyline_parts)
{
    LayerColorTable = {RGB(1, 2, 3), RGB(4, 5, 6)};
    give_layer("poly-zero", 0);
    begin("poly-unknown", 0);
    vertex(0, 0, 0), vertex(1, 0, 0);
    end();
    begin("poly-zero", 0);
    vertex(0, 0, 0), vertex(1, 0, 0);
    end();
    ASSERT_EQ(lines().size(), 2u);
    EXPECT_EQ(lines()[0].color, RGB(0, 0, 0));
    EXPECT_EQ(lines()[1].color, RGB(1, 2, 3));
}

TEST_F(polylines, polygon_mesh_cells_follow_the_closed_flags)
{
    const struct {
        int flags;
        std::size_t triangles;
    } cases[] = {{16, 4}, {16 | 32, 6}, {16 | 1 | 32, 12}, {16 | 1, 8}};
    for (const auto &c : cases) {
        current_scene->triangles.clear();
        begin("0", c.flags, 0, 2, 3);
        grid(2, 3);
        end();
        EXPECT_EQ(triangles().size(), c.triangles) << c.flags;
    }
    EXPECT_TRUE(conversion_state().has_faces);
}

TEST_F(polylines, polygon_mesh_triangles_and_elevation)
{
    begin("0", 16, 10, 2, 2);
    vertex(0, 0, 0), vertex(0, 1, 0), vertex(1, 0, 0), vertex(1, 1, 1);
    end();
    ASSERT_EQ(triangles().size(), 2u);
    // (i, j), (i, j'), (i', j') then (i', j'), (i', j), (i, j).
    expect_point(triangles()[0].corner_a, 0, 0, 10);
    expect_point(triangles()[0].corner_b, 0, 1, 10);
    expect_point(triangles()[0].corner_c, 1, 1, 11);
    expect_point(triangles()[1].corner_a, 1, 1, 11);
    expect_point(triangles()[1].corner_b, 1, 0, 10);
    expect_point(triangles()[1].corner_c, 0, 0, 10);
    EXPECT_EQ(triangles()[0].color, RGB(0, 0, 0));
}

TEST_F(polylines, polygon_mesh_short_of_vertices_draws_the_cells_it_can)
{
    begin("0", 16, 0, 3, 2);
    grid(2, 2); // four of six vertices: only the first row of cells exists
    end();
    EXPECT_EQ(triangles().size(), 2u);

    current_scene->triangles.clear();
    begin("0", 16 | 1 | 32, 0, 32767, 32767); // a huge grid costs nothing beyond its vertices
    grid(1, 3);
    end();
    EXPECT_TRUE(triangles().empty());

    begin("0", 16, 0, -2, 3);
    grid(2, 3);
    end();
    EXPECT_TRUE(triangles().empty());
}

TEST_F(polylines, polyface_faces_are_drawn_as_they_arrive)
{
    LayerColorTable = {RGB(7, 8, 9)};
    begin("pface-unknown", 64);
    vertex(0, 0, 0, 0, 64 | 128), vertex(1, 0, 0, 0, 64 | 128), vertex(1, 1, 0, 0, 64 | 128),
        vertex(0, 1, 2, 0, 64 | 128);
    face_record(1, -2, 3, 0);
    ASSERT_EQ(triangles().size(), 1u);
    expect_point(triangles()[0].corner_b, 1, 0, 0);
    EXPECT_EQ(triangles()[0].color, RGB(201, 201, 201));
    face_record(1, 2, 3, -4);
    EXPECT_EQ(triangles().size(), 3u);
    expect_point(triangles()[2].corner_b, 0, 1, 2);
    face_record(1, 2, 0, 0); // fewer than three indices
    end();
    EXPECT_EQ(triangles().size(), 3u);
    EXPECT_TRUE(lines().empty());
}

TEST_F(polylines, polyface_face_outside_the_vertex_list_is_skipped)
{
    begin("0", 64, 3);
    vertex(0, 0, 0), vertex(1, 0, 0), vertex(1, 1, 0);
    face_record(1, 2, 4, 0);
    face_record(0, 2, 3, 1);
    face_record(1, 2, 3, 9);
    face_record(1, 2, 3, 0);
    end();
    ASSERT_EQ(triangles().size(), 1u);
    // Face points are the stored vertices without the polyline's elevation.
    expect_point(triangles()[0].corner_c, 1, 1, 0);
}

TEST_F(polylines, polyface_colour_number_zero_takes_table_entry_zero)
{
    LayerColorTable = {RGB(7, 8, 9)};
    give_layer("pface-zero", 0);
    begin("pface-zero", 64);
    vertex(0, 0, 0), vertex(1, 0, 0), vertex(1, 1, 0);
    face_record(1, 2, 3, 0);
    end();
    ASSERT_EQ(triangles().size(), 1u);
    EXPECT_EQ(triangles()[0].color, RGB(7, 8, 9));
}

TEST_F(polylines, lightweight_polyline_draws_nothing_and_keeps_receiving)
{
    begin("0", 0);
    vertex(0, 0, 0);
    chain("LWPOLYLINE").i16(90, 2).pt(10, 0, 0, 0).real(40, 1).pt(10, 1, 0, 0).pt(210, 0, 0, 1)
        .pt(10, 9, 9, 9).feed();
    EXPECT_TRUE(lines().empty());
    const auto &state = conversion_state().polyline;
    EXPECT_TRUE(state.receiving);
    ASSERT_EQ(state.vertices.size(), 2u);
    EXPECT_EQ(state.vertices[1].start_width, 1);
}

} // namespace
