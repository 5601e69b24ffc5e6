#include "region_refiner.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <unordered_map>

namespace {

struct tri {
    int v[3];
    int nb[3]; // neighbour across the edge v[k] -> v[k+1]; -1 on the boundary
    bool alive;
};

int nx(int k) { return k == 2 ? 0 : k + 1; }
int pv(int k) { return k == 0 ? 2 : k - 1; }

class refiner {
public:
    refiner(std::vector<dvert> &verts, std::vector<tri_indices> &tris, const std::function<v3(v2)> &surface,
            const refine_settings &s)
        : verts_(verts), out_(tris), surface_(surface), s_(s)
    {
    }

    void run()
    {
        link(out_);
        for (std::size_t t = 0; t < t_.size(); ++t)
            queue_.push_back(static_cast<int>(t));
        while (!queue_.empty() && verts_.size() < s_.max_vertices) {
            int t = queue_.front();
            queue_.pop_front();
            if (t_[static_cast<std::size_t>(t)].alive)
                improve(t);
        }
        out_.clear();
        for (const auto &T : t_)
            if (T.alive)
                out_.push_back({T.v[0], T.v[1], T.v[2]});
    }

private:
    tri &T(int t) { return t_[static_cast<std::size_t>(t)]; }
    const dvert &P(int i) const { return verts_[static_cast<std::size_t>(i)]; }
    v2 S(int i) const { return {P(i).uv.u * s_.u_scale, P(i).uv.v * s_.v_scale}; }

    static std::uint64_t key(int a, int b)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
    }

    // Neighbours from shared edges; an edge used twice the same way is left unlinked.
    void link(const std::vector<tri_indices> &tris)
    {
        std::unordered_map<std::uint64_t, int> owner;
        owner.reserve(tris.size() * 4);
        for (const auto &x : tris) {
            t_.push_back({{x[0], x[1], x[2]}, {-1, -1, -1}, true});
            int t = static_cast<int>(t_.size()) - 1;
            for (int k = 0; k < 3; ++k) {
                auto [it, fresh] = owner.emplace(key(x[static_cast<std::size_t>(k)], x[static_cast<std::size_t>(nx(k))]), t);
                if (!fresh)
                    it->second = -1;
            }
        }
        for (std::size_t t = 0; t < t_.size(); ++t)
            for (int k = 0; k < 3; ++k) {
                tri &A = t_[t];
                int a = A.v[k], b = A.v[nx(k)];
                auto mine = owner.find(key(a, b));
                auto other = owner.find(key(b, a));
                if (mine == owner.end() || mine->second < 0 || other == owner.end() || other->second < 0)
                    continue;
                A.nb[k] = other->second;
            }
    }

    int edge_of(int t, int a, int b)
    {
        for (int k = 0; k < 3; ++k)
            if (T(t).v[k] == a && T(t).v[nx(k)] == b)
                return k;
        return -1;
    }

    // Points the neighbour across (b, a) of triangle `outer` at `now`.
    void repoint(int outer, int a, int b, int now)
    {
        if (outer < 0)
            return;
        int k = edge_of(outer, b, a);
        if (k >= 0)
            T(outer).nb[k] = now;
    }

    v3 mid_xyz(v2 uv) const { return surface_(uv); }

    double edge_deviation(int a, int b) const
    {
        v2 m{(P(a).uv.u + P(b).uv.u) / 2, (P(a).uv.v + P(b).uv.v) / 2};
        return length(surface_(m) - (P(a).xyz + P(b).xyz) * 0.5);
    }

    static double orient(v2 a, v2 b, v2 c) { return (b.u - a.u) * (c.v - a.v) - (b.v - a.v) * (c.u - a.u); }

    // Whether d lies inside the circle through the counter-clockwise a, b, c.
    static bool in_circle(v2 a, v2 b, v2 c, v2 d)
    {
        double ax = a.u - d.u, ay = a.v - d.v, bx = b.u - d.u, by = b.v - d.v, cx = c.u - d.u, cy = c.v - d.v;
        double det = (ax * ax + ay * ay) * (bx * cy - cx * by) - (bx * bx + by * by) * (ax * cy - cx * ay) +
                     (cx * cx + cy * cy) * (ax * by - bx * ay);
        double scale = (ax * ax + ay * ay) + (bx * bx + by * by) + (cx * cx + cy * cy);
        return det > 1e-12 * scale * scale;
    }

    // Whether triangle t has no area in the scaled parameter plane.  Splitting
    // it or its edges cannot bring it closer to the surface: it only makes
    // more like it (slivers along a boundary that is coarser than the
    // tolerance would otherwise be split until the vertex limit).
    bool flat(int t) const
    {
        const tri &A = t_[static_cast<std::size_t>(t)];
        v2 a = S(A.v[0]), b = S(A.v[1]), c = S(A.v[2]);
        double longest = std::max({(b.u - a.u) * (b.u - a.u) + (b.v - a.v) * (b.v - a.v),
                                   (c.u - b.u) * (c.u - b.u) + (c.v - b.v) * (c.v - b.v),
                                   (a.u - c.u) * (a.u - c.u) + (a.v - c.v) * (a.v - c.v)});
        return std::fabs(orient(a, b, c)) <= 1e-9 * longest;
    }

    // An inner edge that splitting can improve: both its triangles have area.
    bool splittable(const tri &A, int k) const { return A.nb[k] >= 0 && !flat(A.nb[k]); }

    void improve(int t)
    {
        if (flat(t))
            return;
        const tri &A = T(t);
        double worst_edge = 0.0;
        for (int k = 0; k < 3; ++k)
            if (splittable(A, k))
                worst_edge = std::max(worst_edge, edge_deviation(A.v[k], A.v[nx(k)]));
        v2 c{(P(A.v[0]).uv.u + P(A.v[1]).uv.u + P(A.v[2]).uv.u) / 3,
             (P(A.v[0]).uv.v + P(A.v[1]).uv.v + P(A.v[2]).uv.v) / 3};
        v3 cx = surface_(c);
        double centre = length(cx - (P(A.v[0]).xyz + P(A.v[1]).xyz + P(A.v[2]).xyz) * (1.0 / 3));
        if (worst_edge <= s_.tolerance && centre <= s_.tolerance)
            return;
        int longest = 0;
        double best = -1.0;
        for (int k = 0; k < 3; ++k) {
            double len = length(P(A.v[k]).xyz - P(A.v[nx(k)]).xyz);
            if (len > best) {
                best = len;
                longest = k;
            }
        }
        if (splittable(A, longest)) {
            split(t, longest);
            return;
        }
        if (worst_edge > s_.tolerance) {
            // Split the worst inner edge instead of the boundary one.
            int k_best = -1;
            double d_best = -1.0;
            for (int k = 0; k < 3; ++k)
                if (splittable(A, k)) {
                    double d = edge_deviation(A.v[k], A.v[nx(k)]);
                    if (d > d_best) {
                        d_best = d;
                        k_best = k;
                    }
                }
            split(t, k_best);
            return;
        }
        // Only the middle bulges.  A coarse boundary edge makes the middle bulge
        // as well; points along it would not help.
        double boundary = 0.0;
        for (int k = 0; k < 3; ++k)
            if (!splittable(A, k))
                boundary = std::max(boundary, edge_deviation(A.v[k], A.v[nx(k)]));
        if (centre <= s_.tolerance + boundary)
            return;
        insert_centre(t, c, cx);
    }

    int new_vertex(v2 uv, v3 xyz)
    {
        verts_.push_back({uv, xyz});
        return static_cast<int>(verts_.size()) - 1;
    }

    int new_tri(int a, int b, int c)
    {
        t_.push_back({{a, b, c}, {-1, -1, -1}, true});
        return static_cast<int>(t_.size()) - 1;
    }

    void set(int t, int a, int b, int c, int nab, int nbc, int nca)
    {
        T(t) = {{a, b, c}, {nab, nbc, nca}, true};
    }

    // Splits the edge k of t and the same edge of its neighbour at the midpoint.
    void split(int t, int k)
    {
        int n = T(t).nb[k];
        int a = T(t).v[k], b = T(t).v[nx(k)], c = T(t).v[pv(k)];
        int j = edge_of(n, b, a);
        if (j < 0)
            return;
        int d = T(n).v[pv(j)];
        int t_bc = T(t).nb[nx(k)], t_ca = T(t).nb[pv(k)];
        int n_ad = T(n).nb[nx(j)], n_db = T(n).nb[pv(j)];
        v2 m{(P(a).uv.u + P(b).uv.u) / 2, (P(a).uv.v + P(b).uv.v) / 2};
        int mi = new_vertex(m, surface_(m));
        int t2 = new_tri(mi, b, c), n2 = new_tri(mi, a, d);
        set(t, a, mi, c, n2, t2, t_ca);
        set(t2, mi, b, c, n, t_bc, t);
        set(n, b, mi, d, t2, n2, n_db);
        set(n2, mi, a, d, t, n_ad, n);
        repoint(t_bc, b, c, t2);
        repoint(n_ad, a, d, n2);
        settle(mi, {t, t2, n, n2});
    }

    void insert_centre(int t, v2 uv, v3 xyz)
    {
        int a = T(t).v[0], b = T(t).v[1], c = T(t).v[2];
        int nab = T(t).nb[0], nbc = T(t).nb[1], nca = T(t).nb[2];
        if (!(orient(S(a), S(b), {uv.u * s_.u_scale, uv.v * s_.v_scale}) > 0 &&
              orient(S(b), S(c), {uv.u * s_.u_scale, uv.v * s_.v_scale}) > 0 &&
              orient(S(c), S(a), {uv.u * s_.u_scale, uv.v * s_.v_scale}) > 0))
            return; // too thin to take a point
        int m = new_vertex(uv, xyz);
        int t2 = new_tri(m, b, c), t3 = new_tri(m, c, a);
        set(t, m, a, b, t3, nab, t2);
        set(t2, m, b, c, t, nbc, t3);
        set(t3, m, c, a, t2, nca, t);
        // t keeps the edge (a, b); the other two edges moved.
        repoint(nbc, b, c, t2);
        repoint(nca, c, a, t3);
        settle(m, {t, t2, t3});
    }

    // Restores the Delaunay property round the new vertex m by flipping the
    // edges opposite it, then queues every triangle that changed.
    void settle(int m, std::vector<int> around)
    {
        std::vector<int> stack = around;
        std::size_t flips = 0;
        while (!stack.empty() && flips < 10000) {
            int t = stack.back();
            stack.pop_back();
            int k = -1;
            for (int q = 0; q < 3; ++q)
                if (T(t).v[q] == m)
                    k = nx(q); // the edge opposite m
            if (k < 0)
                continue;
            int n = T(t).nb[k];
            if (n < 0)
                continue;
            int a = T(t).v[k], b = T(t).v[nx(k)];
            int j = edge_of(n, b, a);
            if (j < 0)
                continue;
            int d = T(n).v[pv(j)];
            if (!in_circle(S(m), S(a), S(b), S(d)))
                continue;
            if (!(orient(S(m), S(a), S(d)) > 0 && orient(S(m), S(d), S(b)) > 0))
                continue;
            // t = (m, a, b), n = (b, a, d)  ->  t = (m, a, d), n = (m, d, b)
            int t_bm = T(t).nb[nx(k)], t_ma = T(t).nb[pv(k)];
            int n_ad = T(n).nb[nx(j)], n_db = T(n).nb[pv(j)];
            set(t, m, a, d, t_ma, n_ad, n);
            set(n, m, d, b, t, n_db, t_bm);
            repoint(n_ad, a, d, t);
            repoint(t_bm, b, m, n);
            ++flips;
            stack.push_back(t);
            stack.push_back(n);
            around.push_back(n);
        }
        std::sort(around.begin(), around.end());
        around.erase(std::unique(around.begin(), around.end()), around.end());
        for (int t : around)
            queue_.push_back(t);
    }

    std::vector<dvert> &verts_;
    std::vector<tri_indices> &out_;
    const std::function<v3(v2)> &surface_;
    refine_settings s_;
    std::vector<tri> t_;
    std::deque<int> queue_;
};

} // namespace

void refine_region(std::vector<dvert> &verts, std::vector<tri_indices> &tris, const std::function<v3(v2)> &surface,
                   const refine_settings &settings)
{
    refiner(verts, tris, surface, settings).run();
}
