// Basic Windows scalar types and handles used by the system code.
#pragma once
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using LONG = std::int32_t;
using COLORREF = DWORD;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr int MAX_PATH = 260;

// A window: an object of the platform's window stand-in (see skelvane/window.h).
struct skel_window;
using HWND = skel_window *;

#define SKEL_API __attribute__((visibility("default")))
