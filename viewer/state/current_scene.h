// The one scene of the process: the converters add to it while a block loads
// and image production renders it.  Made and deleted only through
// render/scene_functions.h.
#pragma once

class cl_opengl_image;

extern cl_opengl_image *current_scene;
