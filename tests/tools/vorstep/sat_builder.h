// Builds SAT text for test solids: vertices, straight and circular edges, and
// faces whose loops run counter-clockwise seen from outside.
#pragma once
#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "vec3.h"

class sat_builder {
public:
    struct coedge {
        int edge;
        bool reversed;
        int pcurve = -1; // record of its curve in the face's parameter plane
    };

    explicit sat_builder(int version) : version_(version) {}

    int vertex(v3 p)
    {
        int pt = add("point", nums({p.x, p.y, p.z}));
        return add("vertex", std::string(version_ >= 21200 ? "$-1 2 " : "$-1 ") + ptr(pt));
    }

    // The straight edge between two vertices, made once and shared.
    coedge line(int a, int b)
    {
        auto it = lines_.find({b, a});
        if (it != lines_.end())
            return {it->second, true};
        auto own = lines_.find({a, b});
        if (own != lines_.end())
            return {own->second, false};
        int c = add("straight-curve", "0 0 0 1 0 0 I I");
        int e = edge(a, b, c);
        lines_[{a, b}] = e;
        return {e, false};
    }

    // A full circle through vertex v, running counter-clockwise about normal.
    int circle(int v, v3 centre, v3 normal, v3 major)
    {
        int c = add("ellipse-curve", nums({centre.x, centre.y, centre.z, normal.x, normal.y, normal.z, major.x, major.y,
                                           major.z, 1}) + " I I");
        return edge(v, v, c);
    }

    // An edge from a to b (a == b: closed) along a B-spline given by its
    // distinct knots with multiplicities and its control points (x y z, or
    // x y z w when `rational`), written as an intersection curve.
    int spline_edge(int a, int b, int degree, const std::vector<std::pair<double, int>> &knots,
                    const std::vector<double> &controls, bool rational = false)
    {
        int c = add("intcurve-curve",
                    "forward { surfintcur " + spline_data(degree, knots, controls, rational) + " 0 $-1 $-1 } I I");
        return edge(a, b, c);
    }

    // A closed cubic B-spline edge at vertex v whose control points are the
    // given points (the first one repeated at the end, where the curve starts).
    int closed_spline(int v, const std::vector<v3> &pts)
    {
        std::vector<std::pair<double, int>> knots;
        int spans = static_cast<int>(pts.size()) - 2;
        for (int k = 0; k <= spans; ++k)
            knots.push_back({k, k == 0 || k == spans ? 3 : 1});
        std::vector<double> ctl;
        for (std::size_t k = 0; k <= pts.size(); ++k) {
            v3 p = pts[k % pts.size()];
            ctl.insert(ctl.end(), {p.x, p.y, p.z});
        }
        return spline_edge(v, v, 3, knots, ctl);
    }

    // A B-spline in a surface's parameter plane (controls u v, or u v w when
    // `rational`), as a pcurve record; the record number goes into a coedge.
    int pcurve(int degree, const std::vector<std::pair<double, int>> &knots, const std::vector<double> &controls,
               bool rational = false)
    {
        return add("pcurve", "0 forward { exppc " + spline_data(degree, knots, controls, rational) + " 0 } 0 0");
    }

    // A spline surface with its whole control net; `controls` run with v
    // fastest (x y z, or x y z w when `rational`).
    static std::string spline(int degree_u, int degree_v, const std::vector<std::pair<double, int>> &knots_u,
                              const std::vector<std::pair<double, int>> &knots_v, const std::vector<double> &controls,
                              bool rational = false)
    {
        std::string data = std::string(rational ? "nurbs " : "nubs ") + std::to_string(degree_u) + " " +
                           std::to_string(degree_v) + " open open none none " + std::to_string(knots_u.size()) + " " +
                           std::to_string(knots_v.size());
        for (const auto *knots : {&knots_u, &knots_v})
            for (const auto &[k, m] : *knots)
                data += " " + nums({k}) + " " + std::to_string(m);
        for (double x : controls)
            data += " " + nums({x});
        return "spline-surface forward { exactsur full " + data + " 0 } I I I I";
    }

    // Faces added from now on belong to a new body with this transform
    // (rows of the matrix, then the translation).
    void begin_body(const std::array<double, 9> &matrix, v3 move)
    {
        bodies_.push_back({faces_.size(), matrix, move});
    }

    // An edge without a curve at one vertex, as at a cone's apex.
    int point_edge(int v) { return edge(v, v, -1); }

    std::vector<coedge> polygon(const std::vector<int> &vs)
    {
        std::vector<coedge> out;
        for (std::size_t k = 0; k < vs.size(); ++k)
            out.push_back(line(vs[k], vs[(k + 1) % vs.size()]));
        return out;
    }

    static std::string plane(v3 root, v3 n, v3 u)
    {
        return "plane-surface " + nums({root.x, root.y, root.z, n.x, n.y, n.z, u.x, u.y, u.z}) + " forward_v I I I I";
    }
    static std::string cone(v3 c, v3 axis, v3 major, double sine, double cosine)
    {
        return "cone-surface " + nums({c.x, c.y, c.z, axis.x, axis.y, axis.z, major.x, major.y, major.z, 1}) +
               " I I " + nums({sine, cosine, length(major)}) + " forward I I I I";
    }
    static std::string sphere(v3 c, double r)
    {
        return "sphere-surface " + nums({c.x, c.y, c.z, r, 1, 0, 0, 0, 0, 1}) + " forward_v I I I I";
    }
    static std::string torus(v3 c, v3 axis, double major, double minor)
    {
        return "torus-surface " + nums({c.x, c.y, c.z, axis.x, axis.y, axis.z, major, minor, 1, 0, 0}) +
               " forward_v I I I I";
    }

    void face(const std::string &surface, std::vector<std::vector<coedge>> loops, bool reversed = false)
    {
        faces_.push_back({surface, std::move(loops), reversed});
    }

    // The whole file; `prefixes` writes "-n " before each record, `crlf` ends lines with CR LF.
    std::string text(bool header = true, bool prefixes = false, bool crlf = false, v3 move = {}) const
    {
        // Topology goes after the geometry records made so far.
        std::vector<std::string> recs = records_;
        auto reserve = [&]() {
            recs.emplace_back();
            return static_cast<int>(recs.size()) - 1;
        };
        std::vector<body_spec> bodies = bodies_;
        if (bodies.empty() || bodies.front().first_face != 0)
            bodies.insert(bodies.begin(), body_spec{0, {1, 0, 0, 0, 1, 0, 0, 0, 1}, move});
        std::vector<int> face_ids(faces_.size()), shell_of(faces_.size());
        for (std::size_t b = 0; b < bodies.size(); ++b) {
            std::size_t from = bodies[b].first_face, to = b + 1 < bodies.size() ? bodies[b + 1].first_face : faces_.size();
            int body = reserve(), lump = reserve(), shell = reserve(), xf = reserve();
            for (std::size_t f = from; f < to; ++f) {
                face_ids[f] = reserve();
                shell_of[f] = shell;
            }
            recs[static_cast<std::size_t>(body)] =
                rec("body", std::string(version_ >= 3000 ? "$-1 7 " : "$-1 ") + ptr(lump) + " $-1 " + ptr(xf));
            recs[static_cast<std::size_t>(lump)] = rec("lump", "$-1 $-1 " + ptr(shell) + " " + ptr(body));
            recs[static_cast<std::size_t>(shell)] = rec("shell", "$-1 $-1 $-1 " + ptr(from < to ? face_ids[from] : -1) +
                                                                     (version_ >= 200 ? " $-1 " : " ") + ptr(lump));
            const auto &m = bodies[b].matrix;
            v3 t = bodies[b].move;
            // A transform carries one integer at most, whatever the version.
            recs[static_cast<std::size_t>(xf)] =
                std::string("transform ") + (version_ >= 600 ? "$-1 -1 " : "$-1 ") +
                nums({m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], t.x, t.y, t.z}) +
                " 1 no_rotate no_reflect no_shear #";
        }
        auto last_of_body = [&](std::size_t f) {
            for (std::size_t b = 1; b < bodies.size(); ++b)
                if (bodies[b].first_face == f + 1)
                    return true;
            return f + 1 == faces_.size();
        };
        for (std::size_t f = 0; f < faces_.size(); ++f) {
            const auto &F = faces_[f];
            int surf = static_cast<int>(recs.size());
            recs.push_back(rec_raw(F.surface));
            std::vector<int> loop_ids;
            for (std::size_t l = 0; l < F.loops.size(); ++l)
                loop_ids.push_back(reserve());
            for (std::size_t l = 0; l < F.loops.size(); ++l) {
                const auto &L = F.loops[l];
                int first = static_cast<int>(recs.size());
                int n = static_cast<int>(L.size());
                for (int k = 0; k < n; ++k) {
                    int next = first + (k + 1) % n, prev = first + (k + n - 1) % n;
                    recs.push_back(rec("coedge", "$-1 " + ptr(next) + " " + ptr(prev) + " $-1 " +
                                                     ptr(edges_[static_cast<std::size_t>(L[static_cast<std::size_t>(k)].edge)]) +
                                                     (L[static_cast<std::size_t>(k)].reversed ? " reversed " : " forward ") +
                                                     ptr(loop_ids[l]) + " " + ptr(L[static_cast<std::size_t>(k)].pcurve)));
                }
                int next_loop = l + 1 < F.loops.size() ? loop_ids[l + 1] : -1;
                recs[static_cast<std::size_t>(loop_ids[l])] =
                    rec("loop", "$-1 " + ptr(next_loop) + " " + ptr(first) + " " + ptr(face_ids[f]));
            }
            int next_face = last_of_body(f) ? -1 : face_ids[f + 1];
            recs[static_cast<std::size_t>(face_ids[f])] =
                rec("face", "$-1 " + ptr(next_face) + " " + ptr(loop_ids.empty() ? -1 : loop_ids[0]) + " " +
                                ptr(shell_of[f]) + " $-1 " + ptr(surf) + (F.reversed ? " reversed" : " forward") + " single");
        }
        std::string eol = crlf ? "\r\n" : "\n";
        std::string out;
        if (header) {
            out += std::to_string(version_) + " 0 1 0" + eol;
            if (version_ >= 200) {
                out += version_ >= 700 ? "@8 skelvane @11 Vorstep 7.0 @24 Mon Jan 01 00:00:00 2001"
                                       : "8 skelvane 11 Vorstep 4.0 24 Mon Jan 01 00:00:00 2001";
                out += eol + "1 9.9999999999999995e-007 1e-010" + eol;
            }
            if (version_ >= 2600 && version_ < 20000)
                out += "T @24 Mon Jan 01 00:00:00 2001 1 0" + eol;
        }
        for (std::size_t k = 0; k < recs.size(); ++k)
            out += (prefixes ? "-" + std::to_string(k) + " " : "") + recs[k] + eol;
        out += "End-of-ACIS-data" + eol;
        return out;
    }

private:
    struct body_spec {
        std::size_t first_face;
        std::array<double, 9> matrix;
        v3 move;
    };
    struct face_spec {
        std::string surface;
        std::vector<std::vector<coedge>> loops;
        bool reversed;
    };

    static std::string ptr(int i) { return "$" + std::to_string(i); }
    static std::string spline_data(int degree, const std::vector<std::pair<double, int>> &knots,
                                   const std::vector<double> &controls, bool rational)
    {
        std::string data = std::string(rational ? "nurbs " : "nubs ") + std::to_string(degree) + " open " +
                           std::to_string(knots.size());
        for (const auto &[k, m] : knots)
            data += " " + nums({k}) + " " + std::to_string(m);
        for (double x : controls)
            data += " " + nums({x});
        return data;
    }
    static std::string nums(std::initializer_list<double> xs)
    {
        std::string s;
        char b[40];
        for (double x : xs) {
            std::snprintf(b, sizeof b, "%.17g", x);
            s += (s.empty() ? "" : " ") + std::string(b);
        }
        return s;
    }
    // Inserts the entity fields of the version after the attribute pointer.
    std::string rec(const std::string &name, const std::string &fields) const
    {
        std::string rest = fields.substr(3); // after "$-1"
        std::string hdr = version_ >= 1600  ? "$-1 -1 -1 $-1"
                          : version_ >= 700 ? "$-1 -1 $-1"
                          : version_ >= 600 ? "$-1 -1"
                                            : "$-1";
        std::string body = hdr + rest;
        if (name == "edge" && version_ >= 700)
            body += " @7 unknown";
        return name + " " + body + " #";
    }
    std::string rec_raw(const std::string &surface) const
    {
        std::size_t sp = surface.find(' ');
        return rec(surface.substr(0, sp), "$-1" + surface.substr(sp));
    }
    int add(const std::string &name, const std::string &fields)
    {
        records_.push_back(rec(name, "$-1 " + fields));
        return static_cast<int>(records_.size()) - 1;
    }
    int edge(int a, int b, int curve)
    {
        int e = add("edge", ptr(a) + " " + ptr(b) + " $-1 " + ptr(curve) + " forward");
        edges_.push_back(e);
        return static_cast<int>(edges_.size()) - 1;
    }

    int version_;
    std::vector<std::string> records_;
    std::vector<int> edges_; // edge number -> record
    std::map<std::pair<int, int>, int> lines_;
    std::vector<face_spec> faces_;
    std::vector<body_spec> bodies_;
};
