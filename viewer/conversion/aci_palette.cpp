#include "conversion/aci_palette.h"

#include <array>
#include <cmath>

namespace {

// Indexes 10 to 249: 24 hues 15 degrees apart, each in five brightnesses,
// every second entry half saturated.
cl_rgb hue_entry(int index)
{
    const int hue = (index - 10) / 10 * 15;
    const int shade = index % 10;
    static constexpr double values[5] = {255.0, 165.0, 127.0, 76.0, 38.0};
    const double v = values[shade / 2];
    const double low = (shade % 2) ? v / 2.0 : 0.0;
    const double f = (hue % 60) / 60.0;
    const int high = static_cast<int>(v);
    const int rising = static_cast<int>(std::floor(low + (v - low) * f));
    const int falling = static_cast<int>(std::floor(v - (v - low) * f));
    const int bottom = static_cast<int>(std::floor(low));
    switch (hue / 60) {
    case 0: return {high, rising, bottom};
    case 1: return {falling, high, bottom};
    case 2: return {bottom, high, rising};
    case 3: return {bottom, falling, high};
    case 4: return {rising, bottom, high};
    default: return {high, bottom, falling};
    }
}

std::array<cl_rgb, 256> make_palette()
{
    std::array<cl_rgb, 256> p{};
    p[1] = {255, 0, 0};
    p[2] = {255, 255, 0};
    p[3] = {0, 255, 0};
    p[4] = {0, 255, 255};
    p[5] = {0, 0, 255};
    p[6] = {255, 0, 255};
    p[7] = {0, 0, 0};
    p[8] = {128, 128, 128};
    p[9] = {192, 192, 192};
    for (int i = 10; i < 250; ++i)
        p[static_cast<std::size_t>(i)] = hue_entry(i);
    static constexpr int greys[6] = {51, 80, 105, 130, 190, 255};
    for (int i = 0; i < 6; ++i)
        p[static_cast<std::size_t>(250 + i)] = {greys[i], greys[i], greys[i]};
    return p;
}

} // namespace

cl_rgb aci_color(long index)
{
    static const std::array<cl_rgb, 256> palette = make_palette();
    if (index < 1 || index > 255)
        index = 7;
    return palette[static_cast<std::size_t>(index)];
}
