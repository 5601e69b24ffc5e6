// Work on one symbol inside a gallery process: read its facts when they are
// not known, and draw the pictures the cache lacks.
#pragma once
#include <string>

#include "gallery_settings.h"
#include "symbol_facts.h"

class cl_export_functions;

struct drawing_counts {
    long rendered = 0;      // pictures drawn into the cache
    long thumbnails = 0;    // of the pictures drawn
    double thumbnail_ms = 0.0; // time spent rendering and writing thumbnails
    double views_ms = 0.0;     // and pictures of four views
};

// A viewer set up for the gallery's pictures (one per process: its state is process-wide).
void set_up_gallery_viewer(cl_export_functions &viewer, const gallery_settings &settings);

// Brings facts up to date (read_facts: from the reader and the viewer) and puts
// every missing picture of the symbol into the cache.  drawing is the
// settings text of drawing_settings.
void draw_symbol(cl_export_functions &viewer, const std::string &library, const std::string &stamped_library,
                 symbol_facts &facts, bool read_facts, const gallery_settings &settings,
                 const std::string &drawing, drawing_counts &counts);

// True when every picture of the symbol is in the cache.
bool pictures_cached(const std::string &stamped_library, const symbol_facts &facts,
                     const gallery_settings &settings, const std::string &drawing);
