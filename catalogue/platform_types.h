// The platform types the state record and the catalogue are written in. The Windows builds take
// them from the system headers; the portable build (native tests and benchmarks) gets opaque
// stand-ins of the same shape, so the record and the walk compile unchanged on both.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cstdint>

using WORD = std::uint16_t;
using HWND = struct HWND__*;
using HMENU = struct HMENU__*;
using HBRUSH = struct HBRUSH__*;
using HFONT = struct HFONT__*;
using HINSTANCE = struct HINSTANCE__*;
using HANDLE = void*;
using WNDPROC = std::intptr_t (*)(HWND, unsigned, std::uintptr_t, std::intptr_t);

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
#endif
