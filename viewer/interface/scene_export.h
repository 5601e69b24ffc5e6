// The scene of one block for tools: the public declarations live in
// tavrel_scene.h; tools that include this header keep working.
#pragma once
#include "tavrel_scene.h"
