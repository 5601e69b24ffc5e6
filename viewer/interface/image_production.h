// Helpers of image production shared with the scene export.
#pragma once
#include "render/fpt.h"

// Deletes the scene and the render image and makes a new lit scene current.
void change_scene();

// The camera's looking direction for rotation r and tilt t in whole degrees:
// (0, 1, 0) turned about x by t, then about z by r.
fpt view_direction(int rotation, int tilt);
