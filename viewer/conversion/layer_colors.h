// Layer colours as the converters see them: layer name -> colour number
// (from the library's layer records) -> RGB (from the layer colour table).
#pragma once
#include <map>
#include <optional>
#include <string>

struct cl_rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// Layer name (case-sensitive) -> colour number written with "%d".  Lives as
// long as the viewer; the first entry for a name wins.
std::map<std::string, std::string> &layer_color_map();

// Adds name -> number unless the name already has an entry.
void layer_color_map_add(const std::string &name, int color_number);

// The table colour of the layer's number.  Nothing when the layer is not in
// the map or its number is outside the table (number 0 only with allow_zero).
std::optional<cl_rgb> layer_draw_color(const std::string &layer, bool allow_zero);
