#include "tavrel_scene.h"

#include "interface/block_loader.h"
#include "interface/image_production.h"
#include "render/scene_functions.h"
#include "state/cl_viewer_app.h"
#include "support/layer_color_table.h"

namespace {

void write_color(std::FILE *out, COLORREF color)
{
    std::fprintf(out, " #%02X%02X%02X\n", GetRValue(color), GetGValue(color), GetBValue(color));
}

void write_point(std::FILE *out, const fpt &p)
{
    std::fprintf(out, " %.17g %.17g %.17g", p.x, p.y, p.z);
}

void write_store(const cl_opengl_image &scene, std::FILE *out)
{
    for (const cl_opengl_image_triangle &t : scene.triangles) {
        std::fputs("T", out);
        write_point(out, t.corner_a);
        write_point(out, t.corner_b);
        write_point(out, t.corner_c);
        write_point(out, t.normal_a);
        write_color(out, t.color);
    }
    for (const cl_opengl_image_line &l : scene.lines) {
        std::fputs("L", out);
        write_point(out, l.start);
        write_point(out, l.end);
        write_color(out, l.color);
    }
    for (const fpt &p : scene.points) {
        std::fputs("P", out);
        write_point(out, p);
        std::fputs("\n", out);
    }
    std::fprintf(out, "triangles %zu lines %zu points %zu\n", scene.triangles.size(),
                 scene.lines.size(), scene.points.size());
}

} // namespace

namespace {

// Loads library/block into a fresh scene, lets `use` see it when it was
// delivered, and frees it again.
template <class F>
int with_scene(const char *library, const char *block, const char *color_file, F use)
{
    if (color_file != nullptr) {
        cl_viewer_app &app = viewer_app();
        app.layer_color_file = color_file;
        LoadLayerColorFile(app.layer_color_file.c_str());
    }
    change_scene();
    const int loaded = load_block_definition(library, block);
    if (loaded == 1)
        use(*current_scene);
    delete_current_scene();
    return loaded;
}

void put(double *to, const fpt &p)
{
    to[0] = p.x;
    to[1] = p.y;
    to[2] = p.z;
}

void hand_over(const cl_opengl_image &scene, const tavrel_scene_sink &sink)
{
    if (sink.triangle)
        for (const cl_opengl_image_triangle &t : scene.triangles) {
            double corners[9], normal[3];
            put(corners, t.corner_a);
            put(corners + 3, t.corner_b);
            put(corners + 6, t.corner_c);
            put(normal, t.normal_a);
            sink.triangle(sink.context, corners, normal, t.color);
        }
    if (sink.line)
        for (const cl_opengl_image_line &l : scene.lines) {
            double ends[6];
            put(ends, l.start);
            put(ends + 3, l.end);
            sink.line(sink.context, ends, l.color);
        }
    if (sink.point)
        for (const fpt &p : scene.points) {
            double at[3];
            put(at, p);
            sink.point(sink.context, at);
        }
}

} // namespace

int tavrel_write_scene(const char *library, const char *block, const char *color_file, std::FILE *out)
{
    return with_scene(library, block, color_file, [out](const cl_opengl_image &scene) {
        if (out != nullptr)
            write_store(scene, out);
    });
}

int tavrel_read_scene(const char *library, const char *block, const char *color_file,
                      const tavrel_scene_sink *sink)
{
    return with_scene(library, block, color_file, [sink](const cl_opengl_image &scene) {
        if (sink != nullptr)
            hand_over(scene, *sink);
    });
}
