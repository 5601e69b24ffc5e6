#include "conversion/conversion_state.h"

#include "conversion/solids.h"

void cl_polyline_state::Reset()
{
    layer.assign(1, '0');
    flags = 0;
    entities_follow = 0;
    elevation = 0.0;
    m_count = 0;
    n_count = 0;
    vertices.clear();
    receiving = false;
}

cl_conversion_state &conversion_state()
{
    static cl_conversion_state state;
    return state;
}

void reset_conversion_state()
{
    cl_conversion_state &s = conversion_state();
    s.has_faces = false;
    s.polyline.Reset();
    s.solid_file_number = 1;
    forget_solid_conversions();
    s.full.Reset();
}
