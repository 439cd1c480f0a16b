// The window's DPI and the fonts and column widths at it. The design's other pixel figures (given
// at 96 DPI) scale with ScaledToDpi (catalogue/app_state.h).
#pragma once

#include "catalogue/platform_types.h"

// The DPI the window is drawn at: its monitor's, or the system's where the platform has no
// per-window DPI.
UINT WindowDpi(HWND window);

// The DPI the system's stock fonts are made at.
UINT SystemDpi();

// The system's fixed-pitch font at dpi: the stock object where dpi is the system's, otherwise a
// new font of its face and scaled height, which the caller deletes.
HFONT FixedFontAtDpi(UINT dpi);

// The width of a character of font, rounded up: the digits' average, exact for a fixed pitch.
int CharacterWidth(HFONT font);

// The width of a column designed designWidth wide at 96 DPI, at dpi in a font of characterWidth: the
// scaled width, or wider where the font needs it to hold as many characters as the design's column.
int ColumnWidthAtDpi(int designWidth, int characterWidth, UINT dpi);
