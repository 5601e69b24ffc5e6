#include "views.h"

#include <algorithm>

#include "tavrel_viewer.h"

camera_angles named_view(const std::string &view)
{
    if (view == "plan")
        return {0.0, -90.0};
    if (view == "right")
        return {90.0, 0.0};
    if (view == "iso")
        return {30.0, -25.0};
    return {0.0, 0.0};
}

std::string automatic_view(const cl_export_functions &viewer)
{
    double low[3] = {0, 0, 0};
    double high[3] = {0, 0, 0};
    if (viewer.GetSceneExtent(low, high) == 0)
        return "plan";
    const double flat = std::max(high[0] - low[0], high[1] - low[1]);
    return high[2] - low[2] <= 1e-9 * flat ? "plan" : "iso";
}
