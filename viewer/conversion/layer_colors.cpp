#include "conversion/layer_colors.h"

#include <cstdio>
#include <cstdlib>

#include "state/cl_viewer_app.h"
#include "support/layer_color_table.h"

std::map<std::string, std::string> &layer_color_map()
{
    return viewer_app().layer_color_map;
}

void layer_color_map_add(const std::string &name, int color_number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", color_number);
    layer_color_map().emplace(name, text);
}

std::optional<cl_rgb> layer_draw_color(const std::string &layer, bool allow_zero)
{
    const auto &map = layer_color_map();
    const auto found = map.find(layer);
    if (found == map.end())
        return std::nullopt;
    const long number = std::atol(found->second.c_str());
    if (number == 0 && !allow_zero)
        return std::nullopt;
    const std::optional<std::uint32_t> color = LookupLayerColor(number);
    if (!color)
        return std::nullopt;
    return cl_rgb{static_cast<int>(*color & 0xFF), static_cast<int>((*color >> 8) & 0xFF),
                  static_cast<int>((*color >> 16) & 0xFF)};
}
