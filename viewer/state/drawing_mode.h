// How the viewer turns a delivered block into geometry.  Process-wide like the
// viewer's other settings; set through cl_export_functions::SetDrawingMode.
#pragma once

// Values as in include/tavrel_viewer.h (TAVREL_MODE_CLASSIC, TAVREL_MODE_FULL).
// The full mode with line types draws dashes and gaps.
enum cl_drawing_mode {
    drawing_mode_classic = 0,
    drawing_mode_full = 1,
    drawing_mode_full_line_types = 2
};

// The mode in force; classic until a host asks for more.
extern int drawing_mode;
