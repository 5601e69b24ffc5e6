// 3D solids, regions and bodies: their modeller data goes to the external
// converter as a SAT file, and the faces it writes back enter the scene.
#pragma once
#include "conversion/entity_record.h"
#include "skelvane/cstring.h"
#include "tvlaccess.h"

// Runs the whole cycle for one solid entity: temporary names from `pattern`
// ("%s%drp_3dsolid_tmp" and the like, with a number of this conversion's own),
// write, convert, read back, remove every temporary file.  A solid whose
// modeller text was converted before in the same symbol is drawn again from
// that conversion.  All solids of a symbol share one bound of converter time,
// faces-file bytes and triangles; past it they are not drawn (one message).
void convert_solid(const cl_entity_record &record, const resbuf *chain, const char *pattern);

// Forgets the conversions and the bounds used, before each symbol's load.
void forget_solid_conversions();

// Writes the text groups of the chain to the SAT path of the conversion state.
bool write_sat_file(const resbuf *chain);

// Adds the 3DFACE entities of a faces file to the scene.
void read_faces_file(const CString &path);

// What the converter may produce for one symbol, all its solids together.
struct solids_symbol_limits {
    long faces_bytes = 64L * 1024 * 1024;
    long triangles = 1000000;
    long wait_ms = 60000;
};
const solids_symbol_limits &solids_limits();
void set_solids_limits(const solids_symbol_limits &limits);

// How long the converter may run for one solid, in milliseconds (60000 unless a test changes it).
long solids_wait_limit();
void set_solids_wait_limit(long milliseconds);
