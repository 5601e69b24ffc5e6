#include "interface/block_loader.h"

#include "conversion/conversion_state.h"
#include "conversion/entity_callbacks.h"
#include "tvlaccess.h"

int load_block_definition(CString library, CString block)
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
