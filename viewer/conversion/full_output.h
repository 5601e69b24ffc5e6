// How the full drawing mode hands geometry to the scene: through an entity's
// pen, which places it (block references), colours it and, when line types are
// on, breaks its curves into dashes.
#pragma once
#include <vector>

#include "conversion/full_transform.h"
#include "conversion/layer_colors.h"
#include "skelvane/cstring.h"

struct fm_pen {
    fm_transform transform;
    cl_rgb color;
    CString layer;
    // Dash (positive) and gap (negative) lengths in the entity's own units;
    // null or empty draws solid.
    const std::vector<double> *dashes = nullptr;
};

// True (and said once) when the scene is full or the load has offered it as
// many pieces as it may: drawing stops either way.
bool drawing_stopped();

// Points are in the entity's own coordinates; the pen places them.
void pen_line(const fm_pen &pen, const fpt &a, const fpt &b);
void pen_path(const fm_pen &pen, const std::vector<fpt> &points, bool closed);
void pen_triangle(const fm_pen &pen, const fpt &a, const fpt &b, const fpt &c);
// Corners in order around the quadrilateral; a triangle when the last two
// corners coincide.
void pen_quad(const fm_pen &pen, const fpt &a, const fpt &b, const fpt &c, const fpt &d);
void pen_point(const fm_pen &pen, const fpt &p);

// Segments for a curve turning through `radians`: 72 for a full circle, as
// in the classic mode, as many in proportion for less, at least 2.
int curve_segments(double radians);
