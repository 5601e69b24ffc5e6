// The host's active window.
#include "skelvane/active_window.h"

namespace {

HWND &active()
{
    static HWND window = nullptr;
    return window;
}

} // namespace

HWND GetActiveWindow()
{
    return active();
}

void skel_set_active_window(HWND window)
{
    active() = window;
}
