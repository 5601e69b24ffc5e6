#include "conversion/drawing_mode.h"

int drawing_mode = drawing_mode_classic;
