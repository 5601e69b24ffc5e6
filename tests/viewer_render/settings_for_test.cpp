#include "render/view_settings.h"

int camera_rotation = 0;
int camera_tilt = 0;
int show_lines = 0;
