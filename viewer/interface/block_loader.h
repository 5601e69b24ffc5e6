// Makes the reader deliver one block into the converters and so into current_scene.
#pragma once
#include "skelvane/cstring.h"

// 1 delivered, -1 empty library or block, -2 the reader refused or the scene
// could not hold the block (then "ERROR: Scene exceeds ..." on standard output,
// where the reader reports).
int load_block_definition(CString library, CString block);
