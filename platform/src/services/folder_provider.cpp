// The host's folder-dialog provider.
#include "folder_provider.h"

namespace {

skelvane_folder_dialog_fn &provider()
{
    static skelvane_folder_dialog_fn fn = nullptr;
    return fn;
}

} // namespace

skelvane_folder_dialog_fn skel_host_folder_dialog_provider()
{
    return provider();
}

extern "C" __attribute__((visibility("default"))) void skelvane_set_folder_dialog_provider(skelvane_folder_dialog_fn fn)
{
    provider() = fn;
}
