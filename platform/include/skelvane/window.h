// Windows of the platform.  There is no display: a window is an off-screen surface
// with a client rectangle that hands out device contexts, for hosts such as tests
// and command-line tools.
#pragma once
#include "skelvane/gdi.h"
#include "skelvane/rect.h"
#include "skelvane/wintypes.h"

class CImage;

// A window whose client area is a new 24-bit image of width x height pixels, filled
// white.  Null when the size is not positive or memory is short.
SKEL_API HWND skel_create_offscreen_window(int width, int height);
// A window over an image that stays the caller's (it must outlive the window).
SKEL_API HWND skel_create_window_over(CImage *surface);
// The image behind the client area.
SKEL_API CImage *skel_window_image(HWND window);
SKEL_API BOOL DestroyWindow(HWND window);

// Client rectangle: (0, 0, width, height).
SKEL_API BOOL GetClientRect(HWND window, RECT *rect);
// A device context drawing into the client area; give it back with ReleaseDC.
SKEL_API HDC GetDC(HWND window);
SKEL_API int ReleaseDC(HWND window, HDC dc);
