// The faces file: a DXF text file whose ENTITIES section holds 3DFACE entities.
#pragma once
#include <cstdio>
#include <vector>

#include "solid_mesher.h"

// Writes the triangles as 3DFACE entities on layer "0" (fourth corner = third).
// False when the stream reports a write error.
bool write_faces_dxf(std::FILE *out, const std::vector<mesh_triangle> &triangles);
