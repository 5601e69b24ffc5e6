// The two drawing passes (lit triangles, then lines) and the lighting set-up.
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "render/cl_opengl_image.h"
#include "state/render_settings.h"


namespace {

// Reads (and so clears) the OpenGL error state; a failed pass is only noted on the
// diagnostic stream, it does not fail the picture.
void note_pass_error()
{
    GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return;
    std::string text = "Error rendering triangles. ";
    switch (error) {
    case GL_INVALID_ENUM: text += "GL_INVALID_ENUM"; break;
    case GL_INVALID_VALUE: text += "GL_INVALID_VALUE"; break;
    case GL_INVALID_OPERATION: text += "GL_INVALID_OPERATION"; break;
    case GL_STACK_OVERFLOW: text += "GL_STACK_OVERFLOW"; break;
    case GL_STACK_UNDERFLOW: text += "GL_STACK_UNDERFLOW"; break;
    case GL_OUT_OF_MEMORY: text += "GL_OUT_OF_MEMORY"; break;
    default: text += std::to_string(static_cast<int>(error)); break;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

void set_color(COLORREF c)
{
    glColor4d(GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0, 1.0);
}

// Faces are shown a fifth of the way towards white, which keeps dark faces readable.
void set_lightened_color(COLORREF color)
{
    auto lighten = [](int component) {
        double c = component / 255.0;
        return c + (1.0 - c) / 5.0;
    };
    glColor4d(lighten(GetRValue(color)), lighten(GetGValue(color)), lighten(GetBValue(color)), 1.0);
}

void send(const fpt &p) { glVertex3d(p.x, p.y, p.z); }

// One pixel per 256 pixels of the picture's shorter side, so that lines of a
// picture that is later halved into a window stay at least a pixel wide.
double line_width(int width, int height)
{
    if (scaled_line_width == 0)
        return 1.0;
    return std::max(1.0, std::min(width, height) / 256.0);
}

} // namespace

void cl_opengl_image::ApplyLighting()
{
    if (!(diffuse > 0.0))
        return;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    const GLfloat ambient_color[] = {static_cast<GLfloat>(ambient), static_cast<GLfloat>(ambient),
                                     static_cast<GLfloat>(ambient), 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient_color);
    const GLfloat diffuse_color[] = {static_cast<GLfloat>(diffuse), static_cast<GLfloat>(diffuse),
                                     static_cast<GLfloat>(diffuse), 1.0f};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse_color);
    // Given under the identity, the light stays fixed to the camera: upper right, in front.
    const GLfloat direction[] = {1.0f, 1.0f, 1.0f, 0.0f};
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
}

void cl_opengl_image::DrawTriangles()
{
    if (!initialised || !bitmap)
        return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    bool light_for_pass = !glIsEnabled(GL_LIGHT0) && diffuse > 0.0;
    if (light_for_pass)
        glEnable(GL_LIGHT0);
    if (!triangles.empty()) {
        glBegin(GL_TRIANGLES);
        const cl_opengl_image_triangle *previous = nullptr;
        for (const cl_opengl_image_triangle &t : triangles) {
            if (!previous || t.color != previous->color)
                set_lightened_color(t.color);
            previous = &t;
            glNormal3d(t.normal_a.x, t.normal_a.y, t.normal_a.z);
            send(t.corner_a);
            glNormal3d(t.normal_b.x, t.normal_b.y, t.normal_b.z);
            send(t.corner_b);
            glNormal3d(t.normal_c.x, t.normal_c.y, t.normal_c.z);
            send(t.corner_c);
        }
        glEnd();
        note_pass_error();
    }
    if (light_for_pass)
        glDisable(GL_LIGHT0);
}

void cl_opengl_image::DrawLines()
{
    if (!initialised || !bitmap)
        return;
    glLineWidth(static_cast<float>(line_width(width, height)));
    COLORREF running = line_start_color;
    set_color(running);
    if (triangles.empty() && lines.empty()) {
        if (points.empty())
            return;
        markers_added = true;
        for (const fpt &p : points)
            AddPointMarker(p.x, p.y, p.z);
    }
    glBegin(GL_LINES);
    for (const cl_opengl_image_triangle &t : triangles) {
        if (t.color != running) {
            running = t.color;
            set_color(running);
        }
        if (t.edge_mask & 1) {
            send(t.corner_a);
            send(t.corner_b);
        }
        if (t.edge_mask & 2) {
            send(t.corner_b);
            send(t.corner_c);
        }
        if (t.edge_mask & 4) {
            send(t.corner_c);
            send(t.corner_a);
        }
    }
    if (show_lines != 0 || markers_added) {
        for (const cl_opengl_image_line &l : lines) {
            if (l.color != running) {
                running = l.color;
                set_color(running);
            }
            send(l.start);
            send(l.end);
        }
    }
    glEnd();
    note_pass_error();
}
