// The class library's image: a DIB section with its size and depth, pixels stored
// as on Windows (rows bottom-up for a positive height, BGR(A) byte order).
#pragma once
#include "skelvane/gdi.h"
#include "skelvane/wintypes.h"

class SKEL_API CImage {
public:
    CImage();
    CImage(const CImage &) = delete;
    CImage &operator=(const CImage &) = delete;
    ~CImage();

    // A new DIB of width x height pixels (positive height: bottom-up; negative: top-down)
    // at 24 or 32 bits per pixel; pixels start black.  FALSE when it already
    // holds a bitmap or the size is not supported.
    BOOL Create(int width, int height, int bits_per_pixel, DWORD flags = 0);
    // Releases the bitmap (and the DC handed out by GetDC).
    void Destroy();
    // Takes over a DIB section, reading its size and depth; the image now deletes it.
    void Attach(HBITMAP bitmap);
    // Gives the bitmap back to the caller; the image is empty afterwards.
    HBITMAP Detach();

    bool IsNull() const { return bitmap_ == nullptr; }
    operator HBITMAP() const { return bitmap_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetBPP() const { return bpp_; }
    // Bytes from one row to the row below it: negative for a bottom-up DIB.
    int GetPitch() const;
    // The first byte of the top row.
    void *GetBits();
    const void *GetBits() const;
    void *GetPixelAddress(int x, int y);
    // Colour of pixel (x, y) from the top-left (0 outside the image).
    COLORREF GetPixel(int x, int y) const;
    void SetPixel(int x, int y, COLORREF color);

    // A memory DC with the bitmap selected; GetDC/ReleaseDC pairs may nest.
    HDC GetDC() const;
    void ReleaseDC() const;

    BOOL BitBlt(HDC dest, int x, int y, DWORD rop = SRCCOPY) const;
    BOOL BitBlt(HDC dest, int x, int y, int width, int height, int xs, int ys,
                DWORD rop = SRCCOPY) const;
    BOOL StretchBlt(HDC dest, int x, int y, int width, int height, DWORD rop = SRCCOPY) const;
    BOOL StretchBlt(HDC dest, int x, int y, int width, int height, int xs, int ys, int ws, int hs,
                    DWORD rop = SRCCOPY) const;
    BOOL StretchBlt(HDC dest, const RECT &dest_rect, const RECT &source_rect,
                    DWORD rop = SRCCOPY) const;

private:
    HBITMAP bitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int bpp_ = 0;
    mutable HDC dc_ = nullptr;
    mutable HGDIOBJ dc_previous_ = nullptr;
    mutable int dc_count_ = 0;
};
