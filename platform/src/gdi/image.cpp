// CImage: a DIB section with the device context it hands out.
#include "skelvane/image.h"

#include <cstring>

#include "gdi_internal.h"

CImage::CImage() = default;

CImage::~CImage() { Destroy(); }

BOOL CImage::Create(int width, int height, int bits_per_pixel, DWORD)
{
    if (bitmap_)
        return FALSE;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits_per_pixel);
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return FALSE;
    Attach(bitmap);
    return TRUE;
}

void CImage::Destroy()
{
    HBITMAP bitmap = Detach();
    if (bitmap)
        DeleteObject(bitmap);
}

void CImage::Attach(HBITMAP bitmap)
{
    Destroy();
    skel_bitmap *b = skel_as_bitmap(bitmap);
    if (!b)
        return;
    bitmap_ = bitmap;
    width_ = b->width;
    height_ = b->height;
    bpp_ = b->bpp;
}

HBITMAP CImage::Detach()
{
    // A DC still handed out must let go of the bitmap first.
    if (dc_) {
        SelectObject(dc_, dc_previous_);
        DeleteDC(dc_);
        dc_ = nullptr;
        dc_previous_ = nullptr;
        dc_count_ = 0;
    }
    HBITMAP bitmap = bitmap_;
    bitmap_ = nullptr;
    width_ = height_ = bpp_ = 0;
    return bitmap;
}

int CImage::GetPitch() const
{
    skel_bitmap *b = skel_as_bitmap(bitmap_);
    if (!b)
        return 0;
    return b->top_down ? b->stride : -b->stride;
}

void *CImage::GetBits()
{
    skel_bitmap *b = skel_as_bitmap(bitmap_);
    return b ? b->row(0) : nullptr;
}

const void *CImage::GetBits() const
{
    skel_bitmap *b = skel_as_bitmap(bitmap_);
    return b ? b->row(0) : nullptr;
}

void *CImage::GetPixelAddress(int x, int y)
{
    skel_bitmap *b = skel_as_bitmap(bitmap_);
    if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height)
        return nullptr;
    return b->row(y) + static_cast<std::ptrdiff_t>(x) * (b->bpp / 8);
}

COLORREF CImage::GetPixel(int x, int y) const
{
    skel_bitmap *b = skel_as_bitmap(bitmap_);
    if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height)
        return 0;
    const std::uint8_t *p = b->row(y) + static_cast<std::ptrdiff_t>(x) * (b->bpp / 8);
    return RGB(p[2], p[1], p[0]);
}

void CImage::SetPixel(int x, int y, COLORREF color)
{
    auto *p = static_cast<std::uint8_t *>(GetPixelAddress(x, y));
    if (!p)
        return;
    p[0] = GetBValue(color);
    p[1] = GetGValue(color);
    p[2] = GetRValue(color);
}

HDC CImage::GetDC() const
{
    if (!bitmap_)
        return nullptr;
    if (!dc_) {
        dc_ = CreateCompatibleDC(nullptr);
        if (!dc_)
            return nullptr;
        dc_previous_ = SelectObject(dc_, bitmap_);
        if (!dc_previous_) {
            DeleteDC(dc_);
            dc_ = nullptr;
            return nullptr;
        }
    }
    ++dc_count_;
    return dc_;
}

void CImage::ReleaseDC() const
{
    if (!dc_ || --dc_count_ > 0)
        return;
    SelectObject(dc_, dc_previous_);
    DeleteDC(dc_);
    dc_ = nullptr;
    dc_previous_ = nullptr;
    dc_count_ = 0;
}

BOOL CImage::BitBlt(HDC dest, int x, int y, DWORD rop) const
{
    return BitBlt(dest, x, y, width_, height_, 0, 0, rop);
}

BOOL CImage::BitBlt(HDC dest, int x, int y, int width, int height, int xs, int ys, DWORD rop) const
{
    HDC source = GetDC();
    if (!source)
        return FALSE;
    BOOL done = ::BitBlt(dest, x, y, width, height, source, xs, ys, rop);
    ReleaseDC();
    return done;
}

BOOL CImage::StretchBlt(HDC dest, int x, int y, int width, int height, DWORD rop) const
{
    return StretchBlt(dest, x, y, width, height, 0, 0, width_, height_, rop);
}

BOOL CImage::StretchBlt(HDC dest, int x, int y, int width, int height, int xs, int ys, int ws,
                        int hs, DWORD rop) const
{
    HDC source = GetDC();
    if (!source)
        return FALSE;
    BOOL done = ::StretchBlt(dest, x, y, width, height, source, xs, ys, ws, hs, rop);
    ReleaseDC();
    return done;
}

BOOL CImage::StretchBlt(HDC dest, const RECT &d, const RECT &s, DWORD rop) const
{
    return StretchBlt(dest, d.left, d.top, d.right - d.left, d.bottom - d.top, s.left, s.top,
                      s.right - s.left, s.bottom - s.top, rop);
}
