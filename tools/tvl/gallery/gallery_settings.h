// The settings of one gallery run and the pictures each symbol gets.
#pragma once
#include <string>
#include <vector>

#include "symbol_facts.h"

struct gallery_settings {
    std::vector<std::string> libraries;
    std::string output;
    int size = 128;      // thumbnails
    int page_size = 320; // the four views of a symbol's page
    int jobs = 1;
    std::string cache;   // cache folder
    std::string colors;  // layer colour file, or empty
    std::string mode = "full";
    bool exports = true; // DXF, SVG and OBJ downloads when tvl export exists
};

// Everything besides the definition that changes a picture: drawing mode,
// program version and the colour file's contents.
std::string drawing_settings(const gallery_settings &settings);

// The four views of a symbol's page, in page order.
const std::vector<std::string> &page_views();

struct wanted_picture {
    std::string role; // "thumb" or a view name: part of the site's file name
    std::string view;
    int size;
};

// The thumbnail (in the symbol's own view) and the four views.
std::vector<wanted_picture> pictures_of(const symbol_facts &facts, const gallery_settings &settings);
