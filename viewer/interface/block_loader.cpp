#include "interface/block_loader.h"

#include "conversion/conversion_state.h"
#include "conversion/drawing_mode.h"
#include "conversion/entity_callbacks.h"
#include "interface/viewer_settings.h"
#include "tvlaccess.h"

namespace {

int load_block(CString library, CString block)
{
    reset_conversion_state();
    if (library.IsEmpty() || block.IsEmpty())
        return -1;
    if (!ta_init(entity_callback, table_callback, nullptr))
        return -2;
    // The second request delivers nothing; it leaves the reader's state as after
    // an empty request.
    if (ta_tvldef(library, block) || ta_tvldef("", ""))
        return 1;
    return -2;
}

} // namespace

int load_block_definition(CString library, CString block)
{
    loaded_drawing_mode = drawing_mode;
    last_load_result = load_block(library, block);
    return last_load_result;
}
