// The help screen: a coloured list of help lines shown in the results list's place, with the
// menus and the button locked until the user clicks it, presses Enter or Space on it, or closes it.
#pragma once

#include "catalogue/platform_types.h"

// Enters help mode: the help list (made on first use) replaces the results list.
void ShowHelpScreen(HWND owner);

// Sets the help list's scroll extent at appState.windowDpi anew, once the list exists.
void ScaleHelpList();

// True while the help screen is up.
bool HelpScreenShown();

// Gives the results list the place that help mode leaves it: hidden while the help screen is up,
// shown otherwise. For the end of a scan, whose worker shows the list again.
void ShowResultsListForMode();

// Gives the keyboard focus to the list the window shows: the help list while the help screen is
// up, else the results list (no window before it exists).
void FocusListForMode();

// True while the menu bar's Help menu can be opened, as outside the help screen.
bool HelpMenuEnabled();

// The help list's background for WM_CTLCOLORLISTBOX, or null when list is another list.
HBRUSH HelpListColours(HWND list, HDC context);
