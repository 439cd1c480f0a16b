#include "ui/context_menu.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <commctrl.h>
#include <windowsx.h>

#include "catalogue/app_state.h"
#include "catalogue/source_store.h"
#include "ui/command_ids.h"

namespace {

struct ContextMenuItem {
    UINT id;
    const char* text;
};

// Screen order. The View item is left out when there is no viewer.
constexpr std::array kContextMenuItems = {
    ContextMenuItem{IDM_VIEW_SELECTED, "   View Selected File."},
    ContextMenuItem{IDM_FILE_OPEN, "   Choose the file to edit."},
    ContextMenuItem{IDM_FILE_NEW_FOLDER, "   Choose a different folder to search."},
    ContextMenuItem{IDM_COPY_SELECTED, "   Copy selected items to the ClipBoard.   "},
    ContextMenuItem{IDM_SELECT_ALL, "   Select All Items."},
    ContextMenuItem{IDM_SHOW_ALL, "   Show All Source Files.   "},
};

// The item record as the oldest platforms take it, without its last field: 44 bytes in the
// 32-bit build; the 64-bit build's pointers make it larger.
constexpr UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
static_assert(sizeof(void*) != 4 || kMenuItemInfoSize == 44);

constexpr UINT kGrayed = MF_GRAYED | MF_DISABLED;

void EnableItem(UINT id, bool enabled)
{
    EnableMenuItem(appState.popupMenu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : kGrayed));
}

void AddItem(const ContextMenuItem& item)
{
    AppendMenuA(appState.popupMenu, MF_STRING, item.id, nullptr);
    MENUITEMINFOA info{};
    info.cbSize = kMenuItemInfoSize;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE | MIIM_DATA;
    info.fType = MFT_STRING;
    info.fState = MFS_ENABLED;
    info.wID = item.id;
    info.dwItemData = 0;
    info.dwTypeData = const_cast<char*>(item.text);
    SetMenuItemInfoA(appState.popupMenu, item.id, FALSE, &info);
}

// The menu as it would be offered now: built on first use, its items enabled for the list.
void PrepareContextMenu(HWND list)
{
    BuildContextMenu();
    const int selected = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    EnableContextMenuItems(StoreCount(), selected);
}

// Offers the menu with its left edge at a point of the screen.
void OfferContextMenu(HWND list, POINT at)
{
    PrepareContextMenu(list);
    TrackPopupMenu(appState.popupMenu, 0, at.x, at.y, 0, appState.mainWindow, nullptr);
}

// Offers the menu at the click point, given in the list's client coordinates.
LRESULT OnRightButtonUp(HWND list, LPARAM lParam)
{
    POINT at = {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
    ClientToScreen(list, &at);
    OfferContextMenu(list, at);
    return 0;
}

// Where the keyboard's menu goes, on the screen: under the focused row, else under the first
// selected one, when that row is in view; the list's top-left corner otherwise.
POINT KeyboardMenuPoint(HWND list)
{
    const int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    const int inView = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    POINT at = {0, 0};
    for (const UINT state : {LVNI_FOCUSED, LVNI_SELECTED}) {
        const int row = static_cast<int>(
            SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(state, 0)));
        RECT label = {LVIR_LABEL, 0, 0, 0};
        if (row >= top && row < top + inView &&
            SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&label))) {
            at = {std::max(label.left, LONG{0}), label.bottom};
            break;
        }
    }
    ClientToScreen(list, &at);
    return at;
}

// The context-menu key and Shift+F10 (position -1,-1) offer the menu at the row they act on,
// never at the pointer; other requests keep the list view's own answer. A list hidden during a
// scan offers nothing.
LRESULT OnContextMenu(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (GET_X_LPARAM(lParam) != -1 || GET_Y_LPARAM(lParam) != -1)
        return CallWindowProcA(appState.resultsListPrevProc, list, message, wParam, lParam);
    if (IsWindowVisible(list))
        OfferContextMenu(list, KeyboardMenuPoint(list));
    return 0;
}

struct ShortcutKey {
    WPARAM key;
    UINT id;
};

// Ctrl with these letters runs the menu item of the same command.
constexpr std::array kShortcutKeys = {
    ShortcutKey{'A', IDM_SELECT_ALL},
    ShortcutKey{'C', IDM_COPY_SELECTED},
};

// The command of a Ctrl shortcut, or 0. Shift or Alt held with Ctrl (AltGr is Ctrl+Alt) makes
// another key.
UINT ShortcutCommand(WPARAM key)
{
    const bool controlAlone = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0;
    for (const ShortcutKey& shortcut : kShortcutKeys)
        if (controlAlone && shortcut.key == key)
            return shortcut.id;
    return 0;
}

// Ctrl+A and Ctrl+C do what Select All and Copy do, when the menu would offer them enabled.
LRESULT OnKeyDown(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    const UINT id = ShortcutCommand(wParam);
    if (id == 0)
        return CallWindowProcA(appState.resultsListPrevProc, list, message, wParam, lParam);
    if (!IsWindowVisible(list))
        return 0;
    PrepareContextMenu(list);
    if ((GetMenuState(appState.popupMenu, id, MF_BYCOMMAND) & kGrayed) == 0)
        SendMessageA(appState.mainWindow, WM_COMMAND, MAKEWPARAM(id, 1), 0);
    return 0;
}

}  // namespace

void BuildContextMenu()
{
    if (appState.popupMenu)
        return;
    appState.popupMenu = CreatePopupMenu();
    const bool withViewer = appState.viewerPath[0] != '\0';
    for (const ContextMenuItem& item : kContextMenuItems)
        if (item.id != IDM_VIEW_SELECTED || withViewer)
            AddItem(item);
    // Show All lifts the limit for the rest of the run, also when chosen before the menu existed.
    EnableItem(IDM_SHOW_ALL, appState.rowLimit != kNoRowLimit);
}

void EnableContextMenuItems(int storeCount, int selectedCount)
{
    EnableItem(IDM_SELECT_ALL, storeCount > 0);
    EnableItem(IDM_COPY_SELECTED, selectedCount != 0);
    EnableItem(IDM_VIEW_SELECTED, selectedCount == 1);
}

LRESULT CALLBACK ResultsListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_RBUTTONUP:
        return OnRightButtonUp(list, lParam);
    case WM_RBUTTONDOWN:
        return 0;  // a right-click never changes the selection
    case WM_CONTEXTMENU:
        return OnContextMenu(list, message, wParam, lParam);
    case WM_KEYDOWN:
        return OnKeyDown(list, message, wParam, lParam);
    case WM_CHAR:
        SendMessageA(appState.mainWindow, WM_CHAR, wParam, lParam);
        return 0;
    default:
        return CallWindowProcA(appState.resultsListPrevProc, list, message, wParam, lParam);
    }
}
