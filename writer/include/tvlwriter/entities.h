// Transitional: the writer's headers now live in writer/.
#pragma once
#include "writer/entity_encoder.h"
