// Every process-wide value of the viewer, in one place.  The application
// object, which finds the library's folder when it is created, is in
// cl_viewer_app.cpp; the scene is owned through render/scene_functions.h.
#include "state/current_scene.h"
#include "state/drawing_mode.h"
#include "state/render_settings.h"
#include "state/viewer_settings.h"

int camera_rotation = 0;
int camera_tilt = 0;
int show_lines = 0;
int fit_lines = 0;
int scaled_line_width = 0;

int drawing_mode = drawing_mode_classic;

std::string library_path;
std::string block_name;
CImage *render_image = nullptr;
int last_load_result = 0;
int loaded_drawing_mode = 0;
CStringArray block_name_list;

cl_opengl_image *current_scene = nullptr;
