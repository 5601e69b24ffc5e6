// The host's active window, which owns the message boxes of the libraries.
#pragma once
#include "skelvane/wintypes.h"

// The window a host made active; null until one does.
SKEL_API HWND GetActiveWindow();

// Makes a window the active one (null: none).
SKEL_API void skel_set_active_window(HWND window);
