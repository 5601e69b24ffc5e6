// Pixel copies between device contexts: fill, bit-block copy and stretch.
#include <algorithm>
#include <cstdlib>

#include "gdi_internal.h"

namespace {

struct bgra {
    std::uint8_t b, g, r, a;
};

bgra read_pixel(const skel_bitmap &bm, int x, int y)
{
    const std::uint8_t *p = bm.row(y) + static_cast<std::ptrdiff_t>(x) * (bm.bpp / 8);
    return bgra{p[0], p[1], p[2], bm.bpp == 32 ? p[3] : std::uint8_t{0}};
}

void write_pixel(const skel_bitmap &bm, int x, int y, bgra c)
{
    std::uint8_t *p = bm.row(y) + static_cast<std::ptrdiff_t>(x) * (bm.bpp / 8);
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
    if (bm.bpp == 32)
        p[3] = c.a;
}

bool inside(const skel_bitmap &bm, long long x, long long y)
{
    return x >= 0 && y >= 0 && x < bm.width && y < bm.height;
}

// Source coordinate for destination step i of n over a source span of m (nearest pixel).
long long nearest(long long i, long long n, long long m) { return ((2 * i + 1) * m) / (2 * n); }

} // namespace

BOOL skel_fill_rect(HDC handle, const RECT *rect, COLORREF color)
{
    skel_dc *dc = skel_as_dc(handle);
    if (!dc || !dc->bitmap || !rect)
        return FALSE;
    const skel_bitmap &bm = *dc->bitmap;
    int left = std::max<LONG>(rect->left, 0);
    int top = std::max<LONG>(rect->top, 0);
    int right = std::min<LONG>(rect->right, bm.width);
    int bottom = std::min<LONG>(rect->bottom, bm.height);
    bgra c{GetBValue(color), GetGValue(color), GetRValue(color), 0};
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            write_pixel(bm, x, y, c);
    return TRUE;
}

COLORREF GetPixel(HDC handle, int x, int y)
{
    skel_dc *dc = skel_as_dc(handle);
    if (!dc || !dc->bitmap || !inside(*dc->bitmap, x, y))
        return 0xFFFFFFFF;
    bgra c = read_pixel(*dc->bitmap, x, y);
    return RGB(c.r, c.g, c.b);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int xs, int ys, DWORD rop)
{
    return StretchBlt(dest, x, y, width, height, source, xs, ys, width, height, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int xs, int ys, int ws,
                int hs, DWORD rop)
{
    skel_dc *d = skel_as_dc(dest);
    skel_dc *s = skel_as_dc(source);
    if (!d || !s || !d->bitmap || !s->bitmap || rop != SRCCOPY)
        return FALSE;
    const skel_bitmap &to = *d->bitmap;
    const skel_bitmap &from = *s->bitmap;

    // Negative extents mirror; fold them into positive spans with a flip.
    long long dx = x, dy = y, dw = width, dh = height, sx = xs, sy = ys, sw = ws, sh = hs;
    bool flip_x = false, flip_y = false;
    if (dw < 0) { dx += dw; dw = -dw; flip_x = !flip_x; }
    if (dh < 0) { dy += dh; dh = -dh; flip_y = !flip_y; }
    if (sw < 0) { sx += sw; sw = -sw; flip_x = !flip_x; }
    if (sh < 0) { sy += sh; sh = -sh; flip_y = !flip_y; }
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0)
        return TRUE;
    // Keeps the nearest-pixel arithmetic far from overflow.
    constexpr long long span_limit = 1LL << 30;
    if (dw > span_limit || dh > span_limit || sw > span_limit || sh > span_limit)
        return FALSE;

    // Only the destination pixels inside the bitmap are visited.
    long long i0 = std::max(0LL, -dx), i1 = std::min(dw, to.width - dx);
    long long j0 = std::max(0LL, -dy), j1 = std::min(dh, to.height - dy);
    for (long long j = j0; j < j1; ++j) {
        long long src_y = sy + nearest(flip_y ? dh - 1 - j : j, dh, sh);
        for (long long i = i0; i < i1; ++i) {
            long long src_x = sx + nearest(flip_x ? dw - 1 - i : i, dw, sw);
            if (!inside(from, src_x, src_y))
                continue;
            write_pixel(to, static_cast<int>(dx + i), static_cast<int>(dy + j),
                        read_pixel(from, static_cast<int>(src_x), static_cast<int>(src_y)));
        }
    }
    return TRUE;
}
