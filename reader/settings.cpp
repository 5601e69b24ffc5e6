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
    if (!s.coding_present) {
        s.first_entity_code = 25;
        s.last_entity_code = 84;
        s.entity_cache_size = 60;
        s.first_point_code = 25;
        s.last_point_code = 39;
        s.point_ring_size = 15;
        s.string_ring_size = 25;
        s.lowest_string_code = -25;
        s.highest_string_code = -1;
        s.template_slots = 0;
        return;
    }
    const int n = s.ring_size;
    s.first_entity_code = 1;
    s.first_point_code = 1;
    s.highest_string_code = -1;
    if (n >= 128) {
        s.last_entity_code = 127;
        s.entity_cache_size = 127;
        s.last_point_code = 127;
        s.point_ring_size = 127;
        s.string_ring_size = 127;
        s.lowest_string_code = -127;
    } else {
        s.last_entity_code = 2 * (n / 3);
        s.entity_cache_size = 2 * (n / 3);
        s.last_point_code = n / 3;
        s.point_ring_size = n / 3;
        s.string_ring_size = 25;
        s.lowest_string_code = -25;
    }
    // Wider record references leave fewer bits for the cache code.
    if (s.record_ref_width == 3 && s.last_entity_code >= 32) {
        s.last_entity_code = 31;
        s.entity_cache_size = 31;
    } else if (s.record_ref_width == 2 && s.last_entity_code >= 64) {
        s.last_entity_code = 63;
        s.entity_cache_size = 63;
    }
    s.template_slots = (1 << s.record_ref_width) - 2;
}
