// Off-screen windows: a client area backed by an image.
#include "skelvane/window.h"

#include <new>

#include "skelvane/image.h"

struct skel_window {
    static constexpr std::uint32_t tag = 0x444e4957; // "WIND"
    std::uint32_t magic = tag;
    CImage *image = nullptr;
    bool owns_image = false;
    int dcs_out = 0; // device contexts handed out and not yet released
};

namespace {

skel_window *as_window(HWND window)
{
    return window && window->magic == skel_window::tag ? window : nullptr;
}

} // namespace

HWND skel_create_offscreen_window(int width, int height)
{
    if (width < 1 || height < 1)
        return nullptr;
    auto *image = new (std::nothrow) CImage;
    if (!image)
        return nullptr;
    if (!image->Create(width, height, 24)) {
        delete image;
        return nullptr;
    }
    HDC dc = image->GetDC();
    RECT all{0, 0, width, height};
    skel_fill_rect(dc, &all, RGB(255, 255, 255));
    image->ReleaseDC();
    auto *window = new (std::nothrow) skel_window;
    if (!window) {
        delete image;
        return nullptr;
    }
    window->image = image;
    window->owns_image = true;
    return window;
}

HWND skel_create_window_over(CImage *surface)
{
    if (!surface || surface->IsNull())
        return nullptr;
    auto *window = new (std::nothrow) skel_window;
    if (window)
        window->image = surface;
    return window;
}

CImage *skel_window_image(HWND handle)
{
    skel_window *window = as_window(handle);
    return window ? window->image : nullptr;
}

BOOL DestroyWindow(HWND handle)
{
    skel_window *window = as_window(handle);
    if (!window)
        return FALSE;
    while (window->dcs_out > 0) {
        --window->dcs_out;
        window->image->ReleaseDC();
    }
    if (window->owns_image)
        delete window->image;
    window->magic = 0;
    delete window;
    return TRUE;
}

BOOL GetClientRect(HWND handle, RECT *rect)
{
    skel_window *window = as_window(handle);
    if (!window || !rect)
        return FALSE;
    *rect = RECT{0, 0, window->image->GetWidth(), window->image->GetHeight()};
    return TRUE;
}

HDC GetDC(HWND handle)
{
    skel_window *window = as_window(handle);
    if (!window)
        return nullptr;
    HDC dc = window->image->GetDC();
    if (dc)
        ++window->dcs_out;
    return dc;
}

int ReleaseDC(HWND handle, HDC dc)
{
    skel_window *window = as_window(handle);
    if (!window || !dc || window->dcs_out == 0)
        return 0;
    --window->dcs_out;
    window->image->ReleaseDC();
    return 1;
}
