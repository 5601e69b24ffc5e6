#include "colour_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

// The text up to sep, removed from rest with sep; all of rest when sep is missing.
std::string next_field(std::string &rest, char sep)
{
    const std::size_t at = rest.find(sep);
    std::string field = rest.substr(0, at);
    rest = at == std::string::npos ? std::string() : rest.substr(at + 1);
    return field;
}

std::string hex_colour(int red, int green, int blue)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", red & 255, green & 255, blue & 255);
    return text;
}

} // namespace

std::map<int, std::string> read_colour_file(const std::string &path)
{
    std::map<int, std::string> colours;
    if (path.empty())
        return colours;
    for (int i = 0; i < 256; ++i)
        colours[i] = hex_colour(200, 200, 200);
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::string rest = line;
        next_field(rest, ';');
        const int number = std::atoi(next_field(rest, ';').c_str());
        const int red = std::atoi(next_field(rest, ',').c_str());
        const int green = std::atoi(next_field(rest, ',').c_str());
        const int blue = std::atoi(next_field(rest, ';').c_str());
        if (number >= 0) // the viewer cannot hold negative numbers either
            colours[number] = hex_colour(red, green, blue);
    }
    return colours;
}
