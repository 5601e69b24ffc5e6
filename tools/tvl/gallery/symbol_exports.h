// The symbols' drawings as DXF, SVG and OBJ files for the gallery's downloads.
// tvl export makes them, a whole library per format in one run, into the
// cache, keyed on the library file as it is and the drawing settings; the site
// links them from there.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

#include "gallery_settings.h"

struct site_library;

// True when program has an export subcommand.
bool export_available(const std::string &program);

// The cache folder of one library's exports (a format's files in FOLDER/FORMAT/).
std::string export_folder(const gallery_settings &settings, const site_library &library);

// Exports being made for the libraries whose folder is missing, in processes of their own.
struct export_runs {
    struct run {
        pid_t pid;
        std::string temporary; // the folder they write into
        std::string folder;    // renamed to this when all have ended
    };
    std::vector<std::vector<run>> libraries;
};
export_runs start_exports(const std::string &program, const gallery_settings &settings,
                          const std::vector<site_library> &libraries);
// Waits for them and puts each library's folder in place.
void finish_exports(export_runs &runs);

// The formats and their companion files, as the site links them.
const std::vector<std::string> &export_formats();
