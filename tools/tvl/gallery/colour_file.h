// Layer colour numbers as RGB, read from the layer colour file the pictures use,
// for the swatches of the symbol pages.
#pragma once
#include <map>
#include <string>

// Colour number -> "#rrggbb"; numbers 0 to 255 are the viewer's default grey
// unless the file sets them.  Empty when no file is given.
std::map<int, std::string> read_colour_file(const std::string &path);
