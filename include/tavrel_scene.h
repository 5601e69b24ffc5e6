/*
 * The viewer's scene of one symbol, for tools that write it elsewhere (text,
 * OBJ, SVG).  Both functions load the symbol the way a picture loads it (in
 * the drawing mode that cl_export_functions::SetDrawingMode chose), hand over
 * the scene before any camera fit, and free it again.  Call from one thread.
 * Results: 1 loaded, -1 empty library path or symbol name, -2 refused by the
 * reader or more than a scene holds (see cl_export_functions::GetLoadResult);
 * nothing is handed over unless the result is 1.
 */
#ifndef TAVREL_SCENE_H
#define TAVREL_SCENE_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TAVREL_SCENE_API __attribute__((visibility("default")))

/* Loads the layer colour file first when color_file is not null, as
 * SetLayerColorFile does; then writes one line per triangle ("T" corners
 * normal #RRGGBB), line ("L" ends #RRGGBB) and point ("P" x y z) in adding
 * order, then "triangles N lines M points K". */
TAVREL_SCENE_API int tavrel_write_scene(const char *library, const char *block, const char *color_file,
                                        FILE *out);

/* Receives the scene: coordinates in the symbol's own units; colours with red
 * in bits 0-7, green in 8-15, blue in 16-23.  Any function may be null. */
struct tavrel_scene_sink {
    void *context;
    /* corners: a, b, c as x, y, z each; normal: the face normal */
    void (*triangle)(void *context, const double corners[9], const double normal[3], unsigned long color);
    /* ends: start and end as x, y, z each */
    void (*line)(void *context, const double ends[6], unsigned long color);
    void (*point)(void *context, const double at[3]);
};

/* Loads as tavrel_write_scene does and hands every triangle, line and point to
 * the sink in adding order. */
TAVREL_SCENE_API int tavrel_read_scene(const char *library, const char *block, const char *color_file,
                                       const struct tavrel_scene_sink *sink);

#ifdef __cplusplus
}
#endif

#endif
