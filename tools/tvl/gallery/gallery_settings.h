// The settings of one gallery run and the pictures each symbol gets.
#pragma once
#include <string>
#include <vector>

#include "symbol_facts.h"

struct gallery_settings {
    std::vector<std::string> libraries;
    std::string output;
    int size = 128;      // thumbnails
    int page_size = 384; // the picture of four views on a symbol's page
    int jobs = 1;
    std::string cache;   // cache folder
    std::string colors;  // layer colour file, or empty
    std::string mode = "full";
    bool exports = true; // DXF, SVG and OBJ downloads when tvl export exists
};

// Everything besides the definition that changes a picture: drawing mode,
// program version and the colour file's contents.
std::string drawing_settings(const gallery_settings &settings);

// The four views of a symbol's page, in reading order of its picture's
// quarters: plan above front, iso above right.
const std::vector<std::string> &page_views();

struct wanted_picture {
    std::string role;  // "thumb" or "views": part of the site's file name
    std::string views; // one view, or the four of page_views joined by '+'
    int size;
};

// The thumbnail (in the symbol's own view) and the picture of four views.
std::vector<wanted_picture> pictures_of(const symbol_facts &facts, const gallery_settings &settings);
