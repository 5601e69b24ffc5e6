// The entity decoder with its rings, cache and group templates.  The first
// bytes choose the settings a library would declare (version, ring size,
// record-reference width, coding, fraction bits) and whether entities are
// read for delivery; the rest is the work file.
#include "fuzz_target.h"

#include <cstdio>

#include "../common/fuzz_input.h"
#include "definition_limits.h"
#include "entity_decoder.h"
#include "resbuf.h"
#include "settings.h"

namespace {

void use_settings(fuzz_input &in)
{
    lib_settings &s = lib_current_settings();
    settings_reset(s);
    s.version = 20 + static_cast<int>(in.pick(30));
    s.ring_size = 1 + static_cast<int>(in.pick(255));
    s.record_ref_width = 1 + static_cast<int>(in.pick(3));
    const unsigned coding = in.pick(4); // 3: no "C" record
    s.coding_present = coding < 3;
    s.coding = coding < 3 ? static_cast<int>(coding) : 0;
    const unsigned fraction = in.pick(10); // 9: no "FR" record
    s.fixed_point = fraction < 9;
    s.fraction_bits = fraction < 9 ? static_cast<int>(fraction) : 0;
    settings_compute_ranges(s);
    decoder_set_ring_size(s.ring_size);
    decoder_reset();
}

} // namespace

int entities_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    fuzz_input in(data, size);
    use_settings(in);
    const unsigned delivery_pattern = in.byte();
    definition_budget_reset();
    // The decoder reads from a stream file, as from the work file.
    std::FILE *work = std::tmpfile();
    if (!work)
        return 0;
    std::fwrite(in.rest(), 1, in.rest_size(), work);
    std::rewind(work);

    const quiet_stdout quiet;
    for (int i = 0; i < 100000; ++i) {
        const bool for_delivery = (delivery_pattern >> (i % 8)) & 1;
        resbuf *chain = ent_read(work, for_delivery);
        if (!chain)
            break;
        if (for_delivery)
            rb_release(chain);
        if (ent_current_type() == 13) // ENDBLK: the next block starts afresh
            decoder_reset();
    }
    std::fclose(work);
    decoder_reset();
    return 0;
}
