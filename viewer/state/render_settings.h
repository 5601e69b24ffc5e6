// Process-wide settings that the renderer reads, set through cl_export_functions.
#pragma once

// Camera rotation and tilt in whole degrees.
extern int camera_rotation;
extern int camera_tilt;
// Non-zero: the line pass draws the line records of entities.
extern int show_lines;

// Non-zero: the camera fit counts line ends and markers too, not only triangle
// corners.  Set through cl_export_functions::SetFitLines.
extern int fit_lines;

// Non-zero: lines are drawn one pixel wide per 256 pixels of the picture, so
// that they stay at least a pixel wide when image production halves the
// picture.  Set through cl_export_functions::SetScaledLineWidth.
extern int scaled_line_width;
