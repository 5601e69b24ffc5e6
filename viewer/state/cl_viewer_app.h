// The viewer library's one application object, created when the library is
// loaded: the library's own folder and the layer colour state that every
// viewer object of the process shares.
#pragma once
#include <map>
#include <string>

class cl_viewer_app {
public:
    // Takes the folder from the module path: everything before its last '\'
    // or '/'.  Without a separator shows the failure box and returns false.
    bool InitInstance(const std::string &module_path);

    std::string folder; // without a trailing separator
    bool initialised = false;
    std::string layer_color_file;
    std::map<std::string, std::string> layer_color_map;
};

cl_viewer_app &viewer_app();
