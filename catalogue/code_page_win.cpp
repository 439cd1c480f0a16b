#include "catalogue/code_page_win.h"

#include <cstddef>

namespace {

// Converts the whole name, terminator included; false when the call refuses it (a letter that a
// UTF-8 code page cannot hold, an unpaired surrogate) or it does not fit.
bool ConvertWhole(const wchar_t* wide, std::span<char> out, const CodePageConversion& conversion)
{
    const int size = static_cast<int>(out.size());
    // A UTF-8 code page holds every letter, and takes no flags but this one, nor a default letter
    // or its report: an unpaired surrogate then fails the call instead of becoming a U+FFFD.
    if (conversion.codePage == CP_UTF8)
        return conversion.convert(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, out.data(), size, nullptr, nullptr) > 0;
    BOOL usedDefault = FALSE;
    return conversion.convert(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out.data(), size, nullptr, &usedDefault) > 0 &&
           !usedDefault;
}

}  // namespace

CodePageConversion SystemCodePage()
{
    return {GetACP(), WideCharToMultiByte};
}

bool NameToCodePage(const wchar_t* wide, std::span<char> out, const CodePageConversion& conversion)
{
    // ASCII, the usual name, is the same in every ANSI code page: it needs no conversion call.
    std::size_t at = 0;
    for (; wide[at] != L'\0' && wide[at] < 0x80 && at + 1 < out.size(); ++at)
        out[at] = static_cast<char>(wide[at]);
    if (wide[at] == L'\0') {
        out[at] = '\0';
        return true;
    }
    if (ConvertWhole(wide, out, conversion))
        return true;
    // Refused, or too long for out: ASCII is kept and every other letter counts as lost.
    for (at = 0; wide[at] != L'\0' && at + 1 < out.size(); ++at)
        out[at] = wide[at] < 0x80 ? static_cast<char>(wide[at]) : '?';
    out[at] = '\0';
    return false;
}
