#include "encoder_state.h"

namespace tvlw {

Config coding_config(const Settings &s)
{
    Config c;
    c.version = s.version;
    c.ring = s.ring_size.value_or(tvl_format::default_ring_size);
    c.r = s.record_ref_width.value_or(tvl_format::default_record_ref_width);
    c.fixed = s.fraction_bits.has_value();
    c.fraction_bits = s.fraction_bits.value_or(0);
    c.ranges = tvl_format::coding_ranges_for(s.coding.has_value(), c.ring, c.r);
    return c;
}

} // namespace tvlw
