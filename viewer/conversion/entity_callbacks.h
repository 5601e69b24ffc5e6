// The two callbacks the viewer registers with the reader for a block load.
#pragma once
#include "tvlaccess.h"

// Every entity of the block: parsed and dispatched by type.  Always RB_OK.
int entity_callback(const resbuf *chain);

// Table records: layer colours go into the layer colour map.  Always RB_OK.
int table_callback(const resbuf *chain);
