#include "settings.h"

lib_settings &lib_current_settings()
{
    static lib_settings settings;
    return settings;
}

void settings_reset(lib_settings &s)
{
    s = lib_settings{};
}

void settings_compute_ranges(lib_settings &s)
{
    static_cast<tvl_format::coding_ranges &>(s) =
        tvl_format::coding_ranges_for(s.coding_present, s.ring_size, s.record_ref_width);
}
