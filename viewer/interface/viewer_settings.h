// The viewer's process-wide values: every cl_export_functions object of the
// process shares them.
#pragma once
#include <string>

#include "render/view_settings.h"
#include "skelvane/cstring.h"
#include "skelvane/image.h"

extern std::string library_path;
extern std::string block_name;
// The wrapper of the bitmap that the last render handed out; empty between calls.
extern CImage *render_image;
// Every name that GetBlockList has read, in reading order.
extern CStringArray block_name_list;
