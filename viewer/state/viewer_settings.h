// The block the viewer shows and what became of its last load: process-wide,
// so every cl_export_functions object of the process shares them.
#pragma once
#include <string>

#include "skelvane/cstring.h"
#include "skelvane/image.h"

extern std::string library_path;
extern std::string block_name;
// The wrapper of the bitmap that the last render handed out; empty between calls.
extern CImage *render_image;
// What the last load_block_definition returned (0 before any) and the drawing
// mode it loaded with, so that a change of mode loads the block again.
extern int last_load_result;
extern int loaded_drawing_mode;
// Every name that GetBlockList has read, in reading order.
extern CStringArray block_name_list;
