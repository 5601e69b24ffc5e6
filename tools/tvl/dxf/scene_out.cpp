#include "dxf/scene_out.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace dxf {

namespace {

std::string colour_hex(unsigned long c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", static_cast<unsigned>(c & 0xFF),
                  static_cast<unsigned>((c >> 8) & 0xFF), static_cast<unsigned>((c >> 16) & 0xFF));
    return buf;
}

std::string num(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", v == 0.0 ? 0.0 : v); // no "-0"
    return buf;
}

std::set<unsigned long> colours_of(const scene &s)
{
    std::set<unsigned long> c;
    for (const scene::triangle &t : s.triangles)
        c.insert(t.color & 0xFFFFFF);
    for (const scene::line &l : s.lines)
        c.insert(l.color & 0xFFFFFF);
    return c;
}

// Vertices shared by equal coordinates, numbered from 1 as OBJ counts.
class vertex_list {
public:
    int index(const double *p, std::string &out)
    {
        const std::array<double, 3> key{p[0], p[1], p[2]};
        const auto [it, added] = ids_.emplace(key, static_cast<int>(ids_.size()) + 1);
        if (added)
            out += "v " + num(p[0]) + " " + num(p[1]) + " " + num(p[2]) + "\n";
        return it->second;
    }

private:
    std::map<std::array<double, 3>, int> ids_;
};

} // namespace

std::string write_mtl(const scene &s)
{
    std::string out = "# layer colours of the symbol\n";
    for (unsigned long c : colours_of(s)) {
        out += "newmtl c_" + colour_hex(c) + "\n";
        out += "Kd " + num((c & 0xFF) / 255.0) + " " + num(((c >> 8) & 0xFF) / 255.0) + " " +
               num(((c >> 16) & 0xFF) / 255.0) + "\n";
    }
    return out;
}

std::string write_obj(const scene &s, const std::string &mtl_file)
{
    std::string out = "mtllib " + mtl_file + "\n";
    vertex_list vertices;
    std::string body;
    unsigned long current = ~0ul;
    auto use = [&](unsigned long c) {
        c &= 0xFFFFFF;
        if (c != current)
            body += "usemtl c_" + colour_hex(c) + "\n";
        current = c;
    };
    int normals = 0;
    for (const scene::triangle &t : s.triangles) {
        use(t.color);
        const int a = vertices.index(&t.corners[0], out), b = vertices.index(&t.corners[3], out),
                  c = vertices.index(&t.corners[6], out);
        out += "vn " + num(t.normal[0]) + " " + num(t.normal[1]) + " " + num(t.normal[2]) + "\n";
        const std::string n = std::to_string(++normals);
        body += "f " + std::to_string(a) + "//" + n + " " + std::to_string(b) + "//" + n + " " +
                std::to_string(c) + "//" + n + "\n";
    }
    for (const scene::line &l : s.lines) {
        use(l.color);
        const int a = vertices.index(&l.ends[0], out), b = vertices.index(&l.ends[3], out);
        body += "l " + std::to_string(a) + " " + std::to_string(b) + "\n";
    }
    for (const auto &p : s.points)
        body += "p " + std::to_string(vertices.index(p.data(), out)) + "\n";
    return out + body;
}

std::string write_svg(const scene &s)
{
    double lo[2] = {HUGE_VAL, HUGE_VAL}, hi[2] = {-HUGE_VAL, -HUGE_VAL};
    auto grow = [&](const double *p) {
        for (int i = 0; i < 2; ++i)
            if (std::isfinite(p[i])) {
                lo[i] = std::min(lo[i], p[i]);
                hi[i] = std::max(hi[i], p[i]);
            }
    };
    for (const scene::triangle &t : s.triangles)
        for (int k = 0; k < 3; ++k)
            grow(&t.corners[3 * k]);
    for (const scene::line &l : s.lines) {
        grow(&l.ends[0]);
        grow(&l.ends[3]);
    }
    for (const auto &p : s.points)
        grow(p.data());
    if (lo[0] > hi[0]) { // nothing to draw
        lo[0] = lo[1] = 0;
        hi[0] = hi[1] = 1;
    }
    double size = std::max(hi[0] - lo[0], hi[1] - lo[1]);
    if (!(size > 0))
        size = 1;
    const double margin = size / 10, stroke = size / 500;
    // SVG's y grows downwards: a drawing point (x, y) is drawn at (x, -y).
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" viewBox=\"" +
                      num(lo[0] - margin) + " " + num(-hi[1] - margin) + " " + num(hi[0] - lo[0] + 2 * margin) +
                      " " + num(hi[1] - lo[1] + 2 * margin) + "\">\n";
    auto at = [](const double *p) { return num(p[0]) + " " + num(-p[1]); };
    std::map<unsigned long, std::string> fills, strokes;
    for (const scene::triangle &t : s.triangles)
        fills[t.color & 0xFFFFFF] += "M" + at(&t.corners[0]) + "L" + at(&t.corners[3]) + "L" + at(&t.corners[6]) + "Z";
    for (const scene::line &l : s.lines)
        strokes[l.color & 0xFFFFFF] += "M" + at(&l.ends[0]) + "L" + at(&l.ends[3]);
    for (const auto &[c, d] : fills) // thin outlines of the same colour close the seams between triangles
        out += "<path fill=\"#" + colour_hex(c) + "\" stroke=\"#" + colour_hex(c) + "\" stroke-width=\"" +
               num(stroke / 4) + "\" d=\"" + d + "\"/>\n";
    for (const auto &[c, d] : strokes)
        out += "<path fill=\"none\" stroke=\"#" + colour_hex(c) + "\" stroke-width=\"" + num(stroke) +
               "\" stroke-linecap=\"round\" d=\"" + d + "\"/>\n";
    for (const auto &p : s.points)
        out += "<circle cx=\"" + num(p[0]) + "\" cy=\"" + num(-p[1]) + "\" r=\"" + num(stroke) + "\"/>\n";
    out += "</svg>\n";
    return out;
}

} // namespace dxf
