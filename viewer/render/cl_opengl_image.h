// The scene of one block (triangles, lines and bare points) and the off-screen
// OpenGL renderer that draws it into a DIB section.
#pragma once
#include <string>
#include <vector>

#include "render/fpt.h"
#include "skelvane/gdi.h"
#include "skelvane/wgl.h"
#include "skelvane/wintypes.h"

struct cl_opengl_image_triangle {
    fpt corner_a, corner_b, corner_c;
    fpt normal_a, normal_b, normal_c;
    COLORREF color = 0;
    // Edges the line pass outlines: bit 0 a-b, bit 1 b-c, bit 2 c-a.
    int edge_mask = 0;
};

struct cl_opengl_image_line {
    fpt start, end;
    COLORREF color = 0;
};

// The store's limits, as bits of cl_opengl_image::overflow.
enum cl_scene_limit {
    scene_limit_triangles = 1,
    scene_limit_lines = 2,
    scene_limit_points = 4
};

class cl_opengl_image {
public:
    cl_opengl_image() = default;
    cl_opengl_image(const cl_opengl_image &) = delete;
    cl_opengl_image &operator=(const cl_opengl_image &) = delete;
    ~cl_opengl_image();

    // Scene store.
    void AddTriangle(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                     double y3, double z3, COLORREF color, int edge_mask);
    void AddLine(double x1, double y1, double z1, double x2, double y2, double z2, COLORREF color);
    void AddPoint(double x, double y, double z);
    void AddThinSegment(double px, double py, double pz, double qx, double qy, double qz);
    void AddPointMarker(double x, double y, double z);
    // True when no further triangle or line would be kept.
    bool IsFull() const;
    // Records that geometry is given up because the store is full.
    void NoteFull();
    // Empties the geometry unless kept, then creates the context (first time) or
    // renews the bitmap; false on failure.
    bool Reset(bool keep_geometry);
    // Gives the DC its previous bitmap back and deletes ours; the next Render
    // makes one of the size then set.
    void DropBitmap();

    // Renderer.
    void SetImageSize(int w, int h);
    void SetBackground(double r, double g, double b);
    void SetLighting(double diffuse_level, double ambient_level);
    void SetViewDirection(double x, double y, double z);
    bool CreateContext();
    // The finished bitmap, which then belongs to the caller; null on failure.
    HBITMAP Render();
    void FitCamera();
    // Triangle corners, then line ends (with_lines), then bare points (with_points).
    template <typename Visit> void VisitPoints(bool with_lines, bool with_points, Visit visit) const;
    fpt_box Bounds(bool with_lines, bool with_points) const;
    void DrawTriangles();
    void DrawLines();
    void ApplyLighting();
    void ReleaseContext();

    HBITMAP bitmap = nullptr;
    HBITMAP previous_bitmap = nullptr;
    void *bits = nullptr;
    BITMAPINFOHEADER bitmap_header{};
    HDC memory_dc = nullptr;
    HGLRC gl_context = nullptr;
    int bits_per_pixel = 32;
    int width = 0;
    int height = 0;
    bool initialised = false;
    std::vector<cl_opengl_image_triangle> triangles;
    std::vector<cl_opengl_image_line> lines;
    std::vector<fpt> points;
    bool markers_added = false;
    // The limits that made the store drop geometry since it was last emptied.
    int overflow = 0;
    COLORREF line_start_color = 0;
    fpt eye{0.0, 0.0, 0.0};
    fpt view_dir{0.0, 0.0, -1.0};
    fpt up{0.0, 1.0, 0.0};
    fpt right{1.0, 0.0, 0.0};
    double diffuse = 0.0;
    double ambient = 0.0;
    double background_r = 1.0;
    double background_g = 1.0;
    double background_b = 1.0;

private:
    // Fills bitmap_header and creates and selects a new DIB section; false on failure.
    bool MakeBitmap();
    // A new bitmap at the current size, for a context that already exists.
    bool RenewBitmap();
};

template <typename Visit>
void cl_opengl_image::VisitPoints(bool with_lines, bool with_points, Visit visit) const
{
    for (const cl_opengl_image_triangle &t : triangles) {
        visit(t.corner_a);
        visit(t.corner_b);
        visit(t.corner_c);
    }
    if (with_lines)
        for (const cl_opengl_image_line &l : lines) {
            visit(l.start);
            visit(l.end);
        }
    if (with_points)
        for (const fpt &p : points)
            visit(p);
}

// "Scene exceeds ..." naming each limit in overflow; empty when there is none.
std::string scene_overflow_text(int overflow);

// Viewport and the default perspective for a picture of width x height pixels.
bool SetProjection(int width, int height);
// The fixed drawing state: shading, clear values, depth test, blending, polygon offset.
bool SetRenderState(const cl_opengl_image &image);
