// What the converters keep while one block is being delivered by the reader.
#pragma once
#include <string>
#include <vector>

#include "conversion/full_state.h"

// One vertex of the polyline being received.
struct cl_tvl_poly_verts {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0; // includes the VERTEX record's own elevation
    double bulge = 0.0;
    double start_width = 0.0;
    double end_width = 0.0;
    int flags = 0;
};

// The polyline between its POLYLINE and SEQEND records.
struct cl_polyline_state {
    std::string layer = "0";
    int flags = 0; // 1 closed (M), 16 polygon mesh, 32 closed in N, 64 polyface mesh
    int entities_follow = 0;
    double elevation = 0.0;
    int m_count = 0;
    int n_count = 0;
    std::vector<cl_tvl_poly_verts> vertices;
    bool receiving = false;

    void Reset();
};

struct cl_conversion_state {
    // Set by faces and mesh triangles; later lines lying flat at z = 0 are dropped.
    bool has_faces = false;
    cl_polyline_state polyline;

    // Temporary files of the last solid handed to the external converter.
    int solid_file_number = 1;
    std::string sat_path;
    std::string debug_path;
    std::string dxf_path;
    std::string faces_path;
    std::string new_dxf_path;

    // Block definitions and tables of the full drawing mode.
    cl_full_state full;
};

// The one conversion state of the viewer.
cl_conversion_state &conversion_state();

// Before each block load: no faces yet, no polyline, solid file number 1.
// The solid paths are kept from the last solid.
void reset_conversion_state();
