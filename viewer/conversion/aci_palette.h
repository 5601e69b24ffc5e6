// The standard colour index palette of CAD drawings (index 1 to 255).
#pragma once
#include "conversion/layer_colors.h"

// Index 1..255 to RGB; anything else gives index 7 (the foreground colour).
// Index 7 is drawn black, since the viewer's pictures are light by default.
cl_rgb aci_color(long index);
