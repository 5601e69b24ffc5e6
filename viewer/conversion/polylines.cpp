// Polylines, polygon meshes and polyface meshes, received between POLYLINE
// and SEQEND; lightweight polylines are read and draw nothing.
#include <cstdlib>
#include <cstddef>

#include "conversion/conversion_state.h"
#include "conversion/converters.h"
#include "conversion/layer_colors.h"
#include "render/scene_functions.h"

namespace {

constexpr cl_rgb face_default{228, 228, 228};
constexpr cl_rgb polyline_default{0, 0, 0};

cl_polyline_state &polyline()
{
    return conversion_state().polyline;
}

// A 1-based vertex index of a face record; false when it names no stored vertex.
bool face_vertex(int index, const cl_tvl_poly_verts *&out)
{
    const auto &vertices = polyline().vertices;
    if (index < 1 || static_cast<std::size_t>(index) > vertices.size())
        return false;
    out = &vertices[static_cast<std::size_t>(index) - 1];
    return true;
}

void add_face(const cl_entity_record &record)
{
    const cl_polyline_state &state = polyline();
    const cl_rgb c = layer_draw_color(state.layer, true).value_or(face_default);
    const int i1 = std::abs(record.count71);
    const int i2 = std::abs(record.count72);
    const int i3 = std::abs(record.count73);
    const int i4 = std::abs(record.count74);
    const cl_tvl_poly_verts *a = nullptr;
    const cl_tvl_poly_verts *b = nullptr;
    const cl_tvl_poly_verts *v3 = nullptr;
    const cl_tvl_poly_verts *v4 = nullptr;

    // A face naming a vertex outside the list cannot be drawn and is skipped.
    if (i4 != 0) {
        if (!face_vertex(i1, a) || !face_vertex(i2, b) || !face_vertex(i3, v3) ||
            !face_vertex(i4, v4))
            return;
        scene_add_quad(a->x, a->y, a->z, b->x, b->y, b->z, v3->x, v3->y, v3->z, v4->x, v4->y,
                       v4->z, state.layer, c.red, c.green, c.blue);
    } else if (i3 != 0) {
        if (!face_vertex(i1, a) || !face_vertex(i2, b) || !face_vertex(i3, v3))
            return;
        scene_add_triangle(a->x, a->y, a->z, b->x, b->y, b->z, v3->x, v3->y, v3->z, state.layer,
                           c.red, c.green, c.blue);
    }
}

void emit_mesh(const cl_polyline_state &state, const cl_rgb &c)
{
    const long m = state.m_count;
    const long n = state.n_count;
    const long count = static_cast<long>(state.vertices.size());
    if (m <= 0 || n <= 0)
        return;
    const long rows = (state.flags & 1) ? m : m - 1;
    const long columns = (state.flags & 32) ? n : n - 1;
    const double elevation = state.elevation;

    // Cells that reach past the stored vertices are skipped; rows beyond the
    // list are not visited at all, so a huge M x N costs nothing.
    for (long i = 0; i < rows && i * n < count; ++i) {
        const long i2 = (i + 1 == m) ? 0 : i + 1;
        for (long j = 0; j < columns; ++j) {
            const long j2 = (j + 1 == n) ? 0 : j + 1;
            const long ids[4] = {i * n + j, i * n + j2, i2 * n + j2, i2 * n + j};
            bool inside = true;
            for (long id : ids)
                inside = inside && id < count;
            if (!inside)
                continue;
            const cl_tvl_poly_verts &p = state.vertices[static_cast<std::size_t>(ids[0])];
            const cl_tvl_poly_verts &q = state.vertices[static_cast<std::size_t>(ids[1])];
            const cl_tvl_poly_verts &r = state.vertices[static_cast<std::size_t>(ids[2])];
            const cl_tvl_poly_verts &s = state.vertices[static_cast<std::size_t>(ids[3])];
            scene_add_triangle(p.x, p.y, p.z + elevation, q.x, q.y, q.z + elevation, r.x, r.y,
                               r.z + elevation, state.layer, c.red, c.green, c.blue);
            conversion_state().has_faces = true;
            scene_add_triangle(r.x, r.y, r.z + elevation, s.x, s.y, s.z + elevation, p.x, p.y,
                               p.z + elevation, state.layer, c.red, c.green, c.blue);
        }
    }
}

void emit_segments(const cl_polyline_state &state, const cl_rgb &c)
{
    const std::size_t count = state.vertices.size();
    const bool closed = (state.flags & 1) != 0;
    const bool has_faces = conversion_state().has_faces;
    for (std::size_t i = 0; i < count; ++i) {
        if (i + 1 == count && !closed)
            break;
        const cl_tvl_poly_verts &a = state.vertices[i];
        const cl_tvl_poly_verts &b = state.vertices[(i + 1) % count];
        // Arc segments are not drawn, not even as a chord.
        if (a.bulge != 0.0)
            continue;
        const double za = a.z + state.elevation;
        const double zb = b.z + state.elevation;
        if (a.x == b.x && a.y == b.y && za == zb)
            continue;
        if (has_faces && za == 0.0 && zb == 0.0)
            continue;
        scene_add_line(a.x, a.y, za, b.x, b.y, zb, state.layer, c.red, c.green, c.blue);
    }
}

} // namespace

void begin_polyline(const cl_entity_record &record)
{
    cl_polyline_state &state = polyline();
    state.Reset();
    state.receiving = true;
    state.layer = record.layer;
    state.flags = record.flags;
    state.entities_follow = record.entities_follow;
    state.elevation = record.elevation;
    state.m_count = record.count71;
    state.n_count = record.count72;
}

void add_vertex(const cl_entity_record &record)
{
    cl_polyline_state &state = polyline();
    if ((state.flags & 64) && (record.flags & 128) && !(record.flags & 64)) {
        add_face(record);
        return;
    }
    if (!state.receiving || state.entities_follow == 0)
        return;
    state.vertices.push_back({record.point1.x, record.point1.y,
                              record.point1.z + record.elevation, record.real42, record.real40,
                              record.real41, record.flags});
}

void end_polyline()
{
    cl_polyline_state &state = polyline();
    if (!state.receiving)
        return;
    state.receiving = false;
    if (state.vertices.empty())
        return;
    const cl_rgb c = layer_draw_color(state.layer, true).value_or(polyline_default);
    if (state.flags & 16)
        emit_mesh(state, c);
    else if (!(state.flags & 64))
        emit_segments(state, c);
    state.Reset();
}

void convert_lwpolyline(const resbuf *chain)
{
    cl_polyline_state &state = polyline();
    state.vertices.clear();
    double start_width = 0.0;
    double end_width = 0.0;
    double bulge = 0.0;
    for (const resbuf *rb = chain; rb != nullptr; rb = rb->next) {
        if (rb->code == 210 || rb->code == 220 || rb->code == 230)
            break;
        switch (rb->code) {
        case 40: start_width = rb->value.real; break;
        case 41: end_width = rb->value.real; break;
        case 42: bulge = rb->value.real; break;
        case 10:
            state.vertices.push_back({rb->value.point[0], rb->value.point[1], rb->value.point[2],
                                      bulge, start_width, end_width, 0});
            break;
        default: break;
        }
    }
}
