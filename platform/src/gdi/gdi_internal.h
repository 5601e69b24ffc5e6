// The objects behind HBITMAP and HDC, shared by the GDI and WGL stand-ins.
#pragma once
#include <cstdint>
#include <memory>

#include "skelvane/gdi.h"

struct skel_glrc;

struct skel_bitmap {
    static constexpr std::uint32_t tag = 0x50414d42; // "BMAP"
    std::uint32_t magic = tag;
    int width = 0;
    int height = 0; // always positive; see top_down
    int bpp = 0;
    bool top_down = false;
    LONG stride = 0;
    std::unique_ptr<std::uint8_t[]> pixels;
    skel_dc *selected_in = nullptr;

    // Row y counted from the top.
    std::uint8_t *row(int y) const
    {
        int memory_row = top_down ? y : height - 1 - y;
        return pixels.get() + static_cast<std::ptrdiff_t>(memory_row) * stride;
    }
};

struct skel_dc {
    static constexpr std::uint32_t tag = 0x4d434443; // "CDCM"
    std::uint32_t magic = tag;
    skel_bitmap *bitmap = nullptr;
    std::unique_ptr<skel_bitmap> stock; // the 1 x 1 bitmap a new DC starts with
    int stretch_mode = BLACKONWHITE;
    int pixel_format = 0;
    skel_glrc *gl = nullptr; // the context created on this DC, if any
};

skel_bitmap *skel_as_bitmap(HGDIOBJ object);
skel_dc *skel_as_dc(HDC dc);
// A bitmap of the given size; null when unsupported or memory is short.
std::unique_ptr<skel_bitmap> skel_new_bitmap(int width, int height, int bpp, bool top_down);

// Told by the WGL stand-in's side: the DC's selected bitmap changed / the DC is going away.
void skel_wgl_bitmap_selected(skel_dc *dc);
void skel_wgl_dc_deleted(skel_dc *dc);
