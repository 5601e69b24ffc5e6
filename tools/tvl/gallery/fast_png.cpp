#include "fast_png.h"

#include <png.h>

#include <cstdio>

bool write_fast_png(const CImage &image, const std::string &path)
{
    if (image.IsNull() || image.GetBPP() != 24)
        return false;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.GetWidth());
    png.height = static_cast<png_uint_32>(image.GetHeight());
    png.format = PNG_FORMAT_BGR;
    png.flags = PNG_IMAGE_FLAG_FAST;
    // The simplified writer takes the first row in memory: the bottom one when
    // the pitch is negative (a bottom-up DIB).
    const int pitch = image.GetPitch();
    const auto *top = static_cast<const unsigned char *>(image.GetBits());
    const unsigned char *first = pitch < 0 ? top + static_cast<long>(pitch) * (image.GetHeight() - 1) : top;
    const bool written = png_image_write_to_file(&png, path.c_str(), 0, first, pitch, nullptr) != 0;
    png_image_free(&png);
    if (!written)
        std::remove(path.c_str());
    return written;
}
