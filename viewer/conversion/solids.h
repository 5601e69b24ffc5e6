// 3D solids, regions and bodies: their modeller data goes to the external
// converter as a SAT file, and the faces it writes back enter the scene.
#pragma once
#include "conversion/entity_record.h"
#include "skelvane/cstring.h"
#include "tvlaccess.h"

// Runs the whole cycle for one solid entity: temporary names from `pattern`
// ("%s%drp_3dsolid_tmp" and the like), write, convert, read back, clean up.
void convert_solid(const cl_entity_record &record, const resbuf *chain, const char *pattern);

// Writes the text groups of the chain to the SAT path of the conversion state.
bool write_sat_file(const resbuf *chain);

// Adds the 3DFACE entities of a faces file to the scene.
void read_faces_file(const CString &path);

// How long the converter may run, in milliseconds (60000 unless a test changes it).
long solids_wait_limit();
void set_solids_wait_limit(long milliseconds);
