// tvl gallery's work from libraries to a finished site.
#pragma once
#include <string>

#include "gallery_settings.h"

struct gallery_result {
    std::string index;   // path of index.html; empty when no site was written
    std::string error;   // what stopped the run
    long symbols = 0;
    long rendered = 0;   // pictures drawn
    long served = 0;     // pictures taken from the cache
    long failed = 0;     // symbols without pictures
    long thumbnails = 0; // of the pictures drawn
    double thumbnail_ms = 0.0;
    double views_ms = 0.0;
};

gallery_result build_gallery(const gallery_settings &settings, const std::string &program);
