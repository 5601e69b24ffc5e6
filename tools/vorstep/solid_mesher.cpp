#include "solid_mesher.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

#include "edge_tracing.h"
#include "polygon_triangulation.h"
#include "region_refiner.h"
#include "surface_param.h"

namespace {

constexpr double two_pi = 6.283185307179586476925286766559;
constexpr std::size_t max_face_vertices = 200000;

// Angle step that keeps the chord of an arc of this radius within tol (and
// within a small share of the radius, so that small features stay round).
double angle_step(double radius, double tol)
{
    tol = std::min(tol, radius * 1e-3);
    double step = std::acos(std::max(-1.0, 1.0 - tol / std::max(radius, 1e-300))) * 2.0;
    return std::clamp(step, 1e-3, two_pi / 24.0);
}

double wrap_pi(double a)
{
    a = std::fmod(a, two_pi);
    if (a > two_pi / 2)
        a -= two_pi;
    if (a <= -two_pi / 2)
        a += two_pi;
    return a;
}

std::string surface_label(const sat_surface &s) { return s.name.empty() ? "unknown surface" : s.name; }

// One loop of a curved face in the (u, v) plane, unwrapped.
struct uv_loop {
    std::vector<int> ring; // indices into the face's vertices
    int wrap_u = 0;
    int wrap_v = 0;
    double mean_v = 0.0;
};

class mesher {
public:
    mesher(const sat_model &m, double tol, std::size_t max_triangles, mesh_result &out)
        : m_(m), tol_(tol), max_triangles_(max_triangles), out_(out), edge_cache_(m.edges.size()), edge_surfaces_(m.edges.size()),
          params_(m.surfaces.size()), param_ok_(m.surfaces.size(), 0)
    {
        for (std::size_t s = 0; s < m.surfaces.size(); ++s)
            param_ok_[s] = m.surfaces[s].kind != surface_kind::unsupported && make_surface_param(m.surfaces[s], params_[s]);
        for (const auto &f : m.faces)
            for (const auto &loop : f.loops)
                for (const auto &ce : loop) {
                    auto &list = edge_surfaces_[static_cast<std::size_t>(ce.edge)];
                    if (std::find(list.begin(), list.end(), f.surface) == list.end())
                        list.push_back(f.surface);
                }
    }

    void run()
    {
        // Once a face has gone past the limit, the rest are not tried: each
        // could cost as much again.
        bool full = false;
        for (const auto &f : m_.faces) {
            std::size_t before = out_.triangles.size();
            if (!full && face(f) && out_.triangles.size() <= max_triangles_)
                ++out_.faces_meshed;
            else {
                full = full || out_.triangles.size() > max_triangles_;
                if (full)
                    warn("skipped faces beyond the limit of " + std::to_string(max_triangles_) + " triangles");
                out_.triangles.resize(before);
                ++out_.faces_skipped;
            }
        }
    }

private:
    void warn(const std::string &w)
    {
        if (std::find(out_.warnings.begin(), out_.warnings.end(), w) == out_.warnings.end())
            out_.warnings.push_back(w);
    }

    // Points along an edge from its start vertex to its end vertex; shared by
    // both faces of the edge so that the mesh closes.
    const std::vector<v3> *edge_points(int e)
    {
        auto &slot = edge_cache_[static_cast<std::size_t>(e)];
        if (slot)
            return slot->empty() ? nullptr : &*slot;
        const sat_edge &E = m_.edges[static_cast<std::size_t>(e)];
        v3 p0 = m_.vertices[static_cast<std::size_t>(E.start)], p1 = m_.vertices[static_cast<std::size_t>(E.end)];
        std::vector<v3> pts;
        const sat_curve *c = E.curve >= 0 ? &m_.curves[static_cast<std::size_t>(E.curve)] : nullptr;
        if (!c || c->kind == curve_kind::none || c->kind == curve_kind::straight) {
            pts = {p0, p1};
        } else if (c->kind == curve_kind::ellipse) {
            double a = length(c->major);
            v3 x = c->major * (1.0 / a), n = c->direction;
            v3 y = cross(n, x);
            double b = a * c->ratio;
            auto theta = [&](v3 p) { return std::atan2(dot(p - c->origin, y) / b, dot(p - c->origin, x) / a); };
            double t0 = theta(p0), t1 = theta(p1);
            double d = t1 - t0;
            bool closed = E.start == E.end;
            if (!E.reversed) {
                while (d <= 1e-12)
                    d += two_pi;
                while (d > two_pi + 1e-12)
                    d -= two_pi;
                if (closed)
                    d = two_pi;
            } else {
                while (d >= -1e-12)
                    d -= two_pi;
                while (d < -two_pi - 1e-12)
                    d += two_pi;
                if (closed)
                    d = -two_pi;
            }
            // As fine as the faces at the edge are refined, or their triangles
            // along it can never meet the tolerance.
            int n_seg = std::max(1, static_cast<int>(std::ceil(std::fabs(d) / angle_step(a, edge_tol(e)))));
            pts.push_back(p0);
            for (int k = 1; k < n_seg; ++k) {
                double t = t0 + d * k / n_seg;
                pts.push_back(c->origin + x * (a * std::cos(t)) + y * (b * std::sin(t)));
            }
            pts.push_back(p1);
        } else if (c->kind == curve_kind::bspline) {
            // Pull the approximation onto the surfaces that meet at the edge.
            const surface_param *on[2] = {nullptr, nullptr};
            int found = 0;
            for (int s : edge_surfaces_[static_cast<std::size_t>(e)])
                if (found < 2 && param_ok_[static_cast<std::size_t>(s)])
                    on[found++] = &params_[static_cast<std::size_t>(s)];
            std::string why;
            if (!trace_spline_edge(*c, p0, p1, E.start == E.end, E.reversed != c->spline_reversed, on[0], on[1],
                                   edge_tol(e), pts, why)) {
                warn("skipped faces bounded by a " + c->name + " edge (" + why + ")");
                slot.emplace();
                return nullptr;
            }
        } else {
            warn("skipped faces bounded by a " + c->name + " edge (" +
                 (c->why.empty() ? std::string("curve type not supported") : c->why) + ")");
            slot.emplace();
            return nullptr;
        }
        slot = std::move(pts);
        return &*slot;
    }

    // The chordal tolerance of a face on this surface: tighter than the
    // model's for small curved surfaces, so that they stay round.
    double surface_tol(const surface_param &s) const
    {
        if (s.kind == surface_kind::plane)
            return tol_;
        return std::min(tol_, (s.kind == surface_kind::torus ? s.minor : s.radius) * 1e-3);
    }

    // The chordal tolerance for an edge: as fine as the faces it bounds need.
    double edge_tol(int e) const
    {
        double t = tol_;
        for (int s : edge_surfaces_[static_cast<std::size_t>(e)])
            if (param_ok_[static_cast<std::size_t>(s)])
                t = std::min(t, surface_tol(params_[static_cast<std::size_t>(s)]));
        return t;
    }

    // The 3D points of each loop, without repeated neighbours; false when an
    // edge cannot be followed.
    bool loop_points(const sat_face &f, std::vector<std::vector<v3>> &loops)
    {
        for (const auto &loop : f.loops) {
            std::vector<v3> pts;
            for (const auto &ce : loop) {
                const std::vector<v3> *ep = edge_points(ce.edge);
                if (!ep)
                    return false;
                auto add = [&](v3 p) {
                    if (pts.empty() || !same_point(pts.back(), p))
                        pts.push_back(p);
                };
                if (ce.reversed)
                    for (auto it = ep->rbegin(); it != ep->rend(); ++it)
                        add(*it);
                else
                    for (v3 p : *ep)
                        add(p);
            }
            while (pts.size() > 1 && same_point(pts.front(), pts.back()))
                pts.pop_back();
            loops.push_back(std::move(pts));
        }
        return true;
    }

    void emit(v3 a, v3 b, v3 c, bool reverse)
    {
        if (same_point(a, b) || same_point(b, c) || same_point(c, a))
            return;
        if (reverse)
            std::swap(b, c);
        out_.triangles.push_back({a, b, c});
    }

    bool face(const sat_face &f)
    {
        const sat_surface &s = m_.surfaces[static_cast<std::size_t>(f.surface)];
        surface_param sp;
        if (s.kind == surface_kind::unsupported || !make_surface_param(s, sp)) {
            warn("skipped faces on a " + surface_label(s) + " (surface type not supported)");
            return false;
        }
        std::vector<std::vector<v3>> loops;
        if (!loop_points(f, loops))
            return false;
        if (sp.kind == surface_kind::plane)
            return plane_face(f, sp, loops);
        bool flip = sp.outward * (f.reversed ? -1 : 1) < 0;
        if (curved_face(sp, loops, flip, false))
            return true;
        // The loops did not close off a region the usual way round: try the
        // other side, keeping the triangles facing along the face normal.
        bool ok = curved_face(sp, loops, !flip, true);
        if (!ok)
            warn("skipped a face on a " + surface_label(s) + " whose boundary could not be followed");
        return ok;
    }

    bool plane_face(const sat_face &f, const surface_param &sp, const std::vector<std::vector<v3>> &loops)
    {
        v3 n = sp.axis * (f.reversed ? -1.0 : 1.0);
        v3 x = sp.xdir, y = cross(n, x);
        std::vector<dvert> verts;
        std::vector<v2> uv;
        std::vector<std::vector<int>> rings;
        for (const auto &loop : loops) {
            if (loop.size() < 3)
                continue;
            std::vector<int> ring;
            for (v3 p : loop) {
                ring.push_back(static_cast<int>(verts.size()));
                verts.push_back({{dot(p - sp.centre, x), dot(p - sp.centre, y)}, p});
                uv.push_back(verts.back().uv);
            }
            rings.push_back(std::move(ring));
        }
        if (rings.empty()) {
            warn("skipped a face on a " + surface_label(m_.surfaces[static_cast<std::size_t>(f.surface)]) +
                 " whose boundary encloses nothing");
            return false;
        }
        std::size_t outer = 0;
        for (std::size_t k = 1; k < rings.size(); ++k)
            if (std::fabs(polygon_area2(uv, rings[k])) > std::fabs(polygon_area2(uv, rings[outer])))
                outer = k;
        std::vector<std::vector<int>> holes;
        for (std::size_t k = 0; k < rings.size(); ++k)
            if (k != outer)
                holes.push_back(rings[k]);
        for (const auto &t : triangulate_polygon(uv, rings[outer], holes))
            emit(verts[static_cast<std::size_t>(t[0])].xyz, verts[static_cast<std::size_t>(t[1])].xyz,
                 verts[static_cast<std::size_t>(t[2])].xyz, false);
        return true;
    }

    // ---- curved faces -------------------------------------------------------

    struct face_frame {
        surface_param sp;
        bool flip = false;
        bool transposed = false;
        v2 to_uv(v2 raw) const
        {
            double u = flip ? -raw.u : raw.u, v = raw.v;
            return transposed ? v2{v, -u} : v2{u, v};
        }
        v3 eval(v2 uv) const
        {
            double u = transposed ? -uv.v : uv.u, v = transposed ? uv.u : uv.v;
            return sp.eval(flip ? -u : u, v);
        }
        bool periodic_v() const { return sp.periodic_v(); }
    };

    bool singular(const surface_param &sp, v3 p) const
    {
        v3 d = p - sp.centre;
        if (sp.has_poles()) {
            double z = dot(d, sp.axis);
            return length(d - sp.axis * z) < 1e-9 * std::max(sp.radius, sp.minor);
        }
        double va;
        if (sp.apex(va)) {
            v3 apex = sp.centre + sp.axis * va;
            return length(p - apex) < 1e-9 * std::max(sp.radius, std::fabs(va));
        }
        return false;
    }

    // Picks the sphere's axis so that no loop runs close to a pole.
    void choose_sphere_axis(surface_param &sp, const std::vector<std::vector<v3>> &loops) const
    {
        std::vector<v3> candidates = {sp.axis, sp.xdir, sp.ydir};
        for (const auto &loop : loops) {
            v3 n;
            for (std::size_t k = 0; k < loop.size(); ++k) {
                v3 a = loop[k] - sp.centre, b = loop[(k + 1) % loop.size()] - sp.centre;
                n = n + cross(a, b);
            }
            if (normalize(n))
                candidates.push_back(n);
        }
        double best = -1.0;
        v3 chosen = sp.axis;
        for (v3 c : candidates) {
            double worst = 1.0;
            for (const auto &loop : loops)
                for (v3 p : loop) {
                    v3 d = p - sp.centre;
                    normalize(d);
                    worst = std::min(worst, 1.0 - std::fabs(dot(d, c)));
                }
            if (worst > best + 1e-9) {
                best = worst;
                chosen = c;
            }
        }
        sp.axis = chosen;
        sp.xdir = any_perpendicular(chosen);
        sp.ydir = cross(sp.axis, sp.xdir);
    }

    int add(std::vector<dvert> &verts, v2 uv, v3 xyz)
    {
        verts.push_back({uv, xyz});
        return static_cast<int>(verts.size()) - 1;
    }

    // Unwraps one loop into the (u, v) plane; singular points (poles, apex) take
    // the u of their neighbours.  False for a loop that is a single point.
    bool make_uv_loop(const face_frame &fr, const std::vector<v3> &pts, std::vector<dvert> &verts, uv_loop &out)
    {
        std::vector<v2> uv(pts.size());
        std::vector<char> sing(pts.size());
        std::size_t first = pts.size();
        for (std::size_t k = 0; k < pts.size(); ++k) {
            sing[k] = singular(fr.sp, pts[k]);
            uv[k] = fr.to_uv(fr.sp.inverse(pts[k]));
            if (!sing[k] && first == pts.size())
                first = k;
        }
        if (first == pts.size() || pts.size() < 2)
            return false;
        bool pu = true, pv = fr.periodic_v();
        // Unwrap the regular points in loop order, starting at a regular one.
        std::vector<std::size_t> order;
        for (std::size_t k = 0; k < pts.size(); ++k)
            order.push_back((first + k) % pts.size());
        v2 last = uv[first];
        for (std::size_t k : order) {
            if (sing[k])
                continue;
            if (pu)
                uv[k].u = last.u + wrap_pi(uv[k].u - last.u);
            if (pv)
                uv[k].v = last.v + wrap_pi(uv[k].v - last.v);
            last = uv[k];
        }
        double close_u = last.u + (pu ? wrap_pi(uv[first].u - last.u) : uv[first].u - last.u);
        double close_v = last.v + (pv ? wrap_pi(uv[first].v - last.v) : uv[first].v - last.v);
        out.wrap_u = static_cast<int>(std::lround((close_u - uv[first].u) / two_pi));
        out.wrap_v = static_cast<int>(std::lround((close_v - uv[first].v) / two_pi));
        double prev_u = uv[first].u;
        double sum_v = 0.0;
        for (std::size_t idx = 0; idx < order.size(); ++idx) {
            std::size_t k = order[idx];
            if (!sing[k]) {
                out.ring.push_back(add(verts, uv[k], pts[k]));
                prev_u = uv[k].u;
                sum_v += uv[k].v;
                continue;
            }
            double next_u = close_u;
            for (std::size_t j = idx + 1; j < order.size(); ++j)
                if (!sing[order[j]]) {
                    next_u = uv[order[j]].u;
                    break;
                }
            out.ring.push_back(add(verts, {prev_u, uv[k].v}, pts[k]));
            if (std::fabs(next_u - prev_u) > 1e-9)
                out.ring.push_back(add(verts, {next_u, uv[k].v}, pts[k]));
            sum_v += uv[k].v;
        }
        out.mean_v = sum_v / static_cast<double>(pts.size());
        return true;
    }

    // Points strictly between a and b along the surface, close enough to it.
    void seam_points(const face_frame &fr, v2 a, v3 xa, v2 b, v3 xb, int depth, std::vector<dvert> &out)
    {
        v2 mid{(a.u + b.u) / 2, (a.v + b.v) / 2};
        v3 xm = fr.eval(mid);
        if (depth > 14 || length(xm - (xa + xb) * 0.5) <= face_tol_)
            return;
        seam_points(fr, a, xa, mid, xm, depth + 1, out);
        out.push_back({mid, xm});
        seam_points(fr, mid, xm, b, xb, depth + 1, out);
    }

    // A chain of boundary points in polygon order.
    using chain = std::vector<dvert>;

    chain loop_chain(const std::vector<dvert> &verts, const uv_loop &L, std::size_t start, v2 shift)
    {
        chain c;
        std::size_t n = L.ring.size();
        double step = two_pi * L.wrap_u;
        for (std::size_t k = 0; k <= n; ++k) {
            std::size_t pos = (start + k) % n;
            dvert d = verts[static_cast<std::size_t>(L.ring[pos])];
            d.uv.u += shift.u + ((start + k >= n) ? step : 0.0);
            d.uv.v += shift.v;
            c.push_back(d);
        }
        return c;
    }

    chain singular_line(const face_frame &fr, double u_from, double u_to, double v)
    {
        chain c;
        v3 p = fr.eval({u_from, v});
        int n = std::max(4, static_cast<int>(std::ceil(two_pi / angle_step(fr.sp.u_scale(), tol_))));
        for (int k = 0; k <= n; ++k)
            c.push_back({{u_from + (u_to - u_from) * k / n, v}, p});
        return c;
    }

    // lower runs +u over one period, upper runs -u; the two seams close the strip.
    std::vector<int> strip_polygon(const face_frame &fr, const chain &lower, const chain &upper, std::vector<dvert> &verts)
    {
        std::vector<int> poly;
        for (const auto &d : lower)
            poly.push_back(add(verts, d.uv, d.xyz));
        std::vector<dvert> seam;
        seam_points(fr, lower.back().uv, lower.back().xyz, upper.front().uv, upper.front().xyz, 0, seam);
        for (const auto &d : seam)
            poly.push_back(add(verts, d.uv, d.xyz));
        for (const auto &d : upper)
            poly.push_back(add(verts, d.uv, d.xyz));
        double du = upper.back().uv.u - upper.front().uv.u;
        for (auto it = seam.rbegin(); it != seam.rend(); ++it)
            poly.push_back(add(verts, {it->uv.u + du, it->uv.v}, it->xyz));
        return poly;
    }

    bool curved_face(surface_param sp, const std::vector<std::vector<v3>> &loops, bool flip, bool reverse_output)
    {
        if (sp.kind == surface_kind::sphere)
            choose_sphere_axis(sp, loops);
        face_tol_ = surface_tol(sp);
        face_frame fr{sp, flip, false};
        std::vector<dvert> verts;
        std::vector<uv_loop> uvl;
        auto build = [&]() {
            verts.clear();
            uvl.clear();
            for (const auto &pts : loops) {
                uv_loop L;
                if (make_uv_loop(fr, pts, verts, L))
                    uvl.push_back(std::move(L));
            }
        };
        build();
        if (sp.kind == surface_kind::torus) {
            bool any_u = false, any_v = false;
            for (const auto &L : uvl) {
                any_u = any_u || L.wrap_u != 0;
                any_v = any_v || L.wrap_v != 0;
            }
            if (any_v && !any_u) {
                fr.transposed = true;
                build();
            }
        }
        for (const auto &L : uvl)
            if (std::abs(L.wrap_u) > 1 || L.wrap_v != 0 || L.ring.size() < 2)
                return false;
        if (uvl.empty())
            return full_surface(fr, reverse_output);

        std::vector<const uv_loop *> lowers, uppers, closed;
        for (const auto &L : uvl)
            (L.wrap_u > 0 ? lowers : L.wrap_u < 0 ? uppers : closed).push_back(&L);

        struct region {
            std::vector<int> outer;
            std::vector<std::vector<int>> holes;
        };
        std::vector<region> regions;
        std::vector<v2> closed_us;
        for (const auto *L : closed)
            for (int i : L->ring)
                closed_us.push_back(verts[static_cast<std::size_t>(i)].uv);

        // Seam start on a wrapping loop: as far from the closed loops as possible.
        auto seam_start = [&](const uv_loop &L) {
            std::size_t best = 0;
            double best_d = -1.0;
            for (std::size_t k = 0; k < L.ring.size() && !closed_us.empty(); ++k) {
                double u = verts[static_cast<std::size_t>(L.ring[k])].uv.u, d = 1e300;
                for (v2 q : closed_us)
                    d = std::min(d, std::fabs(wrap_pi(q.u - u)));
                if (d > best_d) {
                    best_d = d;
                    best = k;
                }
            }
            return best;
        };
        auto nearest_on = [&](const uv_loop &U, double u) {
            std::size_t best = 0;
            double best_d = 1e300;
            for (std::size_t k = 0; k < U.ring.size(); ++k) {
                double d = std::fabs(wrap_pi(verts[static_cast<std::size_t>(U.ring[k])].uv.u - u));
                if (d < best_d) {
                    best_d = d;
                    best = k;
                }
            }
            return best;
        };
        double apex_v = 0.0;
        bool has_apex = fr.sp.apex(apex_v);
        auto singular_v = [&](bool above, double from_v, double &v) {
            if (fr.sp.has_poles()) {
                v = above ? fr.sp.pole_v() : -fr.sp.pole_v();
                return true;
            }
            if (has_apex && (above ? apex_v > from_v : apex_v < from_v)) {
                v = apex_v;
                return true;
            }
            return false;
        };

        std::vector<char> used(uppers.size(), 0);
        for (const auto *L : lowers) {
            std::size_t i = seam_start(*L);
            v2 li = verts[static_cast<std::size_t>(L->ring[i])].uv;
            chain lower = loop_chain(verts, *L, i, {0, 0});
            int best = -1;
            double best_gap = 1e300;
            for (std::size_t k = 0; k < uppers.size(); ++k) {
                if (used[k])
                    continue;
                double gap = uppers[k]->mean_v - L->mean_v;
                if (fr.periodic_v() || fr.transposed)
                    gap = std::fmod(std::fmod(gap, two_pi) + two_pi, two_pi);
                if (gap > 0 && gap < best_gap) {
                    best_gap = gap;
                    best = static_cast<int>(k);
                }
            }
            chain upper;
            if (best >= 0) {
                used[static_cast<std::size_t>(best)] = 1;
                const uv_loop &U = *uppers[static_cast<std::size_t>(best)];
                std::size_t j = nearest_on(U, li.u);
                v2 uj = verts[static_cast<std::size_t>(U.ring[j])].uv;
                double su = std::round((li.u - uj.u) / two_pi) * two_pi + two_pi;
                double sv = (L->mean_v + best_gap) - U.mean_v;
                upper = loop_chain(verts, U, j, {su, sv});
            } else {
                double v;
                if (!singular_v(true, L->mean_v, v))
                    return false;
                upper = singular_line(fr, li.u + two_pi, li.u, v);
            }
            regions.push_back({strip_polygon(fr, lower, upper, verts), {}});
        }
        for (std::size_t k = 0; k < uppers.size(); ++k) {
            if (used[k])
                continue;
            const uv_loop &U = *uppers[k];
            double v;
            if (!singular_v(false, U.mean_v, v))
                return false;
            std::size_t j = seam_start(U);
            v2 uj = verts[static_cast<std::size_t>(U.ring[j])].uv;
            chain upper = loop_chain(verts, U, j, {0, 0});
            chain lower = singular_line(fr, uj.u - two_pi, uj.u, v);
            regions.push_back({strip_polygon(fr, lower, upper, verts), {}});
        }
        std::vector<const uv_loop *> holes;
        for (const auto *L : closed) {
            std::vector<v2> uv;
            for (const auto &d : verts)
                uv.push_back(d.uv);
            if (polygon_area2(uv, L->ring) > 0 && lowers.empty() && uppers.empty())
                regions.push_back({L->ring, {}});
            else
                holes.push_back(L);
        }
        if (regions.empty())
            return false;
        for (const auto *H : holes) {
            bool placed = false;
            v2 p0 = verts[static_cast<std::size_t>(H->ring[0])].uv;
            for (auto &r : regions) {
                std::vector<v2> uv;
                for (const auto &d : verts)
                    uv.push_back(d.uv);
                for (int ku = -2; ku <= 2 && !placed; ++ku)
                    for (int kv = -1; kv <= 1 && !placed; ++kv) {
                        if (kv != 0 && !fr.periodic_v())
                            continue;
                        v2 shift{ku * two_pi, kv * two_pi};
                        if (!point_in_polygon(uv, r.outer, {p0.u + shift.u, p0.v + shift.v}))
                            continue;
                        std::vector<int> ring;
                        for (int i : H->ring) {
                            dvert d = verts[static_cast<std::size_t>(i)];
                            ring.push_back(add(verts, {d.uv.u + shift.u, d.uv.v + shift.v}, d.xyz));
                        }
                        r.holes.push_back(std::move(ring));
                        placed = true;
                    }
                if (placed)
                    break;
            }
            if (!placed)
                return false;
        }
        for (auto &r : regions)
            mesh_region(fr, verts, r.outer, r.holes, reverse_output);
        return true;
    }

    // A sphere or torus face without any loop.
    bool full_surface(const face_frame &fr, bool reverse_output)
    {
        const surface_param &sp = fr.sp;
        if (sp.kind != surface_kind::sphere && sp.kind != surface_kind::torus)
            return false;
        // A ring torus closes on itself in v; a sphere or apple runs from pole to pole.
        bool ring = sp.periodic_v();
        double pole = sp.pole_v();
        double outer = sp.kind == surface_kind::torus ? sp.radius + sp.minor : sp.radius;
        int nu = static_cast<int>(std::ceil(two_pi / angle_step(outer, tol_)));
        int nv = ring ? static_cast<int>(std::ceil(two_pi / angle_step(sp.minor, tol_)))
                      : std::max({4, nu / 2, static_cast<int>(std::ceil(2 * pole / angle_step(std::max(sp.radius, sp.minor), tol_)))});
        int rows = ring ? nv : nv + 1;
        std::vector<v3> grid(static_cast<std::size_t>(rows * nu));
        auto at = [&](int i, int j) -> v3 & { return grid[static_cast<std::size_t>(((j % rows) * nu) + (i % nu))]; };
        v3 south = sp.eval(0, -pole), north = sp.eval(0, pole);
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < nu; ++i) {
                double u = two_pi * i / nu;
                double v = ring ? two_pi * j / nv : -pole + 2 * pole * j / nv;
                at(i, j) = (!ring && j == 0) ? south : (!ring && j == nv) ? north : sp.eval(u, v);
            }
        // S_u x S_v points outward; flip turns the face inward.
        bool rev = fr.flip != reverse_output;
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                v3 a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
                emit(a, b, c, rev);
                emit(c, d, a, rev);
            }
        return true;
    }

    static std::uint64_t key(int a, int b)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
    }

    // Triangulates one region and refines it until the triangles lie within
    // the tolerance of the surface.
    void mesh_region(const face_frame &fr, std::vector<dvert> &verts, const std::vector<int> &outer,
                     const std::vector<std::vector<int>> &holes, bool reverse_output)
    {
        double us = fr.sp.u_scale(), vs = fr.sp.v_scale();
        if (fr.transposed)
            std::swap(us, vs);
        std::vector<v2> scaled;
        scaled.reserve(verts.size());
        for (const auto &d : verts)
            scaled.push_back({d.uv.u * us, d.uv.v * vs});
        std::vector<tri_indices> tris = triangulate_polygon(scaled, outer, holes);
        refine_settings rs;
        rs.u_scale = us;
        rs.v_scale = vs;
        rs.tolerance = face_tol_;
        rs.max_vertices = verts.size() + max_face_vertices;
        refine_region(verts, tris, [&fr](v2 uv) { return fr.eval(uv); }, rs);
        for (const auto &t : tris)
            emit(verts[static_cast<std::size_t>(t[0])].xyz, verts[static_cast<std::size_t>(t[1])].xyz,
                 verts[static_cast<std::size_t>(t[2])].xyz, reverse_output);
    }

    const sat_model &m_;
    double tol_;
    std::size_t max_triangles_;
    double face_tol_ = 0.0; // tol_, tightened for small curved faces
    mesh_result &out_;
    std::vector<std::optional<std::vector<v3>>> edge_cache_;
    std::vector<std::vector<int>> edge_surfaces_; // the surfaces of the faces at each edge
    std::vector<surface_param> params_;
    std::vector<char> param_ok_;
};

} // namespace

double model_tolerance(const sat_model &model)
{
    v3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    auto grow = [&](v3 p, double r) {
        lo = {std::min(lo.x, p.x - r), std::min(lo.y, p.y - r), std::min(lo.z, p.z - r)};
        hi = {std::max(hi.x, p.x + r), std::max(hi.y, p.y + r), std::max(hi.z, p.z + r)};
    };
    for (v3 p : model.vertices)
        grow(p, 0.0);
    // A closed curve may pass through a single vertex: its size counts too.
    for (const auto &c : model.curves)
        if (c.kind == curve_kind::ellipse)
            grow(c.origin, length(c.major) * std::max(1.0, c.ratio));
        else if (c.kind == curve_kind::bspline)
            for (v3 p : c.spline.controls)
                grow(p, 0.0);
    for (const auto &s : model.surfaces)
        if (s.kind == surface_kind::sphere)
            grow(s.origin, std::fabs(s.radius));
        else if (s.kind == surface_kind::torus)
            grow(s.origin, std::fabs(s.radius) + std::fabs(s.minor));
    double diag = hi.x >= lo.x ? length(hi - lo) : 0.0;
    if (!(diag > 0.0) || !std::isfinite(diag))
        return 1e-6;
    return diag * 5e-4;
}

void mesh_model(const sat_model &model, double tolerance, mesh_result &out, std::size_t max_triangles)
{
    mesher(model, tolerance, max_triangles, out).run();
}
