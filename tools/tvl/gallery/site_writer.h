// Writes the gallery's static site: index.html with every symbol's thumbnail,
// one page per symbol, the style sheet, the script and the pictures.
#pragma once
#include <string>
#include <vector>

#include "facts_file.h"
#include "gallery_settings.h"
#include "symbol_facts.h"

struct site_library {
    std::string path;  // as given
    facts_stamp stamp;
    std::vector<symbol_facts> symbols; // in the library's order
    bool facts_changed = false;        // the cache's facts file needs writing
};

struct site_counts {
    long served = 0; // pictures put into the site
    long failed = 0; // symbols without pictures
};

// program: tvl itself, for the exports; empty leaves the download links out.
bool write_site(const gallery_settings &settings, const std::string &drawing,
                const std::vector<site_library> &libraries, const std::string &program, site_counts &counts,
                std::string &error);
