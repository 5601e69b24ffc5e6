#include "interface/viewer_settings.h"

std::string library_path;
std::string block_name;
int show_lines = 0;
int camera_rotation = 0;
int camera_tilt = 0;
CImage *render_image = nullptr;
int last_load_result = 0;
int loaded_drawing_mode = 0;
CStringArray block_name_list;
