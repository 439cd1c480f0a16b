#include "ui/context_menu.h"

#include <array>
#include <cstddef>
#include <commctrl.h>

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

// Offers the menu at the click point, given in the list's client coordinates.
LRESULT OnRightButtonUp(HWND list, LPARAM lParam)
{
    BuildContextMenu();
    const int selected = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    EnableContextMenuItems(StoreCount(), selected);
    POINT at = {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
    ClientToScreen(list, &at);
    TrackPopupMenu(appState.popupMenu, 0, at.x, at.y, 0, appState.mainWindow, nullptr);
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
    case WM_CHAR:
        SendMessageA(appState.mainWindow, WM_CHAR, wParam, lParam);
        return 0;
    default:
        return CallWindowProcA(appState.resultsListPrevProc, list, message, wParam, lParam);
    }
}
