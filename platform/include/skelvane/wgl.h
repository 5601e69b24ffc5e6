// OpenGL rendering contexts on device contexts, in the manner of WGL.  A context
// draws into an off-screen framebuffer of the size of the bitmap selected into its
// DC; skel_wgl_read_back copies the finished pixels into that bitmap.
#pragma once
#include "skelvane/gdi.h"
#include "skelvane/wintypes.h"

struct skel_glrc;
using HGLRC = skel_glrc *;

struct PIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
};

constexpr DWORD PFD_DOUBLEBUFFER = 0x00000001;
constexpr DWORD PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr DWORD PFD_DRAW_TO_BITMAP = 0x00000008;
constexpr DWORD PFD_SUPPORT_GDI = 0x00000010;
constexpr DWORD PFD_SUPPORT_OPENGL = 0x00000020;
constexpr BYTE PFD_TYPE_RGBA = 0;
constexpr BYTE PFD_MAIN_PLANE = 0;

// 1 when the descriptor asks for OpenGL on a bitmap DC in RGBA, else 0.
SKEL_API int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *descriptor);
// Sets the DC's pixel format once; FALSE for an unknown format or a second, different one.
SKEL_API BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *descriptor);
SKEL_API int GetPixelFormat(HDC dc);

// A desktop OpenGL (compatibility profile) context for a DC whose pixel format is
// set; null when no OpenGL implementation is available.
SKEL_API HGLRC wglCreateContext(HDC dc);
// Makes the context current on this thread, drawing for the DC; (null, null)
// releases the current one.
SKEL_API BOOL wglMakeCurrent(HDC dc, HGLRC context);
SKEL_API BOOL wglDeleteContext(HGLRC context);
SKEL_API HGLRC wglGetCurrentContext();

// Waits for the current context to finish and copies its pixels into the bitmap
// selected into its DC (a 24- or 32-bit DIB of the same size).  FALSE when there is
// no current context or the bitmap does not fit.
SKEL_API BOOL skel_wgl_read_back();
