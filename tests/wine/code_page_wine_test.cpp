// Names in the ANSI code page under UTF-8: every name converts exactly. (Code page 1252, the
// one Wine keeps, is covered by the walk's tests.)
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "catalogue/code_page_win.h"

namespace {

// WideCharToMultiByte for code page 65001 as Windows documents it, which Wine does not: flags
// other than WC_ERR_INVALID_CHARS, a default letter or its report are refused.
int WINAPI Utf8AsOnWindows(UINT, DWORD flags, LPCWCH wide, int length, LPSTR out, int size, LPCCH defaultChar,
                           LPBOOL usedDefault)
{
    if ((flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (defaultChar || usedDefault) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return WideCharToMultiByte(CP_UTF8, flags, wide, length, out, size, nullptr, nullptr);
}

struct Converted {
    bool exact;
    std::string text;
};

Converted Convert(const wchar_t* wide, const CodePageConversion& conversion)
{
    std::array<char, 260> out;
    const bool exact = NameToCodePage(wide, out, conversion);
    return {exact, out.data()};
}

TEST(CodePageWine, UnderUtf8EveryNameConvertsExactlyAndALoneSurrogateIsLost)
{
    const CodePageConversion utf8 = {CP_UTF8, Utf8AsOnWindows};
    const Converted cafe = Convert(L"caf\u00e9.asm", utf8);
    EXPECT_TRUE(cafe.exact);
    EXPECT_EQ(cafe.text, "caf\xc3\xa9.asm");
    // Greek and CJK together: no single-byte code page holds both.
    const Converted wide = Convert(L"\u03b1\u03b2\u6f22\u5b57.inc", utf8);
    EXPECT_TRUE(wide.exact);
    EXPECT_EQ(wide.text, "\xce\xb1\xce\xb2\xe6\xbc\xa2\xe5\xad\x97.inc");
    const Converted lone = Convert(L"a\xd800z.asm", utf8);
    EXPECT_FALSE(lone.exact);
    EXPECT_EQ(lone.text, "a?z.asm");
}

}  // namespace
