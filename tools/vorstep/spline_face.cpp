#include "spline_face.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "face_region.h"
#include "polygon_triangulation.h"

namespace {

struct sample {
    v2 uv;
    v3 xyz;
};

// A loop in the (u, v) plane: its points, and how often it goes round the
// closed directions of the surface.
struct laid_loop {
    std::vector<int> ring;
    int wrap_u = 0;
    int wrap_v = 0;
};

// One face on a spline surface: its loops are laid out in (u, v), unwound
// across the seams of directions in which the surface closes, and the region
// they bound (or the band between two loops round a closed direction) is
// refined like any other.
class spline_face_mesher {
public:
    spline_face_mesher(const bspline_surface &s, double tolerance) : s_(s), tol_(tolerance)
    {
        extent_ = spline_extent(s);
        closed_u_ = closes(true);
        closed_v_ = closes(false);
        make_grid();
    }

    bool run(const std::vector<spline_loop> &loops, bool reverse, std::vector<mesh_triangle> &out, std::string &why)
    {
        std::vector<laid_loop> laid;
        if (loops.empty())
            laid.push_back({domain_boundary(), 0, 0});
        for (const auto &loop : loops) {
            laid_loop l;
            if (!lay_out(loop, l, why))
                return false;
            if (l.ring.size() >= 3)
                laid.push_back(std::move(l));
        }
        if (laid.empty()) {
            why = "its boundary encloses nothing";
            return false;
        }
        // Loops round a surface closed in v are handled as if it were closed
        // in u, with u and v swapped (which turns the triangles round).
        for (const auto &l : laid)
            swapped_ = swapped_ || l.wrap_v != 0;
        if (swapped_) {
            for (auto &d : verts_)
                std::swap(d.uv.u, d.uv.v);
            for (auto &l : laid)
                std::swap(l.wrap_u, l.wrap_v);
        }
        uv_region region;
        if (!make_region(laid, region, why))
            return false;
        uv_surface surface;
        surface.eval = [this](v2 p) { return s_.eval(inside(swapped_ ? v2{p.v, p.u} : p)); };
        surface.u_scale = swapped_ ? v_scale_ : u_scale_;
        surface.v_scale = swapped_ ? u_scale_ : v_scale_;
        mesh_uv_region(verts_, region, surface, tol_, reverse != swapped_, out);
        return true;
    }

private:
    double period_u() const { return s_.u_end() - s_.u_start(); }
    double period_v() const { return s_.v_end() - s_.v_start(); }

    // Parameters within the surface's range, going round closed directions.
    v2 inside(v2 p) const
    {
        auto wrap = [](double t, double lo, double period) {
            double r = std::fmod(t - lo, period);
            return lo + (r < 0 ? r + period : r);
        };
        if (closed_u_ && (p.u < s_.u_start() || p.u > s_.u_end()))
            p.u = wrap(p.u, s_.u_start(), period_u());
        if (closed_v_ && (p.v < s_.v_start() || p.v > s_.v_end()))
            p.v = wrap(p.v, s_.v_start(), period_v());
        return p;
    }

    // Whether the surface meets itself where u (or v) starts and ends.
    bool closes(bool along_u) const
    {
        for (int k = 0; k <= 8; ++k) {
            double t = along_u ? s_.v_start() + period_v() * k / 8 : s_.u_start() + period_u() * k / 8;
            v3 a = along_u ? s_.eval({s_.u_start(), t}) : s_.eval({t, s_.v_start()});
            v3 b = along_u ? s_.eval({s_.u_end(), t}) : s_.eval({t, s_.v_end()});
            if (length(a - b) > 1e-9 * std::max(extent_, 1e-300))
                return false;
        }
        return true;
    }

    // Surface points on a grid, to seed the search for points without a
    // curve in (u, v); also gives the scale of u and v against lengths.
    void make_grid()
    {
        std::size_t nu = std::clamp<std::size_t>(s_.count_u * 3, 8, 64), nv = std::clamp<std::size_t>(s_.count_v * 3, 8, 64);
        double su = 0.0, sv = 0.0;
        for (std::size_t i = 0; i <= nu; ++i)
            for (std::size_t j = 0; j <= nv; ++j) {
                v2 uv{s_.u_start() + period_u() * static_cast<double>(i) / static_cast<double>(nu),
                      s_.v_start() + period_v() * static_cast<double>(j) / static_cast<double>(nv)};
                v3 p, du, dv;
                s_.eval(uv, p, du, dv);
                grid_.push_back({uv, p});
                su += length(du);
                sv += length(dv);
            }
        double n = static_cast<double>(grid_.size());
        u_scale_ = su / n > 0.0 ? su / n : 1.0;
        v_scale_ = sv / n > 0.0 ? sv / n : 1.0;
    }

    // Points along a pcurve with their places on the surface, made once per
    // pcurve: every boundary point of its coedge searches them.
    const std::vector<sample> &samples_of(const bspline_curve *pcurve)
    {
        auto found = pcurve_samples_.find(pcurve);
        if (found != pcurve_samples_.end())
            return found->second;
        std::vector<sample> out;
        std::size_t n = std::clamp<std::size_t>(pcurve->controls.size() * 8, 32, 512);
        double lo = pcurve->start(), hi = pcurve->end();
        for (std::size_t k = 0; k <= n; ++k) {
            v3 c = pcurve->eval(lo + (hi - lo) * static_cast<double>(k) / static_cast<double>(n));
            v2 uv = inside({c.x, c.y});
            out.push_back({uv, s_.eval(uv)});
        }
        return pcurve_samples_.emplace(pcurve, std::move(out)).first->second;
    }

    v2 seed(v3 p, const bspline_curve *pcurve)
    {
        double best = 1e300;
        v2 at = grid_.front().uv;
        for (const auto &g : pcurve ? samples_of(pcurve) : grid_) {
            double d = length(g.xyz - p);
            if (d < best) {
                best = d;
                at = g.uv;
            }
        }
        return at;
    }

    // The loop's points in (u, v), unwound across the seams of closed
    // directions so that the ring stays in one piece; how often it goes round
    // each closed direction.
    bool lay_out(const spline_loop &loop, laid_loop &out, std::string &why)
    {
        // A boundary off the surface by more than its modeller's fit cannot be
        // laid out; allow for such fits as for curves.
        double slack = std::max(tol_ * 20.0, extent_ * 1e-3);
        v2 last{};
        for (std::size_t k = 0; k < loop.points.size(); ++k) {
            v3 p = loop.points[k];
            v2 uv = s_.settle(p, seed(p, loop.pcurves[k]), closed_u_, closed_v_);
            if (!(length(s_.eval(uv) - p) <= slack)) {
                why = "its boundary does not lie on the surface";
                return false;
            }
            if (k > 0)
                uv = near(uv, last);
            last = uv;
            out.ring.push_back(add({uv, p}));
        }
        if (out.ring.size() > 1) {
            v2 first = verts_[static_cast<std::size_t>(out.ring.front())].uv;
            v2 closing = near(first, last);
            out.wrap_u = closed_u_ ? static_cast<int>(std::lround((closing.u - first.u) / period_u())) : 0;
            out.wrap_v = closed_v_ ? static_cast<int>(std::lround((closing.v - first.v) / period_v())) : 0;
            if (std::abs(out.wrap_u) > 1 || std::abs(out.wrap_v) > 1 || (out.wrap_u != 0 && out.wrap_v != 0)) {
                why = "a loop winds round the closed surface more than once";
                return false;
            }
        }
        return true;
    }

    // uv moved by whole periods of the closed directions next to `to`.
    v2 near(v2 uv, v2 to) const
    {
        if (closed_u_)
            uv.u += std::round((to.u - uv.u) / period_u()) * period_u();
        if (closed_v_)
            uv.v += std::round((to.v - uv.v) / period_v()) * period_v();
        return uv;
    }

    int add(dvert d)
    {
        verts_.push_back(d);
        return static_cast<int>(verts_.size()) - 1;
    }

    const v2 &uv_of(int i) const { return verts_[static_cast<std::size_t>(i)].uv; }

    // The period of the closed direction that loops go round (u, after any swap).
    double period() const { return swapped_ ? period_v() : period_u(); }

    // One region from the laid-out loops: the largest plain loop with the
    // others as holes, or the band between two loops that go round the
    // surface in opposite senses, the plain loops as its holes.
    bool make_region(const std::vector<laid_loop> &laid, uv_region &region, std::string &why)
    {
        std::vector<const laid_loop *> round, plain;
        for (const auto &l : laid)
            (l.wrap_u != 0 ? round : plain).push_back(&l);
        std::vector<v2> uv;
        for (const auto &d : verts_)
            uv.push_back(d.uv);
        if (round.empty()) {
            std::size_t outer = 0;
            for (std::size_t k = 1; k < plain.size(); ++k)
                if (std::fabs(polygon_area2(uv, plain[k]->ring)) > std::fabs(polygon_area2(uv, plain[outer]->ring)))
                    outer = k;
            region.outer = plain[outer]->ring;
            for (std::size_t k = 0; k < plain.size(); ++k)
                if (k != outer)
                    region.holes.push_back(plain[k]->ring);
            return true;
        }
        if (round.size() != 2 || round[0]->wrap_u + round[1]->wrap_u != 0) {
            why = "its loops go round the closed surface other than as the two ends of a band";
            return false;
        }
        const laid_loop &forward = round[0]->wrap_u > 0 ? *round[0] : *round[1];
        const laid_loop &backward = round[0]->wrap_u > 0 ? *round[1] : *round[0];
        region.outer = band(forward, backward, plain);
        uv.clear();
        for (const auto &d : verts_)
            uv.push_back(d.uv);
        for (const auto *hole : plain) {
            bool placed = false;
            v2 first = uv_of(hole->ring.front());
            for (int k = -2; k <= 2 && !placed; ++k) {
                double shift = k * period();
                if (!point_in_polygon(uv, region.outer, {first.u + shift, first.v}))
                    continue;
                std::vector<int> ring;
                for (int i : hole->ring)
                    ring.push_back(add({{uv_of(i).u + shift, uv_of(i).v}, verts_[static_cast<std::size_t>(i)].xyz}));
                region.holes.push_back(std::move(ring));
                placed = true;
            }
            if (!placed) {
                why = "a hole lies outside the band between its loops";
                return false;
            }
        }
        return true;
    }

    // The ring of a loop from position `start` once round, back to its start
    // moved by the loop's turn, all moved by `shift` in u.
    std::vector<int> chain(const laid_loop &l, std::size_t start, double shift)
    {
        std::vector<int> out;
        std::size_t n = l.ring.size();
        for (std::size_t k = 0; k <= n; ++k) {
            std::size_t at = (start + k) % n;
            double u = uv_of(l.ring[at]).u + shift + (start + k >= n ? l.wrap_u * period() : 0.0);
            out.push_back(add({{u, uv_of(l.ring[at]).v}, verts_[static_cast<std::size_t>(l.ring[at])].xyz}));
        }
        return out;
    }

    // Points strictly between a and b on the straight line in (u, v), close
    // enough to the surface.
    void seam(v2 a, v3 xa, v2 b, v3 xb, int depth, std::vector<dvert> &out) const
    {
        v2 mid{(a.u + b.u) / 2, (a.v + b.v) / 2};
        v3 xm = s_.eval(inside(swapped_ ? v2{mid.v, mid.u} : mid));
        if (depth > 14 || length(xm - (xa + xb) * 0.5) <= tol_)
            return;
        seam(a, xa, mid, xm, depth + 1, out);
        out.push_back({mid, xm});
        seam(mid, xm, b, xb, depth + 1, out);
    }

    // The band between a loop running +u and one running -u, cut open along
    // a seam in (u, v) that keeps clear of the holes; both sides of the cut
    // share their points, so the mesh closes across it.
    std::vector<int> band(const laid_loop &forward, const laid_loop &backward, const std::vector<const laid_loop *> &holes)
    {
        const double p = period();
        auto round_distance = [p](double a, double b) {
            double d = std::fmod(std::fabs(a - b), p);
            return std::min(d, p - d);
        };
        std::size_t start = 0;
        double clearance = -1.0;
        for (std::size_t k = 0; k < forward.ring.size() && !holes.empty(); ++k) {
            double nearest = 1e300;
            for (const auto *h : holes)
                for (int i : h->ring)
                    nearest = std::min(nearest, round_distance(uv_of(i).u, uv_of(forward.ring[k]).u));
            if (nearest > clearance) {
                clearance = nearest;
                start = k;
            }
        }
        double u0 = uv_of(forward.ring[start]).u;
        std::size_t facing = 0;
        for (std::size_t k = 1; k < backward.ring.size(); ++k)
            if (round_distance(uv_of(backward.ring[k]).u, u0) < round_distance(uv_of(backward.ring[facing]).u, u0))
                facing = k;
        std::vector<int> lower = chain(forward, start, 0.0);
        double shift = std::round((u0 + p - uv_of(backward.ring[facing]).u) / p) * p;
        std::vector<int> upper = chain(backward, facing, shift);
        const dvert a = verts_[static_cast<std::size_t>(lower.back())], b = verts_[static_cast<std::size_t>(upper.front())];
        std::vector<dvert> cut;
        seam(a.uv, a.xyz, b.uv, b.xyz, 0, cut);
        std::vector<int> ring = lower;
        for (const auto &d : cut)
            ring.push_back(add(d));
        ring.insert(ring.end(), upper.begin(), upper.end());
        // Back down the cut one period on, to the start of the lower chain.
        for (auto it = cut.rbegin(); it != cut.rend(); ++it)
            ring.push_back(add({{it->uv.u - p, it->uv.v}, it->xyz}));
        return ring;
    }

    // A face without loops covers the whole surface: its parameter rectangle,
    // sampled alike on opposite sides so that a closed surface closes.
    std::vector<int> domain_boundary()
    {
        std::vector<int> ring;
        const int n = 64;
        v2 corners[4] = {{s_.u_start(), s_.v_start()}, {s_.u_end(), s_.v_start()}, {s_.u_end(), s_.v_end()},
                         {s_.u_start(), s_.v_end()}};
        for (int side = 0; side < 4; ++side)
            for (int k = 0; k < n; ++k) {
                v2 a = corners[side], b = corners[(side + 1) % 4];
                v2 uv{a.u + (b.u - a.u) * k / n, a.v + (b.v - a.v) * k / n};
                ring.push_back(add({uv, s_.eval(uv)}));
            }
        return ring;
    }

    const bspline_surface &s_;
    double tol_;
    double extent_ = 0.0;
    bool closed_u_ = false, closed_v_ = false;
    std::vector<sample> grid_;
    std::vector<dvert> verts_; // the face's points in (u, v), u and v swapped when swapped_
    bool swapped_ = false;
    std::map<const bspline_curve *, std::vector<sample>> pcurve_samples_;
    double u_scale_ = 1.0, v_scale_ = 1.0;
};

// How far the boundary lies off the surface: a net read in the wrong order
// fits it badly.  Where a point has a curve in (u, v), the surface must carry
// that curve onto the boundary (a square net read across is the same surface
// with u and v swapped, and only its curves tell); elsewhere the nearest
// surface point must reach it.
double misfit(const bspline_surface &s, const std::vector<spline_loop> &loops)
{
    double total = 0.0;
    std::size_t used = 0;
    for (const auto &loop : loops) {
        std::size_t step = std::max<std::size_t>(1, loop.points.size() / 8);
        for (std::size_t k = 0; k < loop.points.size() && used < 32; k += step, ++used) {
            v3 p = loop.points[k];
            double best = 1e300;
            if (const bspline_curve *pc = loop.pcurves[k]) {
                for (int i = 0; i <= 64; ++i) {
                    v3 c = pc->eval(pc->start() + (pc->end() - pc->start()) * i / 64);
                    best = std::min(best, length(s.eval({c.x, c.y}) - p));
                }
                total += best;
                continue;
            }
            v2 at{s.u_start(), s.v_start()};
            for (int i = 0; i <= 16; ++i)
                for (int j = 0; j <= 16; ++j) {
                    v2 uv{s.u_start() + (s.u_end() - s.u_start()) * i / 16, s.v_start() + (s.v_end() - s.v_start()) * j / 16};
                    double d = length(s.eval(uv) - p);
                    if (d < best) {
                        best = d;
                        at = uv;
                    }
                }
            total += length(s.eval(s.settle(p, at)) - p);
        }
    }
    return total;
}

} // namespace

double spline_extent(const bspline_surface &surface)
{
    v3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    for (v3 p : surface.controls) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return surface.controls.empty() ? 0.0 : length(hi - lo);
}

bool mesh_spline_face(const bspline_surface &surface, const std::vector<spline_loop> &loops, bool reverse,
                      double tolerance, std::vector<mesh_triangle> &out, std::string &why)
{
    // Nets are written with v running fastest; one that fits its boundary
    // only the other way round was written with u running fastest.
    if (!loops.empty()) {
        bspline_surface other = surface.transposed_net();
        if (misfit(other, loops) < 0.5 * misfit(surface, loops))
            return spline_face_mesher(other, tolerance).run(loops, reverse, out, why);
    }
    return spline_face_mesher(surface, tolerance).run(loops, reverse, out, why);
}
