// OpenGL contexts on memory DCs, drawn by EGL on Mesa's surfaceless platform into a
// framebuffer object the size of the DC's bitmap.
#include "skelvane/wgl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <new>
#include <vector>

#include "../gdi/gdi_internal.h"

struct skel_glrc {
    static constexpr std::uint32_t tag = 0x43524c47; // "GLRC"
    std::uint32_t magic = tag;
    EGLContext context = EGL_NO_CONTEXT;
    skel_dc *dc = nullptr;
    GLuint framebuffer = 0;
    GLuint color = 0;
    GLuint depth = 0;
    int fb_width = 0;
    int fb_height = 0;
};

namespace {

// The display and the framebuffer entry points, set up once per process.
struct egl_state {
    bool tried = false;
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;
    PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC gen_renderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bind_renderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status = nullptr;
};

egl_state egl;

// As with WGL, each thread has its own current context.
thread_local skel_glrc *current_rc = nullptr;

template <class F> bool load(F &f, const char *name)
{
    f = reinterpret_cast<F>(eglGetProcAddress(name));
    return f != nullptr;
}

bool egl_ready()
{
    if (egl.tried)
        return egl.display != EGL_NO_DISPLAY;
    egl.tried = true;

    EGLDisplay display = EGL_NO_DISPLAY;
    auto get_platform_display =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (get_platform_display)
        display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY)
        return false;
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor))
        return false;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        eglTerminate(display);
        return false;
    }
    const EGLint config_attributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, config_attributes, &config, 1, &count) || count < 1)
        config = nullptr; // a context without a config still works where supported

    bool entry_points = load(egl.gen_framebuffers, "glGenFramebuffers") &&
                        load(egl.delete_framebuffers, "glDeleteFramebuffers") &&
                        load(egl.bind_framebuffer, "glBindFramebuffer") &&
                        load(egl.gen_renderbuffers, "glGenRenderbuffers") &&
                        load(egl.delete_renderbuffers, "glDeleteRenderbuffers") &&
                        load(egl.bind_renderbuffer, "glBindRenderbuffer") &&
                        load(egl.renderbuffer_storage, "glRenderbufferStorage") &&
                        load(egl.framebuffer_renderbuffer, "glFramebufferRenderbuffer") &&
                        load(egl.check_framebuffer_status, "glCheckFramebufferStatus");
    if (!entry_points) {
        eglTerminate(display);
        return false;
    }
    egl.display = display;
    egl.config = config;
    return true;
}

skel_glrc *as_glrc(HGLRC context)
{
    return context && context->magic == skel_glrc::tag ? context : nullptr;
}

bool is_current(const skel_glrc *rc)
{
    return rc->context != EGL_NO_CONTEXT && eglGetCurrentContext() == rc->context;
}

// (Re)sizes the framebuffer to the DC's bitmap; the context must be current.
bool fit_framebuffer(skel_glrc *rc)
{
    if (!rc->dc || !rc->dc->bitmap)
        return false;
    const skel_bitmap &bm = *rc->dc->bitmap;
    if (rc->framebuffer == 0) {
        egl.gen_framebuffers(1, &rc->framebuffer);
        egl.gen_renderbuffers(1, &rc->color);
        egl.gen_renderbuffers(1, &rc->depth);
    }
    egl.bind_framebuffer(GL_FRAMEBUFFER, rc->framebuffer);
    if (rc->fb_width != bm.width || rc->fb_height != bm.height) {
        GLint max_size = 0;
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &max_size);
        if (bm.width > max_size || bm.height > max_size)
            return false;
        egl.bind_renderbuffer(GL_RENDERBUFFER, rc->color);
        egl.renderbuffer_storage(GL_RENDERBUFFER, GL_RGBA8, bm.width, bm.height);
        egl.bind_renderbuffer(GL_RENDERBUFFER, rc->depth);
        egl.renderbuffer_storage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, bm.width, bm.height);
        egl.bind_renderbuffer(GL_RENDERBUFFER, 0);
        egl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rc->color);
        egl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                     rc->depth);
        rc->fb_width = bm.width;
        rc->fb_height = bm.height;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return egl.check_framebuffer_status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void release_framebuffer(skel_glrc *rc)
{
    if (rc->framebuffer == 0)
        return;
    egl.bind_framebuffer(GL_FRAMEBUFFER, 0);
    egl.delete_framebuffers(1, &rc->framebuffer);
    egl.delete_renderbuffers(1, &rc->color);
    egl.delete_renderbuffers(1, &rc->depth);
    rc->framebuffer = rc->color = rc->depth = 0;
    rc->fb_width = rc->fb_height = 0;
}

} // namespace

void skel_wgl_bitmap_selected(skel_dc *dc)
{
    skel_glrc *rc = dc->gl;
    // Going back to the DC's own 1 x 1 bitmap keeps the framebuffer for the next one.
    if (!rc || dc->bitmap == dc->stock.get() || !is_current(rc))
        return;
    fit_framebuffer(rc);
}

void skel_wgl_dc_deleted(skel_dc *dc)
{
    if (dc->gl)
        dc->gl->dc = nullptr;
    dc->gl = nullptr;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *pfd)
{
    if (!skel_as_dc(dc) || !pfd)
        return 0;
    if (!(pfd->dwFlags & PFD_SUPPORT_OPENGL) || pfd->iPixelType != PFD_TYPE_RGBA)
        return 0;
    return 1;
}

BOOL SetPixelFormat(HDC handle, int format, const PIXELFORMATDESCRIPTOR *)
{
    skel_dc *dc = skel_as_dc(handle);
    if (!dc || format != 1)
        return FALSE;
    if (dc->pixel_format != 0 && dc->pixel_format != format)
        return FALSE;
    dc->pixel_format = format;
    return TRUE;
}

int GetPixelFormat(HDC handle)
{
    skel_dc *dc = skel_as_dc(handle);
    return dc ? dc->pixel_format : 0;
}

HGLRC wglCreateContext(HDC handle)
{
    skel_dc *dc = skel_as_dc(handle);
    if (!dc || dc->pixel_format == 0 || dc->gl || !egl_ready())
        return nullptr;
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                    EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(egl.display, egl.config ? egl.config : EGL_NO_CONFIG_KHR,
                                          EGL_NO_CONTEXT, compatibility);
    if (context == EGL_NO_CONTEXT)
        return nullptr;
    auto *rc = new (std::nothrow) skel_glrc;
    if (!rc) {
        eglDestroyContext(egl.display, context);
        return nullptr;
    }
    rc->context = context;
    rc->dc = dc;
    dc->gl = rc;
    return rc;
}

BOOL wglMakeCurrent(HDC handle, HGLRC context)
{
    if (!handle && !context) {
        current_rc = nullptr;
        if (egl.display == EGL_NO_DISPLAY)
            return TRUE;
        return eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) ? TRUE
                                                                                            : FALSE;
    }
    skel_dc *dc = skel_as_dc(handle);
    skel_glrc *rc = as_glrc(context);
    if (!dc || !rc || rc->dc != dc)
        return FALSE;
    if (!eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, rc->context))
        return FALSE;
    current_rc = rc;
    if (dc->bitmap == dc->stock.get() && rc->framebuffer != 0)
        return TRUE;
    return fit_framebuffer(rc) ? TRUE : FALSE;
}

BOOL wglDeleteContext(HGLRC context)
{
    skel_glrc *rc = as_glrc(context);
    if (!rc)
        return FALSE;
    // Framebuffer objects go with the context; release them while it can be current.
    EGLContext previous = eglGetCurrentContext();
    if (previous == rc->context || previous == EGL_NO_CONTEXT) {
        if (eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, rc->context))
            release_framebuffer(rc);
        eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (current_rc == rc)
            current_rc = nullptr;
    }
    eglDestroyContext(egl.display, rc->context);
    if (rc->dc)
        rc->dc->gl = nullptr;
    rc->magic = 0;
    delete rc;
    return TRUE;
}

HGLRC wglGetCurrentContext() { return current_rc; }

BOOL skel_wgl_read_back()
{
    skel_glrc *rc = current_rc;
    if (!rc || !rc->dc || !rc->dc->bitmap || !is_current(rc))
        return FALSE;
    const skel_bitmap &bm = *rc->dc->bitmap;
    if (bm.width != rc->fb_width || bm.height != rc->fb_height)
        return FALSE;
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    // OpenGL rows run bottom-up like a bottom-up DIB; a top-down one is flipped after.
    GLenum format = bm.bpp == 32 ? GL_BGRA : GL_BGR;
    glReadPixels(0, 0, bm.width, bm.height, format, GL_UNSIGNED_BYTE, bm.pixels.get());
    if (bm.top_down) {
        std::vector<std::uint8_t> swap(static_cast<std::size_t>(bm.stride));
        for (int y = 0; y < bm.height / 2; ++y) {
            std::uint8_t *a = bm.pixels.get() + static_cast<std::ptrdiff_t>(y) * bm.stride;
            std::uint8_t *b = bm.pixels.get() + static_cast<std::ptrdiff_t>(bm.height - 1 - y) * bm.stride;
            std::memcpy(swap.data(), a, swap.size());
            std::memcpy(a, b, swap.size());
            std::memcpy(b, swap.data(), swap.size());
        }
    }
    return TRUE;
}
