#include "ui/display_scale.h"

#include "catalogue/app_state.h"
#include "ui/system_function.h"

namespace {

// The design reckons 8 pixels a character of the fixed font at 96 DPI (the help list's extent
// does too); a column's text area is its width less the list's margin around a label.
constexpr int kDesignCharacterWidth = 8;
constexpr int kDesignLabelMargin = 12;
// Digits are the widest characters the columns' fixed-width texts (dates, times) hold.
constexpr char kDigits[] = "0123456789";
constexpr int kDigitCount = sizeof kDigits - 1;

HMODULE User32()
{
    return GetModuleHandleW(L"user32.dll");
}

}  // namespace

int CharacterWidth(HFONT font)
{
    HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, font);
    SIZE digits{};
    GetTextExtentPoint32A(screen, kDigits, kDigitCount, &digits);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return (digits.cx + kDigitCount - 1) / kDigitCount;
}

UINT SystemDpi()
{
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    if (const auto getDpi = SystemFunction<GetDpiForSystemFunction>(User32(), "GetDpiForSystem"))
        return getDpi();
    // Before Windows 10 1607: the screen's logical DPI is the system's.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

UINT WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    if (const auto getDpi = SystemFunction<GetDpiForWindowFunction>(User32(), "GetDpiForWindow")) {
        if (const UINT dpi = getDpi(window))
            return dpi;
    }
    return SystemDpi();
}

HFONT FixedFontAtDpi(UINT dpi)
{
    const HFONT stock = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
    const UINT systemDpi = SystemDpi();
    LOGFONTA face{};
    if (dpi == systemDpi || GetObjectA(stock, sizeof face, &face) != sizeof face)
        return stock;
    face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
    face.lfWidth = MulDiv(face.lfWidth, static_cast<int>(dpi), static_cast<int>(systemDpi));
    const HFONT scaled = CreateFontIndirectA(&face);
    return scaled ? scaled : stock;
}

int ColumnWidthAtDpi(int designWidth, int characterWidth, UINT dpi)
{
    const int scaled = ScaledToDpi(designWidth, dpi);
    const int textArea = MulDiv(designWidth - kDesignLabelMargin, characterWidth, kDesignCharacterWidth);
    const int needed = textArea + ScaledToDpi(kDesignLabelMargin, dpi);
    return needed > scaled ? needed : scaled;
}
