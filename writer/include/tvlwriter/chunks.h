// Transitional: the writer's headers now live in writer/.
#pragma once
#include "writer/compress.h"
