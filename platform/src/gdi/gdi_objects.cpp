// Bitmaps (DIB sections) and memory device contexts.
#include <cstring>
#include <new>

#include "gdi_internal.h"

namespace {

constexpr long long max_dimension = 32768;
constexpr long long max_bytes = 1LL << 30;

} // namespace

skel_bitmap *skel_as_bitmap(HGDIOBJ object)
{
    auto *b = static_cast<skel_bitmap *>(object);
    return b && b->magic == skel_bitmap::tag ? b : nullptr;
}

skel_dc *skel_as_dc(HDC dc) { return dc && dc->magic == skel_dc::tag ? dc : nullptr; }

std::unique_ptr<skel_bitmap> skel_new_bitmap(int width, int height, int bpp, bool top_down)
{
    if (width < 1 || height < 1 || width > max_dimension || height > max_dimension)
        return nullptr;
    if (bpp != 24 && bpp != 32)
        return nullptr;
    LONG stride = skel_dib_stride(width, bpp);
    long long bytes = static_cast<long long>(stride) * height;
    if (bytes > max_bytes)
        return nullptr;
    auto bitmap = std::unique_ptr<skel_bitmap>(new (std::nothrow) skel_bitmap);
    if (!bitmap)
        return nullptr;
    bitmap->pixels.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]);
    if (!bitmap->pixels)
        return nullptr;
    std::memset(bitmap->pixels.get(), 0, static_cast<std::size_t>(bytes));
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bpp = bpp;
    bitmap->top_down = top_down;
    bitmap->stride = stride;
    return bitmap;
}

HDC CreateCompatibleDC(HDC)
{
    auto dc = std::unique_ptr<skel_dc>(new (std::nothrow) skel_dc);
    if (!dc)
        return nullptr;
    dc->stock = skel_new_bitmap(1, 1, 32, false);
    if (!dc->stock)
        return nullptr;
    dc->stock->selected_in = dc.get();
    dc->bitmap = dc->stock.get();
    return dc.release();
}

BOOL DeleteDC(HDC handle)
{
    skel_dc *dc = skel_as_dc(handle);
    if (!dc)
        return FALSE;
    if (dc->gl)
        skel_wgl_dc_deleted(dc);
    if (dc->bitmap && dc->bitmap != dc->stock.get())
        dc->bitmap->selected_in = nullptr;
    dc->magic = 0;
    delete dc;
    return TRUE;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO *info, UINT usage, void **bits, void *section,
                         DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section)
        return nullptr;
    const BITMAPINFOHEADER &h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biCompression != BI_RGB)
        return nullptr;
    // -height is top-down; the smallest LONG has no positive counterpart.
    if (h.biHeight == INT32_MIN)
        return nullptr;
    bool top_down = h.biHeight < 0;
    int height = top_down ? -h.biHeight : h.biHeight;
    auto bitmap = skel_new_bitmap(h.biWidth, height, h.biBitCount, top_down);
    if (!bitmap)
        return nullptr;
    if (bits)
        *bits = bitmap->pixels.get();
    return bitmap.release();
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object)
{
    skel_dc *dc = skel_as_dc(handle);
    skel_bitmap *bitmap = skel_as_bitmap(object);
    if (!dc || !bitmap)
        return nullptr;
    if (bitmap->selected_in && bitmap->selected_in != dc)
        return nullptr;
    skel_bitmap *previous = dc->bitmap;
    // The stock bitmap stays marked as its DC's, so that nobody deletes it.
    if (previous && previous != dc->stock.get())
        previous->selected_in = nullptr;
    bitmap->selected_in = dc;
    dc->bitmap = bitmap;
    if (dc->gl)
        skel_wgl_bitmap_selected(dc);
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    skel_bitmap *bitmap = skel_as_bitmap(object);
    if (!bitmap || bitmap->selected_in)
        return FALSE;
    bitmap->magic = 0;
    delete bitmap;
    return TRUE;
}

int GetObject(HGDIOBJ object, int size, void *out)
{
    skel_bitmap *bitmap = skel_as_bitmap(object);
    if (!bitmap || !out || size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP description{};
    description.bmType = 0;
    description.bmWidth = bitmap->width;
    description.bmHeight = bitmap->height;
    description.bmWidthBytes = bitmap->stride;
    description.bmPlanes = 1;
    description.bmBitsPixel = static_cast<WORD>(bitmap->bpp);
    description.bmBits = bitmap->pixels.get();
    std::memcpy(out, &description, sizeof description);
    return static_cast<int>(sizeof description);
}

HBITMAP skel_dc_bitmap(HDC handle)
{
    skel_dc *dc = skel_as_dc(handle);
    return dc ? dc->bitmap : nullptr;
}

int SetStretchBltMode(HDC handle, int mode)
{
    skel_dc *dc = skel_as_dc(handle);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    int previous = dc->stretch_mode;
    dc->stretch_mode = mode;
    return previous;
}

int GetStretchBltMode(HDC handle)
{
    skel_dc *dc = skel_as_dc(handle);
    return dc ? dc->stretch_mode : 0;
}
