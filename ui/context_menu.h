// The results list's context menu and the list procedure that offers it, from the right button
// or the keyboard.
#pragma once

#include "catalogue/platform_types.h"

// Creates appState.popupMenu on first use: the View item only when a viewer was found, and Show
// All gray once the row limit has been lifted.
void BuildContextMenu();

// Enables the items that act on the list for what it holds now: Select All when the store has
// lines, Copy when rows are selected, View when exactly one is.
void EnableContextMenuItems(int storeCount, int selectedCount);

// Replaces the results list's own procedure: the right button offers the menu without touching
// the selection, the context-menu key and Shift+F10 offer it at the focused or selected row,
// Ctrl+A and Ctrl+C run Select All and Copy, and typed characters go to the main window.
LRESULT CALLBACK ResultsListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
