// Writes the sample library: a few furniture symbols that together use every
// kind of geometry the viewer draws.  Units are centimetres.
//
//   make_sample OUT.tvl
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "writer/entity_encoder.h"
#include "writer/library.h"

namespace {

using tvlw::Entity;
using tvlw::Point;

constexpr double pi = 3.14159265358979323846;

struct symbol {
    std::string name;
    std::vector<std::string> layers;
    std::vector<Entity> entities;
};

using make = tvlw::EntityBuilder;

Entity face(const std::string &layer, Point a, Point b, Point c, Point d)
{
    return make("3DFACE")(8, layer)(10, a)(11, b)(12, c)(13, d);
}

void box(std::vector<Entity> &out, const std::string &layer, Point lo, Point hi)
{
    const Point p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                        {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    out.push_back(face(layer, p[0], p[1], p[2], p[3]));
    out.push_back(face(layer, p[4], p[5], p[6], p[7]));
    out.push_back(face(layer, p[0], p[1], p[5], p[4]));
    out.push_back(face(layer, p[1], p[2], p[6], p[5]));
    out.push_back(face(layer, p[2], p[3], p[7], p[6]));
    out.push_back(face(layer, p[3], p[0], p[4], p[7]));
}

// An upright cylinder: a circle with thickness.
Entity cylinder(const std::string &layer, Point base, double radius, double height)
{
    return make("CIRCLE")(8, layer)(10, base)(40, radius)(39, height)(210, Point{0, 0, 1});
}

void polyline(std::vector<Entity> &out, const std::string &layer, const std::vector<Point> &points,
              int flags, const std::vector<double> &bulges = {})
{
    out.push_back(make("POLYLINE")(8, layer)(66, 1)(10, Point{})(70, flags));
    for (std::size_t i = 0; i < points.size(); ++i) {
        make v("VERTEX");
        v(8, layer)(10, points[i])(70, (flags & 8) ? 32 : 0);
        if (i < bulges.size() && bulges[i] != 0.0)
            v(42, bulges[i]);
        out.push_back(v);
    }
    out.push_back(make("SEQEND")(8, layer));
}

// An M x N polygon mesh, row by row; flags add 1 (closed in M) and 32 (closed in N).
void mesh(std::vector<Entity> &out, const std::string &layer, int m, int n,
          const std::vector<Point> &points, int flags)
{
    out.push_back(make("POLYLINE")(8, layer)(66, 1)(10, Point{})(70, 16 | flags)(71, m)(72, n));
    for (const Point &p : points)
        out.push_back(make("VERTEX")(8, layer)(10, p)(70, 64));
    out.push_back(make("SEQEND")(8, layer));
}

// A polyface mesh: vertex records, then face records of 1-based indices.
void polyface(std::vector<Entity> &out, const std::string &layer, const std::vector<Point> &points,
              const std::vector<std::vector<int>> &faces)
{
    out.push_back(make("POLYLINE")(8, layer)(66, 1)(10, Point{})(70, 64)(
        71, static_cast<int>(points.size()))(72, static_cast<int>(faces.size())));
    for (const Point &p : points)
        out.push_back(make("VERTEX")(8, layer)(10, p)(70, 192));
    for (const auto &f : faces) {
        make v("VERTEX");
        v(8, layer)(10, Point{})(70, 128);
        for (std::size_t i = 0; i < f.size() && i < 4; ++i)
            v(71 + static_cast<int>(i), f[i]);
        out.push_back(v);
    }
    out.push_back(make("SEQEND")(8, layer));
}

symbol table()
{
    symbol s{"TABLE", {"WOOD"}, {}};
    box(s.entities, "WOOD", {0, 0, 72}, {120, 80, 76});
    for (Point leg : {Point{6, 6, 0}, Point{114, 6, 0}, Point{114, 74, 0}, Point{6, 74, 0}})
        s.entities.push_back(cylinder("WOOD", leg, 3, 72));
    return s;
}

symbol chair()
{
    symbol s{"CHAIR", {"FABRIC", "BRASS"}, {}};
    box(s.entities, "FABRIC", {0, 0, 42}, {45, 45, 48});
    // The backrest: a slanted slab as a polyface mesh.
    polyface(s.entities, "FABRIC",
             {{0, 40, 48}, {45, 40, 48}, {45, 45, 48}, {0, 45, 48},
              {0, 48, 95}, {45, 48, 95}, {45, 53, 95}, {0, 53, 95}},
             {{1, 2, 6, 5}, {2, 3, 7, 6}, {3, 4, 8, 7}, {4, 1, 5, 8}, {5, 6, 7, 8}});
    for (Point leg : {Point{1, 1, 0}, Point{40, 1, 0}, Point{40, 40, 0}, Point{1, 40, 0}})
        box(s.entities, "BRASS", leg, {leg.x + 4, leg.y + 4, 42});
    // A stretcher around the legs, drawn as a 3D polyline.
    polyline(s.entities, "BRASS", {{3, 3, 15}, {42, 3, 15}, {42, 42, 15}, {3, 42, 15}}, 8 | 1);
    return s;
}

symbol lamp()
{
    symbol s{"LAMP", {"BRASS", "SHADE"}, {}};
    s.entities.push_back(cylinder("BRASS", {0, 0, 0}, 14, 3));
    s.entities.push_back(cylinder("BRASS", {0, 0, 3}, 1.5, 110));
    // The shade: a frustum as a 2 x 24 mesh closed around.
    const int n = 24;
    std::vector<Point> shade;
    for (int row = 0; row < 2; ++row) {
        const double r = row == 0 ? 24 : 12;
        const double z = row == 0 ? 95 : 125;
        for (int j = 0; j < n; ++j)
            shade.push_back({r * std::cos(2 * pi * j / n), r * std::sin(2 * pi * j / n), z});
    }
    mesh(s.entities, "SHADE", 2, n, shade, 32);
    return s;
}

symbol globe()
{
    symbol s{"GLOBE", {"GLASS", "BRASS"}, {}};
    // A sphere as a mesh of latitude rows from pole to pole, closed around.
    const int m = 17;
    const int n = 32;
    std::vector<Point> sphere;
    for (int i = 0; i < m; ++i) {
        const double a = -pi / 2 + pi * i / (m - 1);
        for (int j = 0; j < n; ++j) {
            const double b = 2 * pi * j / n;
            sphere.push_back({30 * std::cos(a) * std::cos(b), 30 * std::cos(a) * std::sin(b),
                              62 + 30 * std::sin(a)});
        }
    }
    mesh(s.entities, "GLASS", m, n, sphere, 32);
    // Its stand: a foot, a post and a ring around the equator.
    s.entities.push_back(cylinder("BRASS", {0, 0, 0}, 16, 3));
    s.entities.push_back(cylinder("BRASS", {0, 0, 3}, 2.5, 29));
    s.entities.push_back(cylinder("BRASS", {0, 0, 61}, 33, 2));
    return s;
}

symbol door()
{
    symbol s{"DOOR", {"FRAME", "WOOD", "BRASS"}, {}};
    // Frame outline and leaf, standing in the x-z plane.
    polyline(s.entities, "FRAME", {{-5, 0, 0}, {-5, 0, 215}, {95, 0, 215}, {95, 0, 0}}, 8);
    s.entities.push_back(face("WOOD", {0, 0, 0}, {90, 0, 0}, {90, 0, 210}, {0, 0, 210}));
    s.entities.push_back(face("WOOD", {0, 4, 0}, {90, 4, 0}, {90, 4, 210}, {0, 4, 210}));
    s.entities.push_back(make("CIRCLE")(8, "BRASS")(10, Point{-80, 100, 0})(40, 2.5)(39, -8.0)(
        210, Point{0, 1, 0}));
    // The swing on the floor: a straight leaf line and its arc (arcs are not drawn).
    polyline(s.entities, "FRAME", {{0, 0, 0}, {0, -90, 0}, {90, 0, 0}}, 0, {0, 0.41421356});
    s.entities.push_back(make("LINE")(8, "FRAME")(10, Point{-5, 0, 0})(11, Point{95, 0, 0}));
    return s;
}

symbol survey()
{
    symbol s{"SURVEY_POINTS", {}, {}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            s.entities.push_back(make("POINT")(8, "0")(10, Point{i * 10.0, j * 10.0, (i + j) % 3 * 2.0}));
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: make_sample OUT.tvl\n");
        return argc == 2 ? 0 : 2;
    }
    tvlw::LibraryWriter writer;
    writer.add_linetype("CONTINUOUS", {});
    writer.add_layer("0", 7, 0, "CONTINUOUS");
    writer.add_layer("WOOD", 30, 0, "CONTINUOUS");
    writer.add_layer("FABRIC", 150, 0, "CONTINUOUS");
    writer.add_layer("BRASS", 40, 0, "CONTINUOUS");
    writer.add_layer("SHADE", 2, 0, "CONTINUOUS");
    writer.add_layer("GLASS", 5, 0, "CONTINUOUS");
    writer.add_layer("FRAME", 8, 0, "CONTINUOUS");

    for (const symbol &s : {table(), chair(), lamp(), globe(), door(), survey()}) {
        tvlw::BlockOptions options;
        options.compression = tvlw::Compression::method2;
        options.dependencies.push_back({tvlw::type_linetype, "CONTINUOUS", 0, {}});
        options.dependencies.push_back({tvlw::type_layer, "0", 0, {}});
        for (const std::string &layer : s.layers)
            options.dependencies.push_back({tvlw::type_layer, layer, 0, {}});
        writer.add_block(s.name, tvlw::encode_block(writer.settings(), 0, {}, "", s.entities), options);
    }
    if (!writer.save(argv[1])) {
        std::fprintf(stderr, "make_sample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
