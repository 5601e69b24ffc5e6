#include "conversion/cl_coord_frame.h"

#include <cmath>

namespace {

double length(const fpt &v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

double snap(double v)
{
    return std::fabs(v) < 1e-8 ? 0.0 : v;
}

} // namespace

bool cl_coord_frame::SetAxes(const fpt &u, const fpt &v)
{
    const fpt z = fpt_cross(u, v);
    if (length(u) == 0.0 || length(v) == 0.0 || length(z) == 0.0)
        return false;
    z_axis = fpt_scale_to_length(z, 1.0);
    x_axis = fpt_scale_to_length(u, 1.0);
    y_axis = fpt_scale_to_length(fpt_cross(z_axis, x_axis), 1.0);
    return true;
}

fpt cl_coord_frame::ocs_to_wcs(const fpt &p) const
{
    const fpt w{p.x * x_axis.x + p.y * y_axis.x + p.z * z_axis.x + translation.x,
                p.x * x_axis.y + p.y * y_axis.y + p.z * z_axis.y + translation.y,
                p.x * x_axis.z + p.y * y_axis.z + p.z * z_axis.z + translation.z};
    return {snap(w.x), snap(w.y), snap(w.z)};
}
