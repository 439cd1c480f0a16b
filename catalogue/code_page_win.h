// Wide names in the ANSI code page, the way every name the program shows or passes on is held.
#pragma once

#include <span>

#include "catalogue/platform_types.h"

// The platform's conversion call (WideCharToMultiByte) or a stand-in for it.
using WideToCodePageFunction = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);

// The ANSI code page and the call that converts to it.
struct CodePageConversion {
    UINT codePage;
    WideToCodePageFunction convert;
};

// The system's: its ANSI code page and WideCharToMultiByte.
CodePageConversion SystemCodePage();

// The wide name in the code page, never by best fit, so a look-alike letter never turns the name
// into another file's. True when every letter survived; each one that did not is '?', and an
// unpaired surrogate counts as one that did not.
bool NameToCodePage(const wchar_t* wide, std::span<char> out, const CodePageConversion& conversion);
