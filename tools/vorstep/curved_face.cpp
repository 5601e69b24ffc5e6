#include "curved_face.h"

#include <algorithm>
#include <cmath>

#include "face_region.h"
#include "polygon_triangulation.h"

namespace {

constexpr double two_pi = 6.283185307179586476925286766559;

double wrap_pi(double a)
{
    a = std::fmod(a, two_pi);
    if (a > two_pi / 2)
        a -= two_pi;
    if (a <= -two_pi / 2)
        a += two_pi;
    return a;
}

// One loop of a curved face in the (u, v) plane, unwrapped.
struct uv_loop {
    std::vector<int> ring; // indices into the face's vertices
    int wrap_u = 0;        // times round the axis
    int wrap_v = 0;        // times round a torus's tube
    double mean_v = 0.0;
};

// The surface's parameters as the face sees them: u mirrored when the face
// lies against S_u x S_v, u and v swapped for a face that winds round a
// torus's tube instead of its axis.
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


class curved_face_mesher {
public:
    curved_face_mesher(const surface_param &sp, const curved_face_settings &s, std::vector<mesh_triangle> &out)
        : frame_{sp, s.flip, false}, reverse_(s.reverse_output), tol_(s.model_tolerance), face_tol_(s.face_tolerance),
          out_(out)
    {
    }

    bool run(const std::vector<std::vector<v3>> &loops)
    {
        if (frame_.sp.kind == surface_kind::sphere)
            choose_sphere_axis(frame_.sp, loops);
        unwrap(loops);
        if (winds_round_the_tube()) {
            frame_.transposed = true;
            unwrap(loops);
        }
        for (const auto &loop : loops_)
            if (std::abs(loop.wrap_u) > 1 || loop.wrap_v != 0 || loop.ring.size() < 2)
                return false;
        if (loops_.empty())
            return full_surface();
        std::vector<uv_region> regions;
        std::vector<const uv_loop *> holes;
        if (!bands(regions) || !closed_loops(regions, holes) || regions.empty() || !place_holes(holes, regions))
            return false;
        uv_surface surface;
        surface.eval = [this](v2 uv) { return frame_.eval(uv); };
        surface.u_scale = frame_.transposed ? frame_.sp.v_scale() : frame_.sp.u_scale();
        surface.v_scale = frame_.transposed ? frame_.sp.u_scale() : frame_.sp.v_scale();
        for (const auto &r : regions)
            mesh_uv_region(verts_, r, surface, face_tol_, reverse_, out_);
        return true;
    }

private:
    void unwrap(const std::vector<std::vector<v3>> &loops)
    {
        verts_.clear();
        loops_.clear();
        for (const auto &pts : loops) {
            uv_loop loop;
            if (make_uv_loop(frame_, pts, verts_, loop))
                loops_.push_back(std::move(loop));
        }
    }

    // A torus face whose loops go round the tube but none round the axis is
    // meshed with u and v swapped, so that its bands run along u.
    bool winds_round_the_tube() const
    {
        if (frame_.sp.kind != surface_kind::torus)
            return false;
        bool round_axis = false, round_tube = false;
        for (const auto &loop : loops_) {
            round_axis = round_axis || loop.wrap_u != 0;
            round_tube = round_tube || loop.wrap_v != 0;
        }
        return round_tube && !round_axis;
    }

    const v2 &uv_of(int i) const { return verts_[static_cast<std::size_t>(i)].uv; }

    // Where a band's seam starts on a loop round the axis: as far from the
    // holes as possible, so that the seam crosses none of them.
    std::size_t seam_start(const uv_loop &loop) const
    {
        std::size_t best = 0;
        double best_distance = -1.0;
        for (std::size_t k = 0; k < loop.ring.size() && !hole_us_.empty(); ++k) {
            double u = uv_of(loop.ring[k]).u, distance = 1e300;
            for (double q : hole_us_)
                distance = std::min(distance, std::fabs(wrap_pi(q - u)));
            if (distance > best_distance) {
                best_distance = distance;
                best = k;
            }
        }
        return best;
    }

    // The point of a loop nearest to u round the axis.
    std::size_t nearest_on(const uv_loop &loop, double u) const
    {
        std::size_t best = 0;
        double best_distance = 1e300;
        for (std::size_t k = 0; k < loop.ring.size(); ++k) {
            double distance = std::fabs(wrap_pi(uv_of(loop.ring[k]).u - u));
            if (distance < best_distance) {
                best_distance = distance;
                best = k;
            }
        }
        return best;
    }

    // The v of the pole or apex above (or below) from_v that closes a band
    // with a single loop; false when the surface has none there.
    bool closing_point_v(bool above, double from_v, double &v) const
    {
        if (frame_.sp.has_poles()) {
            v = above ? frame_.sp.pole_v() : -frame_.sp.pole_v();
            return true;
        }
        double apex_v = 0.0;
        if (frame_.sp.apex(apex_v) && (above ? apex_v > from_v : apex_v < from_v)) {
            v = apex_v;
            return true;
        }
        return false;
    }

    // The unused loop running -u that lies next above `lower`, with the gap
    // in v between them; -1 for none.
    int loop_above(const uv_loop &lower, const std::vector<const uv_loop *> &uppers, const std::vector<char> &used,
                   double &gap) const
    {
        int best = -1;
        gap = 1e300;
        for (std::size_t k = 0; k < uppers.size(); ++k) {
            if (used[k])
                continue;
            double g = uppers[k]->mean_v - lower.mean_v;
            if (frame_.periodic_v() || frame_.transposed)
                g = std::fmod(std::fmod(g, two_pi) + two_pi, two_pi);
            if (g > 0 && g < gap) {
                gap = g;
                best = static_cast<int>(k);
            }
        }
        return best;
    }

    // One region per loop round the axis: a loop running +u is the lower
    // edge of a band whose upper edge is the next loop running -u above it,
    // or the pole or apex; a -u loop left over closes on the point below it.
    bool bands(std::vector<uv_region> &regions)
    {
        std::vector<const uv_loop *> lowers, uppers;
        hole_us_.clear();
        for (const auto &loop : loops_) {
            if (loop.wrap_u > 0)
                lowers.push_back(&loop);
            else if (loop.wrap_u < 0)
                uppers.push_back(&loop);
            else
                for (int i : loop.ring)
                    hole_us_.push_back(uv_of(i).u);
        }
        std::vector<char> used(uppers.size(), 0);
        for (const auto *lower_loop : lowers) {
            std::size_t start = seam_start(*lower_loop);
            v2 seam = uv_of(lower_loop->ring[start]);
            chain lower = loop_chain(verts_, *lower_loop, start, {0, 0});
            double gap = 0.0;
            int above = loop_above(*lower_loop, uppers, used, gap);
            chain upper;
            if (above >= 0) {
                used[static_cast<std::size_t>(above)] = 1;
                const uv_loop &upper_loop = *uppers[static_cast<std::size_t>(above)];
                std::size_t j = nearest_on(upper_loop, seam.u);
                v2 facing = uv_of(upper_loop.ring[j]);
                // Shift the upper loop next to the lower one in u and v.
                double su = std::round((seam.u - facing.u) / two_pi) * two_pi + two_pi;
                double sv = (lower_loop->mean_v + gap) - upper_loop.mean_v;
                upper = loop_chain(verts_, upper_loop, j, {su, sv});
            } else {
                double v;
                if (!closing_point_v(true, lower_loop->mean_v, v))
                    return false;
                upper = singular_line(frame_, seam.u + two_pi, seam.u, v);
            }
            regions.push_back({strip_polygon(frame_, lower, upper, verts_), {}});
        }
        for (std::size_t k = 0; k < uppers.size(); ++k) {
            if (used[k])
                continue;
            const uv_loop &upper_loop = *uppers[k];
            double v;
            if (!closing_point_v(false, upper_loop.mean_v, v))
                return false;
            std::size_t start = seam_start(upper_loop);
            double seam_u = uv_of(upper_loop.ring[start]).u;
            chain upper = loop_chain(verts_, upper_loop, start, {0, 0});
            chain lower = singular_line(frame_, seam_u - two_pi, seam_u, v);
            regions.push_back({strip_polygon(frame_, lower, upper, verts_), {}});
        }
        return true;
    }

    // Loops that do not go round: on a face without bands, one running
    // counter-clockwise is a region of its own; all others are holes.
    bool closed_loops(std::vector<uv_region> &regions, std::vector<const uv_loop *> &holes)
    {
        bool banded = !regions.empty();
        std::vector<v2> uv;
        for (const auto &d : verts_)
            uv.push_back(d.uv);
        for (const auto &loop : loops_) {
            if (loop.wrap_u != 0)
                continue;
            if (!banded && polygon_area2(uv, loop.ring) > 0)
                regions.push_back({loop.ring, {}});
            else
                holes.push_back(&loop);
        }
        return true;
    }

    // Each hole goes into the region that holds its first point, shifted by
    // whole periods to where the region lies.
    bool place_holes(const std::vector<const uv_loop *> &holes, std::vector<uv_region> &regions)
    {
        for (const auto *hole : holes) {
            if (!place_hole(*hole, regions))
                return false;
        }
        return true;
    }

    bool place_hole(const uv_loop &hole, std::vector<uv_region> &regions)
    {
        v2 first = uv_of(hole.ring[0]);
        std::vector<v2> uv;
        for (const auto &d : verts_)
            uv.push_back(d.uv);
        for (auto &r : regions)
            for (int ku = -2; ku <= 2; ++ku)
                for (int kv = -1; kv <= 1; ++kv) {
                    if (kv != 0 && !frame_.periodic_v())
                        continue;
                    v2 shift{ku * two_pi, kv * two_pi};
                    if (!point_in_polygon(uv, r.outer, {first.u + shift.u, first.v + shift.v}))
                        continue;
                    std::vector<int> ring;
                    for (int i : hole.ring) {
                        dvert d = verts_[static_cast<std::size_t>(i)];
                        ring.push_back(add(verts_, {d.uv.u + shift.u, d.uv.v + shift.v}, d.xyz));
                    }
                    r.holes.push_back(std::move(ring));
                    return true;
                }
        return false;
    }

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

    // A sphere or torus face without any loop.
    bool full_surface()
    {
        const surface_param &sp = frame_.sp;
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
        bool rev = frame_.flip != reverse_;
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                v3 a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
                add_triangle(out_, a, b, c, rev);
                add_triangle(out_, c, d, a, rev);
            }
        return true;
    }

    face_frame frame_;
    bool reverse_;
    double tol_;
    double face_tol_;
    std::vector<mesh_triangle> &out_;
    std::vector<dvert> verts_;
    std::vector<uv_loop> loops_;
    std::vector<double> hole_us_; // u of every point on a loop that does not go round
};

} // namespace

bool mesh_curved_face(const surface_param &surface, const std::vector<std::vector<v3>> &loops,
                      const curved_face_settings &settings, std::vector<mesh_triangle> &out)
{
    return curved_face_mesher(surface, settings, out).run(loops);
}
