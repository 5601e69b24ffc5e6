// The layer colour file as the host names it.
#include "../common/fuzz_input.h"
#include "fuzz_targets.h"
#include "support/layer_color_table.h"

int colors_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    const std::string path = fuzz_scratch_file("colors.txt", data, size);
    layer_color_table table;
    LoadLayerColorFile(table, path.c_str());
    for (long number : {-1L, 0L, 1L, 7L, 255L, 256L, 100000L})
        (void)LookupLayerColor(table, number);
    return 0;
}
