// Device-independent bitmaps and memory device contexts, the GDI services that the
// viewer draws with.  Pixels of a DIB are stored as on Windows: rows bottom-up
// (positive height; a negative height gives a top-down DIB), each row padded to a
// multiple of 4 bytes, BGR(A) byte order for 24 and 32 bits per pixel.
#pragma once
#include <cstdint>

#include "skelvane/rect.h"
#include "skelvane/wintypes.h"

struct skel_bitmap;
struct skel_dc;
using HBITMAP = skel_bitmap *;
using HDC = skel_dc *;
using HGDIOBJ = void *;

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;

// Raster operation of the copies: the only one supported.
constexpr DWORD SRCCOPY = 0x00CC0020;

// Stretch modes (accepted; stretching always picks the nearest source pixel).
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

#pragma pack(push, 2)
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
#pragma pack(pop)

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

// What GetObject reports about a bitmap.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void *bmBits;
};

constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// Bytes in one row of a DIB: padded to 4 bytes.
constexpr LONG skel_dib_stride(LONG width, int bits_per_pixel)
{
    return ((width * bits_per_pixel + 31) / 32) * 4;
}

// A memory DC (the reference DC is ignored: there is only the memory device).  It
// starts with a 1 x 1 bitmap of its own selected.  Null when out of resources.
SKEL_API HDC CreateCompatibleDC(HDC reference);
// Deletes a DC made by CreateCompatibleDC; the bitmap selected into it is left to its owner.
SKEL_API BOOL DeleteDC(HDC dc);

// A DIB section of 24 or 32 bits per pixel (BI_RGB only), width and height
// up to 32768 pixels each.  *bits receives the first byte of the pixels (the bottom row
// of a bottom-up DIB), which start zeroed.  Null (and *bits null) when the header is
// not supported or memory is short.
SKEL_API HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO *info, UINT usage, void **bits,
                                  void *section, DWORD offset);

// Selects a bitmap into a DC and returns the one it held; null when either is invalid
// or the bitmap is selected into another DC.
SKEL_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Deletes a bitmap; FALSE (and nothing deleted) while it is selected into a DC.
SKEL_API BOOL DeleteObject(HGDIOBJ object);
// Fills a BITMAP description; the number of bytes written, 0 when the object is no bitmap.
SKEL_API int GetObject(HGDIOBJ object, int size, void *out);
// The bitmap selected into a DC.
SKEL_API HBITMAP skel_dc_bitmap(HDC dc);

SKEL_API int SetStretchBltMode(HDC dc, int mode);
SKEL_API int GetStretchBltMode(HDC dc);

// Copies a rectangle of pixels (SRCCOPY), clipped to both bitmaps.  Coordinates are
// from the top-left corner of each bitmap.
SKEL_API BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int xs, int ys,
                     DWORD rop);
// Copies a source rectangle onto a destination rectangle of another size, picking the
// nearest source pixel; negative widths or heights mirror as on Windows.
SKEL_API BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int xs, int ys,
                         int ws, int hs, DWORD rop);
// Fills a rectangle with one colour, clipped to the bitmap.
SKEL_API BOOL skel_fill_rect(HDC dc, const RECT *rect, COLORREF color);
// The colour of one pixel (from the top-left corner), or 0xFFFFFFFF outside the bitmap.
SKEL_API COLORREF GetPixel(HDC dc, int x, int y);
