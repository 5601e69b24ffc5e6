// PNG pictures written by tvl, read back for pixel checks.
#pragma once
#include <png.h>

#include <string>
#include <vector>

struct picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    unsigned color(int x, int y) const
    {
        const auto *p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    }
};

inline bool read_png(const std::string &file, picture &out)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
}

// The smallest box holding every pixel that differs from the background;
// false when there is none.
struct pixel_box {
    int left = 0, top = 0, right = -1, bottom = -1;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

inline bool drawn_box(const picture &p, unsigned background, pixel_box &box)
{
    bool found = false;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.color(x, y) != background) {
                if (!found || x < box.left)
                    box.left = x;
                if (!found || x > box.right)
                    box.right = x;
                if (!found || y < box.top)
                    box.top = y;
                if (!found || y > box.bottom)
                    box.bottom = y;
                found = true;
            }
    return found;
}
