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

// Evaluates the surface with the parameters of a closed direction taken
// round its period, so that a loop across the seam can be laid out whole.
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
        std::vector<dvert> verts;
        uv_region region;
        std::vector<std::vector<int>> rings;
        if (loops.empty())
            rings.push_back(domain_boundary(verts));
        for (const auto &loop : loops) {
            std::vector<int> ring;
            if (!lay_out(loop, verts, ring, why))
                return false;
            if (ring.size() >= 3)
                rings.push_back(std::move(ring));
        }
        if (rings.empty()) {
            why = "its boundary encloses nothing";
            return false;
        }
        std::vector<v2> uv;
        for (const auto &d : verts)
            uv.push_back(d.uv);
        std::size_t outer = 0;
        for (std::size_t k = 1; k < rings.size(); ++k)
            if (std::fabs(polygon_area2(uv, rings[k])) > std::fabs(polygon_area2(uv, rings[outer])))
                outer = k;
        region.outer = rings[outer];
        for (std::size_t k = 0; k < rings.size(); ++k)
            if (k != outer)
                region.holes.push_back(rings[k]);
        uv_surface surface;
        surface.eval = [this](v2 p) { return s_.eval(inside(p)); };
        surface.u_scale = u_scale_;
        surface.v_scale = v_scale_;
        mesh_uv_region(verts, region, surface, tol_, reverse, out);
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
    // directions so that the ring stays in one piece.
    bool lay_out(const spline_loop &loop, std::vector<dvert> &verts, std::vector<int> &ring, std::string &why)
    {
        // A boundary off the surface by more than its modeller's fit cannot be
        // laid out; allow for such fits as for curves.
        double slack = std::max(tol_ * 20.0, extent_ * 1e-3);
        v2 last{};
        for (std::size_t k = 0; k < loop.points.size(); ++k) {
            v3 p = loop.points[k];
            v2 uv = s_.settle(p, seed(p, loop.pcurves[k]));
            if (!(length(s_.eval(uv) - p) <= slack)) {
                why = "its boundary does not lie on the surface";
                return false;
            }
            if (k > 0) {
                if (closed_u_)
                    uv.u += std::round((last.u - uv.u) / period_u()) * period_u();
                if (closed_v_)
                    uv.v += std::round((last.v - uv.v) / period_v()) * period_v();
            }
            last = uv;
            ring.push_back(static_cast<int>(verts.size()));
            verts.push_back({uv, p});
        }
        if (ring.size() > 1) {
            v2 first = verts[static_cast<std::size_t>(ring.front())].uv;
            if ((closed_u_ && std::fabs(last.u - first.u) > period_u() / 2) ||
                (closed_v_ && std::fabs(last.v - first.v) > period_v() / 2)) {
                why = "a loop winds round the closed surface";
                return false;
            }
        }
        return true;
    }

    // A face without loops covers the whole surface: its parameter rectangle,
    // sampled alike on opposite sides so that a closed surface closes.
    std::vector<int> domain_boundary(std::vector<dvert> &verts) const
    {
        std::vector<int> ring;
        const int n = 64;
        v2 corners[4] = {{s_.u_start(), s_.v_start()}, {s_.u_end(), s_.v_start()}, {s_.u_end(), s_.v_end()},
                         {s_.u_start(), s_.v_end()}};
        for (int side = 0; side < 4; ++side)
            for (int k = 0; k < n; ++k) {
                v2 a = corners[side], b = corners[(side + 1) % 4];
                v2 uv{a.u + (b.u - a.u) * k / n, a.v + (b.v - a.v) * k / n};
                ring.push_back(static_cast<int>(verts.size()));
                verts.push_back({uv, s_.eval(uv)});
            }
        return ring;
    }

    const bspline_surface &s_;
    double tol_;
    double extent_ = 0.0;
    bool closed_u_ = false, closed_v_ = false;
    std::vector<sample> grid_;
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
