#include "interface/block_loader.h"

#include <cstdio>
#include <string>

#include "conversion/conversion_state.h"
#include "conversion/entity_callbacks.h"
#include "render/scene_functions.h"
#include "state/drawing_mode.h"
#include "state/viewer_settings.h"
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

// A scene that had to drop geometry is not the block: said once, beside the
// reader's own messages, and the load fails.
int with_scene_limits(int loaded)
{
    if (current_scene == nullptr || current_scene->overflow == 0)
        return loaded;
    const std::string text = scene_overflow_text(current_scene->overflow);
    std::fprintf(stdout, "\nERROR: %s", text.c_str());
    std::fflush(stdout);
    return -2;
}

} // namespace

int load_block_definition(CString library, CString block)
{
    loaded_drawing_mode = drawing_mode;
    if (current_scene != nullptr)
        current_scene->overflow = 0;
    last_load_result = with_scene_limits(load_block(library, block));
    return last_load_result;
}
