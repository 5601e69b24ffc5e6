#include "png_file.h"

#include <png.h>

#include <cstdio>
#include <vector>

bool write_png(const CImage &image, const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    bool done = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = image.GetPixel(x, y);
                row[static_cast<std::size_t>(x) * 3] = GetRValue(c);
                row[static_cast<std::size_t>(x) * 3 + 1] = GetGValue(c);
                row[static_cast<std::size_t>(x) * 3 + 2] = GetBValue(c);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        done = true;
    }
    png_destroy_write_struct(&png, &info);
    const bool written = std::fclose(file) == 0 && done;
    // No half-written picture is left behind.
    if (!written)
        std::remove(path.c_str());
    return written;
}
