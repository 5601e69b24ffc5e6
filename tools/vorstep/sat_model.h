// The B-rep of a SAT file as the tessellator needs it: faces with their
// surfaces and loops, loops as coedges over edges, edges with curves.
// Everything is already moved by the owning body's transform.
#pragma once
#include <string>
#include <vector>

#include "bspline.h"
#include "sat_text.h"
#include "spline_surface.h"
#include "vec3.h"

enum class curve_kind { none, straight, ellipse, bspline, unsupported };

struct sat_curve {
    curve_kind kind = curve_kind::none;
    std::string name;
    v3 origin;       // straight: root point; ellipse: centre
    v3 direction;    // straight: direction; ellipse: unit normal
    v3 major;        // ellipse: major axis (its length is the major radius)
    double ratio = 1.0;
    bspline_curve spline;         // bspline: the curve's approximation
    bool spline_reversed = false; // bspline: the curve runs against it
    std::string why;              // unsupported: what was missing
};

enum class surface_kind { plane, cone, sphere, torus, spline, unsupported };

struct sat_surface {
    surface_kind kind = surface_kind::unsupported;
    std::string name;
    v3 origin;          // root point or centre
    v3 axis;            // unit normal or axis
    v3 reference;       // plane u direction, cone major axis, sphere/torus zero meridian
    double ratio = 1.0; // cone cross-section ratio
    double sine = 0.0;  // cone half-angle
    double cosine = 1.0;
    double radius = 0.0; // sphere radius, torus major radius (negative: normal points inward)
    double minor = 0.0;  // torus minor radius (negative: normal points inward)
    bspline_surface spline;  // spline: the control net
    bool against = false;    // spline: the normal points against S_u x S_v
    std::string why;         // unsupported: what is missing, when known
};

struct sat_edge {
    int start = -1; // index into sat_model::vertices
    int end = -1;
    int curve = -1; // index into sat_model::curves, -1 for none
    bool reversed = false; // runs against its curve
};

struct sat_coedge {
    int edge = -1;
    bool reversed = false; // runs from the edge's end to its start
    int pcurve = -1;       // index into sat_model::pcurves, -1 for none
};

struct sat_face {
    int surface = -1;
    bool reversed = false;
    std::vector<std::vector<sat_coedge>> loops;
};

struct sat_model {
    std::vector<v3> vertices;
    std::vector<sat_curve> curves;
    std::vector<sat_surface> surfaces;
    std::vector<sat_edge> edges;
    std::vector<sat_face> faces;
    // Curves in the (u, v) plane of a spline face's surface (z is 0), one per
    // coedge that has one.
    std::vector<bspline_curve> pcurves;
    bool mirrored = false; // a body transform with a reflection turns faces inside out
};

// Builds the model from the records; problems that lose faces are appended to
// `warnings`.  False when the records hold no face at all.
bool sat_build_model(const sat_text &text, sat_model &model, std::vector<std::string> &warnings);
