// The scene of one block as text, for tools: the block goes through the same
// loader as a picture does, and the store is written before any camera fit.
#pragma once
#include <cstdio>

// Loads library/block into a new scene (first the layer colour file, when
// given, as SetLayerColorFile does) and, when it was delivered, writes one
// line per triangle ("T" corners normal #RRGGBB), line ("L" ends #RRGGBB) and
// point ("P" x y z) in adding order, then "triangles N lines M points K".
// The scene is freed afterwards, so this is for tools, not for hosts with pictures.
// The loader's result: 1 written, -1 empty library or block, -2 refused.
extern "C" __attribute__((visibility("default"))) int
tavrel_write_scene(const char *library, const char *block, const char *color_file,
                   std::FILE *out);
