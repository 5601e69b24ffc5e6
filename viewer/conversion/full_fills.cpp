// Filled areas: SOLID and TRACE quadrilaterals, HATCH boundaries filled by
// the even-odd rule (GLU's tessellator) or, for pattern hatches, outlined.
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <deque>

#include "conversion/full_converters.h"
#include "conversion/full_curves.h"

namespace {

constexpr double two_pi = 6.283185307179586;
// More boundary points than this in one hatch are not filled (outlined only).
constexpr std::size_t max_fill_points = 2000000;

using loop = std::vector<fpt>;

// Reads a hatch's groups in order; each Take answers the next group when it
// has the code, and stays put otherwise.
class group_cursor {
public:
    explicit group_cursor(const std::vector<fm_group> &groups) : groups_(groups) {}
    const fm_group *Take(int code)
    {
        if (at_ < groups_.size() && groups_[at_].code == code)
            return &groups_[at_++];
        return nullptr;
    }
    // Moves to the next group with the code; false at the end.
    bool SkipTo(int code)
    {
        while (at_ < groups_.size() && groups_[at_].code != code)
            ++at_;
        return at_ < groups_.size();
    }
    std::size_t Left() const { return groups_.size() - at_; }

private:
    const std::vector<fm_group> &groups_;
    std::size_t at_ = 0;
};

// A count from the file, no larger than the groups that could hold it.
long bounded_count(const fm_group *g, const group_cursor &cursor)
{
    if (g == nullptr || g->number < 0)
        return -1;
    return g->number > static_cast<long>(cursor.Left()) ? -1 : g->number;
}

void append(loop &out, const std::vector<fpt> &points)
{
    // The first point repeats the previous edge's end.
    const std::size_t skip = !out.empty() && !points.empty() && out.back() == points.front() ? 1 : 0;
    out.insert(out.end(), points.begin() + static_cast<long>(skip), points.end());
}

bool polyline_path(group_cursor &c, loop &out)
{
    const fm_group *has_bulge = c.Take(72);
    c.Take(73); // closed: a boundary is closed either way
    const long count = bounded_count(c.Take(93), c);
    if (count < 0)
        return false;
    std::vector<std::pair<fpt, double>> vertices;
    for (long i = 0; i < count; ++i) {
        const fm_group *v = c.Take(10);
        if (v == nullptr)
            return false;
        const fm_group *bulge = (has_bulge && has_bulge->number) ? c.Take(42) : nullptr;
        vertices.emplace_back(v->point, bulge ? bulge->point.x : 0.0);
    }
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const auto &[a, bulge] = vertices[i];
        const fpt &b = vertices[(i + 1) % vertices.size()].first;
        std::vector<fpt> points = bulge_points(a, b, bulge);
        points.pop_back();
        append(out, points);
    }
    return true;
}

// Clockwise arc and ellipse edges keep their angles as 2 pi minus the angle,
// start and end swapped.
std::vector<fpt> oriented(std::vector<fpt> points, bool ccw)
{
    if (!ccw)
        std::reverse(points.begin(), points.end());
    return points;
}

bool arc_edge(group_cursor &c, loop &out)
{
    const fm_group *centre = c.Take(10), *radius = c.Take(40), *start = c.Take(50),
                   *end = c.Take(51), *ccw = c.Take(73);
    if (!centre || !radius || !start || !end)
        return false;
    const bool forward = ccw == nullptr || ccw->number != 0;
    const double a = start->point.x * degrees_to_radians;
    const double b = end->point.x * degrees_to_radians;
    const double s = forward ? a : two_pi - b;
    const double e = forward ? b : two_pi - a;
    double sweep = e - s;
    if (std::fabs(sweep) >= two_pi - 1e-9)
        sweep = two_pi;
    else if (sweep <= 0.0)
        sweep = std::fmod(sweep, two_pi) + two_pi;
    append(out, oriented(arc_points(centre->point, radius->point.x, s, sweep), forward));
    return true;
}

// Ellipse edge angles are angles, not parameters.
double angle_to_parameter(double angle, double ratio)
{
    return std::atan2(std::sin(angle) / (ratio != 0.0 ? ratio : 1.0), std::cos(angle));
}

bool ellipse_edge(group_cursor &c, loop &out)
{
    const fm_group *centre = c.Take(10), *major = c.Take(11), *ratio = c.Take(40),
                   *start = c.Take(50), *end = c.Take(51), *ccw = c.Take(73);
    if (!centre || !major || !ratio || !start || !end)
        return false;
    const bool forward = ccw == nullptr || ccw->number != 0;
    const double r = ratio->point.x;
    const double a = start->point.x * degrees_to_radians;
    const double b = end->point.x * degrees_to_radians;
    const double s = angle_to_parameter(forward ? a : two_pi - b, r);
    const double e = angle_to_parameter(forward ? b : two_pi - a, r);
    const double span = std::fabs(b - a);
    double sweep = e - s;
    if (span >= two_pi - 1e-9)
        sweep = two_pi;
    else if (sweep <= 0.0)
        sweep += two_pi;
    const fpt minor = fpt{-major->point.y, major->point.x, 0.0} * r;
    append(out, oriented(ellipse_points(centre->point, major->point, minor, s, sweep), forward));
    return true;
}

bool spline_edge(group_cursor &c, loop &out)
{
    const fm_group *degree = c.Take(94);
    const fm_group *rational = c.Take(73);
    c.Take(74);
    const long knot_count = bounded_count(c.Take(95), c);
    const long control_count = bounded_count(c.Take(96), c);
    if (!degree || knot_count < 0 || control_count < 0)
        return false;
    std::vector<double> knots;
    std::vector<fpt> control;
    std::vector<double> weights;
    for (long i = 0; i < knot_count; ++i) {
        const fm_group *k = c.Take(40);
        if (!k)
            return false;
        knots.push_back(k->point.x);
    }
    for (long i = 0; i < control_count; ++i) {
        const fm_group *p = c.Take(10);
        if (!p)
            return false;
        control.push_back(p->point);
        if (rational && rational->number)
            if (const fm_group *w = c.Take(42))
                weights.push_back(w->point.x);
    }
    std::vector<fpt> fit;
    if (const long fit_count = bounded_count(c.Take(97), c); fit_count > 0) {
        for (long i = 0; i < fit_count; ++i)
            if (const fm_group *f = c.Take(11))
                fit.push_back(f->point);
        c.Take(12);
        c.Take(13);
    }
    std::vector<fpt> points = bspline_points(static_cast<int>(degree->number), knots, control, weights);
    if (points.empty())
        points = fit.empty() ? control : through_points(fit, false);
    append(out, points);
    return true;
}

bool edge_path(group_cursor &c, loop &out)
{
    const long count = bounded_count(c.Take(93), c);
    if (count < 0)
        return false;
    for (long i = 0; i < count; ++i) {
        const fm_group *type = c.Take(72);
        if (!type)
            return false;
        bool ok = false;
        switch (type->number) {
        case 1: {
            const fm_group *a = c.Take(10), *b = c.Take(11);
            ok = a && b;
            if (ok)
                append(out, {a->point, b->point});
            break;
        }
        case 2: ok = arc_edge(c, out); break;
        case 3: ok = ellipse_edge(c, out); break;
        case 4: ok = spline_edge(c, out); break;
        default: ok = false; break;
        }
        if (!ok)
            return false;
    }
    if (out.size() > 1 && out.front() == out.back())
        out.pop_back();
    return true;
}

// The boundary loops in the hatch's own (object) coordinates; loops read
// before a damaged one are kept.
std::vector<loop> boundary_loops(const fm_entity &e)
{
    std::vector<loop> loops;
    group_cursor c(e.groups);
    if (!c.SkipTo(91))
        return loops;
    const long paths = bounded_count(c.Take(91), c);
    const double elevation = e.Point(10).z;
    for (long i = 0; i < paths; ++i) {
        const fm_group *flags = c.Take(92);
        if (!flags)
            break;
        loop path;
        const bool ok = (flags->number & 2) ? polyline_path(c, path) : edge_path(c, path);
        if (!ok)
            break;
        for (fpt &p : path)
            p.z = elevation;
        if (path.size() >= 2)
            loops.push_back(std::move(path));
        if (const fm_group *sources = c.Take(97))
            (void)sources; // the source objects' handles are not kept
    }
    return loops;
}

struct tessellation {
    const fm_pen *pen;
    std::deque<fpt> extra; // points the tessellator makes where edges cross
    fpt corner[3];
    int used = 0;
};

void GLAPIENTRY on_vertex(void *vertex, void *data)
{
    auto *t = static_cast<tessellation *>(data);
    t->corner[t->used++] = *static_cast<const fpt *>(vertex);
    if (t->used == 3) {
        pen_triangle(*t->pen, t->corner[0], t->corner[1], t->corner[2]);
        t->used = 0;
    }
}

void GLAPIENTRY on_combine(GLdouble coords[3], void *[4], GLfloat[4], void **out, void *data)
{
    auto *t = static_cast<tessellation *>(data);
    t->extra.push_back({coords[0], coords[1], coords[2]});
    *out = &t->extra.back();
}

// Asking for edge flags makes the tessellator hand out separate triangles.
void GLAPIENTRY on_edge_flag(GLboolean, void *) {}
void GLAPIENTRY on_begin(GLenum, void *data) { static_cast<tessellation *>(data)->used = 0; }
void GLAPIENTRY on_error(GLenum, void *) {}

using glu_callback = void(GLAPIENTRY *)();

void fill_even_odd(const fm_pen &pen, std::vector<loop> &loops)
{
    GLUtesselator *tess = gluNewTess();
    if (tess == nullptr)
        return;
    tessellation t{&pen, {}, {}, 0};
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<glu_callback>(on_begin));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<glu_callback>(on_vertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<glu_callback>(on_combine));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<glu_callback>(on_edge_flag));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<glu_callback>(on_error));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
    gluTessNormal(tess, 0.0, 0.0, 1.0);
    gluTessBeginPolygon(tess, &t);
    for (loop &l : loops) {
        gluTessBeginContour(tess);
        for (fpt &p : l) {
            GLdouble xyz[3] = {p.x, p.y, p.z};
            gluTessVertex(tess, xyz, &p);
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
}

bool finite_loops(const std::vector<loop> &loops, std::size_t &points)
{
    points = 0;
    for (const loop &l : loops) {
        points += l.size();
        for (const fpt &p : l)
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                return false;
    }
    return true;
}

} // namespace

void full_solid(const fm_entity &e, const fm_pen &pen)
{
    const fpt p3 = e.Point(12);
    // The corners run 1-2-4-3 around the outline.
    pen_quad(pen_in_ocs(pen, e), e.Point(10), e.Point(11), e.Point(13, p3), p3);
}

void full_hatch(const fm_entity &e, const fm_pen &pen)
{
    const fm_pen p = pen_in_ocs(pen, e);
    std::vector<loop> loops = boundary_loops(e);
    std::size_t points = 0;
    const bool solid = e.Number(70) == 1;
    if (solid && finite_loops(loops, points) && points <= max_fill_points) {
        fill_even_odd(p, loops);
        return;
    }
    for (const loop &l : loops)
        pen_path(p, l, true);
}
