#include "polygon_triangulation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

namespace {

double cross2(v2 o, v2 a, v2 b) { return (a.u - o.u) * (b.v - o.v) - (a.v - o.v) * (b.u - o.u); }
bool same(v2 a, v2 b) { return a.u == b.u && a.v == b.v; }

bool in_triangle(v2 p, v2 a, v2 b, v2 c, double eps)
{
    return cross2(a, b, p) >= -eps && cross2(b, c, p) >= -eps && cross2(c, a, p) >= -eps;
}

double min_angle_quality(v2 a, v2 b, v2 c)
{
    double ab = std::hypot(b.u - a.u, b.v - a.v), bc = std::hypot(c.u - b.u, c.v - b.v),
           ca = std::hypot(a.u - c.u, a.v - c.v);
    double area2 = std::fabs(cross2(a, b, c));
    double longest = std::max({ab, bc, ca});
    if (!(longest > 0.0))
        return 0.0;
    // Proportional to the sine of the smallest angle.
    return area2 / (longest * longest);
}

// Whether p lies in the wedge of the ring's interior at position k (the ring
// runs counter-clockwise).
bool inside_corner(const std::vector<v2> &pts, const std::vector<int> &ring, std::size_t k, v2 p)
{
    v2 a = pts[static_cast<std::size_t>(ring[(k + ring.size() - 1) % ring.size()])];
    v2 q = pts[static_cast<std::size_t>(ring[k])];
    v2 b = pts[static_cast<std::size_t>(ring[(k + 1) % ring.size()])];
    bool left_in = cross2(a, q, p) > 0.0, left_out = cross2(q, b, p) > 0.0;
    return cross2(a, q, b) >= 0.0 ? left_in && left_out : left_in || left_out;
}

// A vertex that an earlier bridge doubled appears twice in the ring; the
// bridge must leave from the copy whose corner faces p, or the outline
// crosses itself.
std::size_t copy_facing(const std::vector<v2> &pts, const std::vector<int> &ring, std::size_t k, v2 p)
{
    v2 q = pts[static_cast<std::size_t>(ring[k])];
    for (std::size_t j = 0; j < ring.size(); ++j)
        if (same(pts[static_cast<std::size_t>(ring[j])], q) && inside_corner(pts, ring, j, p))
            return j;
    return k;
}

// Splices one hole into the outer ring through a bridge from its rightmost vertex.
void bridge_hole(const std::vector<v2> &pts, std::vector<int> &ring, const std::vector<int> &hole)
{
    std::size_t m = 0;
    for (std::size_t k = 1; k < hole.size(); ++k) {
        const v2 &a = pts[static_cast<std::size_t>(hole[k])], &b = pts[static_cast<std::size_t>(hole[m])];
        if (a.u > b.u || (a.u == b.u && a.v < b.v))
            m = k;
    }
    v2 M = pts[static_cast<std::size_t>(hole[m])];
    double best_x = std::numeric_limits<double>::infinity();
    std::size_t best = ring.size();
    for (std::size_t k = 0; k < ring.size(); ++k) {
        v2 a = pts[static_cast<std::size_t>(ring[k])], b = pts[static_cast<std::size_t>(ring[(k + 1) % ring.size()])];
        if ((a.v > M.v) == (b.v > M.v))
            continue;
        double x = a.u + (M.v - a.v) * (b.u - a.u) / (b.v - a.v);
        if (x >= M.u && x < best_x) {
            best_x = x;
            best = (a.u > b.u) ? k : (k + 1) % ring.size();
        }
    }
    if (best == ring.size()) {
        // No edge to the right (numerically lost): take the nearest ring vertex.
        double d = std::numeric_limits<double>::infinity();
        for (std::size_t k = 0; k < ring.size(); ++k) {
            v2 a = pts[static_cast<std::size_t>(ring[k])];
            double dd = std::hypot(a.u - M.u, a.v - M.v);
            if (dd < d) {
                d = dd;
                best = k;
            }
        }
    } else {
        // A reflex ring vertex inside the triangle M, hit point, candidate blocks
        // the view: take the one at the smallest angle from the ray instead.
        v2 I{best_x, M.v};
        v2 P = pts[static_cast<std::size_t>(ring[best])];
        double best_angle = std::numeric_limits<double>::infinity();
        std::size_t chosen = best;
        for (std::size_t k = 0; k < ring.size(); ++k) {
            v2 q = pts[static_cast<std::size_t>(ring[k])];
            if (k == best || same(q, P))
                continue;
            v2 prev = pts[static_cast<std::size_t>(ring[(k + ring.size() - 1) % ring.size()])];
            v2 next = pts[static_cast<std::size_t>(ring[(k + 1) % ring.size()])];
            if (cross2(prev, q, next) > 0.0)
                continue; // convex
            v2 a = M, b = (I.v < P.v) ? I : P, c = (I.v < P.v) ? P : I;
            if (cross2(a, b, c) < 0.0)
                std::swap(b, c);
            if (!in_triangle(q, a, b, c, 0.0))
                continue;
            double ang = std::atan2(std::fabs(q.v - M.v), q.u - M.u);
            if (ang < best_angle) {
                best_angle = ang;
                chosen = k;
            }
        }
        best = chosen;
    }
    best = copy_facing(pts, ring, best, M);
    std::vector<int> spliced;
    spliced.reserve(ring.size() + hole.size() + 2);
    spliced.insert(spliced.end(), ring.begin(), ring.begin() + static_cast<long>(best) + 1);
    for (std::size_t k = 0; k <= hole.size(); ++k)
        spliced.push_back(hole[(m + k) % hole.size()]);
    spliced.push_back(ring[best]);
    spliced.insert(spliced.end(), ring.begin() + static_cast<long>(best) + 1, ring.end());
    ring.swap(spliced);
}


// Clips ears off a simple ring, best-shaped first.  A grid over the ring's
// points finds those that could lie in a candidate ear, and a queue keeps the
// ears in order, so that long boundaries (thousands of points round a band)
// stay fast.
class ear_clipper {
public:
    ear_clipper(const std::vector<v2> &pts, const std::vector<int> &ring)
        : pts_(pts), ring_(ring), n_(ring.size()), prev_(n_), next_(n_), alive_(n_, 1), quality_(n_, -1.0), stamp_(n_, 0)
    {
        double scale = 0.0;
        lo_ = hi_ = P(0);
        for (std::size_t k = 0; k < n_; ++k) {
            v2 p = P(k);
            scale = std::max({scale, std::fabs(p.u), std::fabs(p.v)});
            lo_ = {std::min(lo_.u, p.u), std::min(lo_.v, p.v)};
            hi_ = {std::max(hi_.u, p.u), std::max(hi_.v, p.v)};
            prev_[k] = (k + n_ - 1) % n_;
            next_[k] = (k + 1) % n_;
        }
        eps_ = 1e-14 * std::max(scale * scale, 1e-300);
        side_ = static_cast<std::size_t>(std::clamp(std::sqrt(static_cast<double>(n_)), 1.0, 1024.0));
        cells_.resize(side_ * side_);
        for (std::size_t k = 0; k < n_; ++k)
            cells_[cell(col(P(k).u), row(P(k).v))].push_back(k);
    }

    std::vector<tri_indices> run()
    {
        std::vector<tri_indices> out;
        out.reserve(n_);
        for (std::size_t k = 0; k < n_; ++k)
            evaluate(k);
        std::size_t remaining = n_;
        while (remaining > 3) {
            std::size_t best = pop_best();
            bool emit = true;
            if (best == n_) {
                // No clean ear (rounding or touching rings): take the most convex
                // corner, or drop a flat one.
                double top = -std::numeric_limits<double>::infinity();
                for (std::size_t k = 0; k < n_; ++k) {
                    if (!alive_[k])
                        continue;
                    double c = cross2(P(prev_[k]), P(k), P(next_[k]));
                    if (c > top) {
                        top = c;
                        best = k;
                    }
                }
                emit = top > eps_;
            }
            if (emit)
                out.push_back({ring_[prev_[best]], ring_[best], ring_[next_[best]]});
            alive_[best] = 0;
            std::size_t a = prev_[best], b = next_[best];
            next_[a] = b;
            prev_[b] = a;
            --remaining;
            evaluate(a);
            evaluate(b);
        }
        std::size_t k = 0;
        while (!alive_[k])
            ++k;
        if (cross2(P(prev_[k]), P(k), P(next_[k])) > eps_)
            out.push_back({ring_[prev_[k]], ring_[k], ring_[next_[k]]});
        return out;
    }

private:
    struct ear {
        double quality;
        std::size_t k;
        unsigned stamp;
        // Best quality first; among equals, the earliest corner.
        bool operator<(const ear &o) const { return quality != o.quality ? quality < o.quality : k > o.k; }
    };

    v2 P(std::size_t k) const { return pts_[static_cast<std::size_t>(ring_[k])]; }
    std::size_t col(double u) const { return index(u, lo_.u, hi_.u); }
    std::size_t row(double v) const { return index(v, lo_.v, hi_.v); }
    std::size_t index(double x, double lo, double hi) const
    {
        if (!(hi > lo))
            return 0;
        double f = (x - lo) / (hi - lo) * static_cast<double>(side_);
        return static_cast<std::size_t>(std::clamp(f, 0.0, static_cast<double>(side_ - 1)));
    }
    std::size_t cell(std::size_t c, std::size_t r) const { return r * side_ + c; }

    // Whether any other live point of the ring lies in the triangle a b c.
    bool blocked(std::size_t k, v2 a, v2 b, v2 c) const
    {
        std::size_t c0 = col(std::min({a.u, b.u, c.u})), c1 = col(std::max({a.u, b.u, c.u}));
        std::size_t r0 = row(std::min({a.v, b.v, c.v})), r1 = row(std::max({a.v, b.v, c.v}));
        for (std::size_t r = r0; r <= r1; ++r)
            for (std::size_t cc = c0; cc <= c1; ++cc)
                for (std::size_t j : cells_[cell(cc, r)]) {
                    if (!alive_[j] || j == k || j == prev_[k] || j == next_[k])
                        continue;
                    v2 q = P(j);
                    if (same(q, a) || same(q, b) || same(q, c))
                        continue;
                    if (in_triangle(q, a, b, c, eps_))
                        return true;
                }
        return false;
    }

    void evaluate(std::size_t k)
    {
        v2 a = P(prev_[k]), b = P(k), c = P(next_[k]);
        ++stamp_[k];
        quality_[k] = (cross2(a, b, c) <= eps_ || blocked(k, a, b, c)) ? -1.0 : min_angle_quality(a, b, c);
        if (quality_[k] >= 0.0)
            queue_.push({quality_[k], k, stamp_[k]});
    }

    // The best live ear, or n_ when there is none.
    std::size_t pop_best()
    {
        while (!queue_.empty()) {
            ear e = queue_.top();
            queue_.pop();
            if (alive_[e.k] && e.stamp == stamp_[e.k])
                return e.k;
        }
        return n_;
    }

    const std::vector<v2> &pts_;
    const std::vector<int> &ring_;
    std::size_t n_;
    std::vector<std::size_t> prev_, next_;
    std::vector<char> alive_;
    std::vector<double> quality_; // < 0: not an ear
    std::vector<unsigned> stamp_;
    std::priority_queue<ear> queue_;
    double eps_ = 0.0;
    v2 lo_, hi_;
    std::size_t side_ = 1;
    std::vector<std::vector<std::size_t>> cells_;
};

} // namespace

double polygon_area2(const std::vector<v2> &points, const std::vector<int> &polygon)
{
    double a = 0.0;
    for (std::size_t k = 0; k < polygon.size(); ++k) {
        v2 p = points[static_cast<std::size_t>(polygon[k])];
        v2 q = points[static_cast<std::size_t>(polygon[(k + 1) % polygon.size()])];
        a += p.u * q.v - q.u * p.v;
    }
    return a;
}

bool point_in_polygon(const std::vector<v2> &points, const std::vector<int> &polygon, v2 p)
{
    bool inside = false;
    for (std::size_t k = 0, j = polygon.size() - 1; k < polygon.size(); j = k++) {
        v2 a = points[static_cast<std::size_t>(polygon[k])], b = points[static_cast<std::size_t>(polygon[j])];
        if ((a.v > p.v) != (b.v > p.v) && p.u < (b.u - a.u) * (p.v - a.v) / (b.v - a.v) + a.u)
            inside = !inside;
    }
    return inside;
}

std::vector<tri_indices> triangulate_polygon(const std::vector<v2> &pts, std::vector<int> outer,
                                             std::vector<std::vector<int>> holes)
{
    std::vector<tri_indices> out;
    if (outer.size() < 3)
        return out;
    if (polygon_area2(pts, outer) < 0.0)
        std::reverse(outer.begin(), outer.end());
    std::vector<std::pair<double, std::size_t>> order;
    for (std::size_t h = 0; h < holes.size(); ++h) {
        if (holes[h].size() < 3)
            continue;
        if (polygon_area2(pts, holes[h]) > 0.0)
            std::reverse(holes[h].begin(), holes[h].end());
        double mx = -std::numeric_limits<double>::infinity();
        for (int i : holes[h])
            mx = std::max(mx, pts[static_cast<std::size_t>(i)].u);
        order.push_back({mx, h});
    }
    std::sort(order.begin(), order.end(), [](auto &a, auto &b) { return a.first > b.first; });
    for (auto &o : order)
        bridge_hole(pts, outer, holes[o.second]);

    return ear_clipper(pts, outer).run();
}
