// Decoding of entity records from the work file into chains, with the decoder's
// rings of recent reals, points, strings and entities.
#pragma once
#include <cstdio>

#include "tvlaccess.h"

// Reads the next entity record.  For delivery the caller owns the chain it gets
// and the cache keeps a copy; otherwise the decoder keeps the chain and the
// caller must not release it.  Null after a failure (reported on the console).
resbuf *ent_read(std::FILE *work, bool for_delivery);

// Empties every ring and the cache, as at the start of a block.
void decoder_reset();

// Replaces the ring of recent reals by one of n entries.
void decoder_set_ring_size(int n);

// The type number of the entity read last (13 for ENDBLK).
int ent_current_type();
void ent_set_current_type(int t);

// Whether the entity read last lies in paper space.
bool ent_paper_space();
void ent_clear_paper_space();

// Reads a point record of 2 or 3 coordinates (a 2-coordinate point leaves xyz[2] alone).
bool point_read(std::FILE *work, int count, double xyz[3]);

// Reads a real of the given type, or with its type byte first when type is -1.
bool real_read(std::FILE *work, int type, double &value);

// The number that marks an entity stored with an explicit type name.
int ent_explicit_number();
