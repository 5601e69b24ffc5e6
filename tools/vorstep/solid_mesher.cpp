#include "solid_mesher.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "curved_face.h"
#include "edge_tracing.h"
#include "face_region.h"
#include "polygon_triangulation.h"
#include "region_refiner.h"
#include "spline_face.h"
#include "surface_param.h"

namespace {

constexpr double two_pi = 6.283185307179586476925286766559;

std::string surface_label(const sat_surface &s) { return s.name.empty() ? "unknown surface" : s.name; }

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
        // Once a face would go past the limit, the rest are not tried: each
        // could cost as much again.  Each face is meshed on its own first, so
        // that the model's triangles never grow beyond the limit.
        bool full = false;
        for (const auto &f : m_.faces) {
            face_.clear();
            if (!full && face(f) && out_.triangles.size() + face_.size() <= max_triangles_) {
                out_.triangles.insert(out_.triangles.end(), face_.begin(), face_.end());
                ++out_.faces_meshed;
            } else {
                full = full || out_.triangles.size() + face_.size() > max_triangles_;
                if (full)
                    warn("skipped faces beyond the limit of " + std::to_string(max_triangles_) + " triangles");
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

    double spline_tol(const bspline_surface &s) const { return std::min(tol_, spline_extent(s) * 1e-3); }

    // The chordal tolerance for an edge: as fine as the faces it bounds need.
    double edge_tol(int e) const
    {
        double t = tol_;
        for (int s : edge_surfaces_[static_cast<std::size_t>(e)]) {
            const sat_surface &surface = m_.surfaces[static_cast<std::size_t>(s)];
            if (param_ok_[static_cast<std::size_t>(s)])
                t = std::min(t, surface_tol(params_[static_cast<std::size_t>(s)]));
            else if (surface.kind == surface_kind::spline)
                t = std::min(t, spline_tol(surface.spline));
        }
        return t;
    }

    // The 3D points of each loop, without repeated neighbours, and for each
    // point the parameter-plane curve of its coedge when asked; false when an
    // edge cannot be followed.
    bool loop_points(const sat_face &f, std::vector<std::vector<v3>> &loops,
                     std::vector<std::vector<const bspline_curve *>> *pcurves = nullptr)
    {
        for (const auto &loop : f.loops) {
            std::vector<v3> pts;
            std::vector<const bspline_curve *> curves;
            for (const auto &ce : loop) {
                const std::vector<v3> *ep = edge_points(ce.edge);
                if (!ep)
                    return false;
                const bspline_curve *pc = ce.pcurve >= 0 ? &m_.pcurves[static_cast<std::size_t>(ce.pcurve)] : nullptr;
                auto add = [&](v3 p) {
                    if (pts.empty() || !same_point(pts.back(), p)) {
                        pts.push_back(p);
                        curves.push_back(pc);
                    }
                };
                if (ce.reversed)
                    for (auto it = ep->rbegin(); it != ep->rend(); ++it)
                        add(*it);
                else
                    for (v3 p : *ep)
                        add(p);
            }
            while (pts.size() > 1 && same_point(pts.front(), pts.back())) {
                pts.pop_back();
                curves.pop_back();
            }
            loops.push_back(std::move(pts));
            if (pcurves)
                pcurves->push_back(std::move(curves));
        }
        return true;
    }

    bool face(const sat_face &f)
    {
        const sat_surface &s = m_.surfaces[static_cast<std::size_t>(f.surface)];
        if (s.kind == surface_kind::spline)
            return spline_face(f, s);
        surface_param sp;
        if (s.kind == surface_kind::unsupported || !make_surface_param(s, sp)) {
            warn("skipped faces on a " + surface_label(s) + " (" +
                 (s.why.empty() ? std::string("surface type not supported") : s.why) + ")");
            return false;
        }
        std::vector<std::vector<v3>> loops;
        if (!loop_points(f, loops))
            return false;
        if (sp.kind == surface_kind::plane)
            return plane_face(f, sp, loops);
        if (!on_surface(sp, loops)) {
            warn("skipped a face on a " + surface_label(s) + " whose boundary does not lie on it");
            return false;
        }
        bool flip = sp.outward * (f.reversed ? -1 : 1) < 0;
        curved_face_settings cs;
        cs.flip = flip;
        cs.model_tolerance = tol_;
        cs.face_tolerance = surface_tol(sp);
        if (mesh_curved_face(sp, loops, cs, face_))
            return true;
        // The loops did not close off a region the usual way round: try the
        // other side, keeping the triangles facing along the face normal.
        cs.flip = !flip;
        cs.reverse_output = true;
        bool ok = mesh_curved_face(sp, loops, cs, face_);
        if (!ok)
            warn("skipped a face on a " + surface_label(s) + " whose boundary could not be followed");
        return ok;
    }

    // Whether the loops lie on the curved surface, as closely as the edges'
    // curves allow (approximations were pulled onto it); a face bounded
    // elsewhere would be refined towards its surface without end.
    bool on_surface(const surface_param &sp, const std::vector<std::vector<v3>> &loops) const
    {
        double size = sp.kind == surface_kind::torus ? sp.radius + sp.minor : sp.radius;
        double slack = std::max(tol_ * 20.0, size * 1e-3);
        for (const auto &loop : loops)
            for (v3 p : loop) {
                v2 uv = sp.inverse(p);
                if (!(length(sp.eval(uv.u, uv.v) - p) <= slack))
                    return false;
            }
        return true;
    }

    bool spline_face(const sat_face &f, const sat_surface &s)
    {
        std::vector<std::vector<v3>> points;
        std::vector<std::vector<const bspline_curve *>> pcurves;
        if (!loop_points(f, points, &pcurves))
            return false;
        std::vector<spline_loop> loops(points.size());
        for (std::size_t k = 0; k < points.size(); ++k)
            loops[k] = {std::move(points[k]), std::move(pcurves[k])};
        std::string why = "its control net has no size";
        if (spline_extent(s.spline) > 0.0 && mesh_spline_face(s.spline, loops, s.against != f.reversed, spline_tol(s.spline), face_, why))
            return true;
        warn("skipped a face on a " + surface_label(s) + " (" + why + ")");
        return false;
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
            add_triangle(face_, verts[static_cast<std::size_t>(t[0])].xyz, verts[static_cast<std::size_t>(t[1])].xyz,
                         verts[static_cast<std::size_t>(t[2])].xyz, false);
        return true;
    }

    const sat_model &m_;
    double tol_;
    std::size_t max_triangles_;
    std::vector<mesh_triangle> face_; // the triangles of the face at hand
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
        else if (s.kind == surface_kind::spline)
            for (v3 p : s.spline.controls)
                grow(p, 0.0);
    double diag = hi.x >= lo.x ? length(hi - lo) : 0.0;
    if (!(diag > 0.0) || !std::isfinite(diag))
        return 1e-6;
    return diag * 5e-4;
}

void mesh_model(const sat_model &model, double tolerance, mesh_result &out, std::size_t max_triangles)
{
    mesher(model, tolerance, max_triangles, out).run();
}
