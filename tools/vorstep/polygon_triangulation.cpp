#include "polygon_triangulation.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

    const std::size_t n = outer.size();
    double scale = 0.0;
    for (int i : outer)
        scale = std::max({scale, std::fabs(pts[static_cast<std::size_t>(i)].u), std::fabs(pts[static_cast<std::size_t>(i)].v)});
    const double eps = 1e-14 * std::max(scale * scale, 1e-300);
    std::vector<std::size_t> prev(n), next(n);
    for (std::size_t k = 0; k < n; ++k) {
        prev[k] = (k + n - 1) % n;
        next[k] = (k + 1) % n;
    }
    std::vector<char> alive(n, 1);
    std::vector<double> quality(n, -1.0); // < 0: not an ear
    auto P = [&](std::size_t k) { return pts[static_cast<std::size_t>(outer[k])]; };
    auto evaluate = [&](std::size_t k) {
        v2 a = P(prev[k]), b = P(k), c = P(next[k]);
        if (cross2(a, b, c) <= eps) {
            quality[k] = -1.0;
            return;
        }
        for (std::size_t j = next[next[k]]; j != prev[k]; j = next[j]) {
            v2 q = P(j);
            if (same(q, a) || same(q, b) || same(q, c))
                continue;
            if (in_triangle(q, a, b, c, eps)) {
                quality[k] = -1.0;
                return;
            }
        }
        quality[k] = min_angle_quality(a, b, c);
    };
    for (std::size_t k = 0; k < n; ++k)
        evaluate(k);
    std::size_t remaining = n;
    out.reserve(n);
    while (remaining > 3) {
        std::size_t best = n;
        for (std::size_t k = 0; k < n; ++k)
            if (alive[k] && quality[k] >= 0.0 && (best == n || quality[k] > quality[best]))
                best = k;
        bool emit = true;
        if (best == n) {
            // No clean ear (rounding or touching rings): take the most convex corner,
            // or drop a flat one.
            double top = -std::numeric_limits<double>::infinity();
            for (std::size_t k = 0; k < n; ++k) {
                if (!alive[k])
                    continue;
                double c = cross2(P(prev[k]), P(k), P(next[k]));
                if (c > top) {
                    top = c;
                    best = k;
                }
            }
            emit = top > eps;
        }
        if (emit)
            out.push_back({outer[prev[best]], outer[best], outer[next[best]]});
        alive[best] = 0;
        std::size_t a = prev[best], b = next[best];
        next[a] = b;
        prev[b] = a;
        --remaining;
        evaluate(a);
        evaluate(b);
    }
    std::size_t k = 0;
    while (!alive[k])
        ++k;
    if (cross2(P(prev[k]), P(k), P(next[k])) > eps)
        out.push_back({outer[prev[k]], outer[k], outer[next[k]]});
    return out;
}
