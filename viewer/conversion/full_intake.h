// The full drawing mode's side of the reader's callbacks.
#pragma once
#include "tvlaccess.h"

// Every delivered chain, and the null chain that starts a block.  Each block
// is kept as a definition for the references that follow; the block being
// delivered is drawn, and a later block start drops that drawing again, so
// that the last block delivered, the symbol's own, is what stays.
void full_entity_record(const resbuf *chain);

// Layers, line types and text styles for the drawing.
void full_table_record(const resbuf *chain);
