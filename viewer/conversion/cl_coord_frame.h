// A 3D coordinate frame: the object coordinate system of an entity.
#pragma once
#include "render/fpt.h"

class cl_coord_frame {
public:
    // Z = u x v, X = u, Y = Z x X, all unit length.  False, and the frame
    // unchanged, when u, v or u x v has length 0.
    bool SetAxes(const fpt &u, const fpt &v);

    // p in this frame to world coordinates; components below 1e-8 in
    // magnitude become exactly 0.
    fpt ocs_to_wcs(const fpt &p) const;

    fpt x_axis{1.0, 0.0, 0.0};
    fpt y_axis{0.0, 1.0, 0.0};
    fpt z_axis{0.0, 0.0, 1.0};
    fpt translation{0.0, 0.0, 0.0};
};
