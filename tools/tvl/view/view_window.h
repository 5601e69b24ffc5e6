// The window of tvl view: the symbol list with its filter box on the left,
// the picture on the right, turned by dragging.
#pragma once
#include <string>

struct view_options {
    std::string library;
    std::string symbol; // shown first; empty: the first listed
    std::string colors;
    std::string mode = "full";
};

// Runs the window until it is closed; the exit status of tvl view.  Writes a
// message to standard error and returns 1 when there is no display, the library
// lists nothing or the symbol is not listed.
int run_view_window(const view_options &options);
