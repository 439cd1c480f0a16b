// The main window: its procedure is the program's one dispatch point.
#pragma once

#include "catalogue/platform_types.h"

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows a message owned by owner, captioned with the main window title.
int ShowLauncherMessage(HWND owner, const char* text, UINT style);
