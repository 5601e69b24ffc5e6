// The drawing target of a scene: memory DC, DIB section and GL context, and the
// render that hands out a finished bitmap.
#include <GL/gl.h>

#include "render/cl_opengl_image.h"

namespace {

// One pixel format for every scene of the process, filled when the first context is made.
PIXELFORMATDESCRIPTOR pixel_format{};
bool pixel_format_filled = false;

void fill_pixel_format(int bits_per_pixel)
{
    pixel_format = PIXELFORMATDESCRIPTOR{};
    pixel_format.nSize = 40;
    pixel_format.nVersion = 1;
    pixel_format.dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI | PFD_SUPPORT_OPENGL;
    pixel_format.iPixelType = PFD_TYPE_RGBA;
    pixel_format.cColorBits = static_cast<BYTE>(bits_per_pixel);
    pixel_format.cDepthBits = 24;
    pixel_format.cStencilBits = 8;
    pixel_format.iLayerType = PFD_MAIN_PLANE;
    pixel_format_filled = true;
}

} // namespace

cl_opengl_image::~cl_opengl_image() { ReleaseContext(); }

void cl_opengl_image::SetImageSize(int w, int h)
{
    width = w;
    height = h;
}

void cl_opengl_image::SetBackground(double r, double g, double b)
{
    background_r = r;
    background_g = g;
    background_b = b;
}

void cl_opengl_image::SetLighting(double diffuse_level, double ambient_level)
{
    auto unit = [](double v) { return v > 1.0 ? 1.0 : (v > 0.0 ? v : 0.0); };
    diffuse = unit(diffuse_level);
    ambient = unit(ambient_level);
    if (initialised)
        ApplyLighting();
}

bool cl_opengl_image::MakeBitmap()
{
    bitmap_header = BITMAPINFOHEADER{};
    bitmap_header.biSize = 40;
    bitmap_header.biWidth = width;
    bitmap_header.biHeight = height;
    bitmap_header.biPlanes = 1;
    bitmap_header.biBitCount = static_cast<WORD>(bits_per_pixel);
    bitmap_header.biCompression = BI_RGB;
    BITMAPINFO info{};
    info.bmiHeader = bitmap_header;
    void *pixels = nullptr;
    HBITMAP made = CreateDIBSection(memory_dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!made || !pixels) {
        if (made)
            DeleteObject(made);
        return false;
    }
    HGDIOBJ replaced = SelectObject(memory_dc, made);
    if (!replaced) {
        DeleteObject(made);
        return false;
    }
    bitmap = made;
    bits = pixels;
    previous_bitmap = static_cast<HBITMAP>(replaced);
    return true;
}

void cl_opengl_image::DropBitmap()
{
    if (!bitmap)
        return;
    if (memory_dc && previous_bitmap)
        SelectObject(memory_dc, previous_bitmap);
    DeleteObject(bitmap);
    bitmap = nullptr;
    bits = nullptr;
}

bool cl_opengl_image::RenewBitmap()
{
    if (width < 1)
        width = 100;
    if (height < 1)
        height = 100;
    DropBitmap();
    if (!MakeBitmap())
        return false;
    return SetProjection(width, height);
}

bool cl_opengl_image::CreateContext()
{
    if (width < 1)
        width = 100;
    if (height < 1)
        height = 100;
    // A failed earlier attempt may have left part of a context behind.
    ReleaseContext();

    memory_dc = CreateCompatibleDC(nullptr);
    if (!memory_dc)
        return false;
    bool made = MakeBitmap();
    if (made) {
        if (!pixel_format_filled)
            fill_pixel_format(bits_per_pixel);
        int format = ChoosePixelFormat(memory_dc, &pixel_format);
        made = format != 0 && SetPixelFormat(memory_dc, format, &pixel_format);
    }
    if (made) {
        gl_context = wglCreateContext(memory_dc);
        made = gl_context && wglMakeCurrent(memory_dc, gl_context);
    }
    made = made && SetProjection(width, height) && SetRenderState(*this);
    if (made) {
        ApplyLighting();
        made = glGetError() == GL_NO_ERROR;
    }
    if (!made) {
        ReleaseContext();
        return false;
    }
    initialised = true;
    return true;
}

HBITMAP cl_opengl_image::Render()
{
    if (!initialised)
        return nullptr;
    // Another scene's context may have been made current since; draw into our own.
    if (wglGetCurrentContext() != gl_context && !wglMakeCurrent(memory_dc, gl_context))
        return nullptr;
    if (!bitmap) {
        if (!MakeBitmap())
            return nullptr;
        SetProjection(width, height);
    }
    bool had_markers = markers_added;
    FitCamera();
    DrawTriangles();
    DrawLines();
    // Bare points have just become markers: draw again so that the fit sees them.
    if (!had_markers && markers_added) {
        FitCamera();
        DrawTriangles();
        DrawLines();
    }
    bool copied = skel_wgl_read_back();
    if (glGetError() != GL_NO_ERROR || !copied)
        return nullptr;
    SelectObject(memory_dc, previous_bitmap);
    HBITMAP finished = bitmap;
    bitmap = nullptr;
    bits = nullptr;
    return finished;
}

void cl_opengl_image::ReleaseContext()
{
    if (gl_context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(gl_context);
        gl_context = nullptr;
    }
    DropBitmap();
    if (memory_dc) {
        DeleteDC(memory_dc);
        memory_dc = nullptr;
    }
    previous_bitmap = nullptr;
    initialised = false;
}
