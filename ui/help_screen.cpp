#include "ui/help_screen.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "catalogue/app_state.h"
#include "catalogue/source_store_win.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"

namespace {

// Added in this order; the sorted list shows them in its own. The last, empty line is added too.
constexpr std::array<std::string_view, 9> kHelpLines = {
    "       Left Double Click on an item to launch Vantrel.",
    "       Right Click to activate pop-up menu.",
    "       Press New Project Button to go straight to Vantrel.",
    "       File/NewProject will go straight to Vantrel.",
    "       File/NewFolder will allow th user to select a folder to search and display.",
    "       File/Open will alow you to choose a file to edit.",
    "       File/Exit will cancel the program.",
    "       Esc key will cancel the program.",
    "",
};

constexpr COLORREF kHelpColour = RGB(197, 255, 215);
static_assert(kHelpColour == 0x00D7FFC5);
// The list keeps its default font; its scroll extent counts 8 pixels a character (at 96 DPI)
// without measuring.
constexpr int kPixelsPerCharacter = 8;

constexpr char kHelpFailedText[] = "Unable to create help screen.";

// Adds the lines, stopping at the first the list refuses; the longest added, in characters.
std::size_t AddHelpLines(HWND list)
{
    std::size_t longest = 0;
    for (std::string_view line : kHelpLines) {
        const LRESULT added = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.data()));
        if (added == LB_ERR || added == LB_ERRSPACE)
            break;
        if (line.size() > longest)
            longest = line.size();
    }
    return longest;
}

void SetHelpExtent(std::size_t longest)
{
    const int pixelsPerCharacter = ScaledToDpi(kPixelsPerCharacter, appState.windowDpi);
    SendMessageA(appState.helpList, LB_SETHORIZONTALEXTENT, longest * pixelsPerCharacter, 0);
}

// Locks or unlocks the File and Help menus and the New Project button.
void LockCommands(bool locked)
{
    const UINT state = MF_BYCOMMAND | (locked ? MF_GRAYED | MF_DISABLED : MF_ENABLED);
    EnableWindow(appState.newProjectButton, !locked);
    EnableMenuItem(appState.mainMenu, IDM_FILE_MENU, state);
    EnableMenuItem(appState.mainMenu, IDM_HELP_MENU, state);
    DrawMenuBar(appState.mainWindow);
}

// Back to list mode. While a scan runs the list stays hidden, as it is during every scan, until
// the scan's end shows it.
void LeaveHelpScreen()
{
    ShowWindow(appState.helpList, SW_HIDE);
    if (!appState.scanThread)
        ShowWindow(appState.resultsList, SW_SHOW);
    LockCommands(false);
    SetFocus(appState.resultsList);
}

// Enter or Space returns to the list on its release, as a click does on the button's: a key
// held down does not repeat into the list.
LRESULT OnHelpListKeyUp(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (wParam != VK_RETURN && wParam != VK_SPACE)
        return CallWindowProcA(appState.helpListPrevProc, list, message, wParam, lParam);
    LeaveHelpScreen();
    return 0;
}

LRESULT CALLBACK HelpListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONUP:
        // The list box took the mouse when the button went down and lets it go on its release:
        // it sees the release before it is hidden, so that no hidden window keeps the mouse.
        CallWindowProcA(appState.helpListPrevProc, list, message, wParam, lParam);
        LeaveHelpScreen();
        return 0;
    case WM_CLOSE:
        LeaveHelpScreen();
        return 0;
    case WM_KEYUP:
        return OnHelpListKeyUp(list, message, wParam, lParam);
    case WM_CHAR:
        SendMessageA(appState.mainWindow, WM_CHAR, wParam, lParam);  // Esc ends the program here too
        return 0;
    default:
        return CallWindowProcA(appState.helpListPrevProc, list, message, wParam, lParam);
    }
}

// The help list with its lines; false (and the message shown) when it cannot be made.
bool CreateHelpList(HWND owner)
{
    const HWND list = CreateSortedListBox(owner, IDC_HELP_LIST);
    if (!list) {
        ShowLauncherMessage(owner, kHelpFailedText, MB_ICONQUESTION);
        return false;
    }
    appState.helpList = list;
    appState.helpListPrevProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HelpListProc)));
    SetHelpExtent(AddHelpLines(list));
    return true;
}

}  // namespace

void ShowHelpScreen(HWND owner)
{
    if (!appState.helpList && !CreateHelpList(owner))
        return;
    ShowWindow(appState.resultsList, SW_HIDE);
    ShowWindow(appState.helpList, SW_SHOW);
    SendMessageA(owner, WM_SIZE, 0, 0);
    LockCommands(true);
}

void ScaleHelpList()
{
    if (!appState.helpList)
        return;
    const LRESULT lines = SendMessageA(appState.helpList, LB_GETCOUNT, 0, 0);
    std::size_t longest = 0;
    for (LRESULT line = 0; line < lines; ++line) {
        const LRESULT length = SendMessageA(appState.helpList, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
        if (length > 0 && static_cast<std::size_t>(length) > longest)
            longest = static_cast<std::size_t>(length);
    }
    SetHelpExtent(longest);
}

bool HelpScreenShown()
{
    return appState.helpList && IsWindowVisible(appState.helpList);
}

void ShowResultsListForMode()
{
    ShowWindow(appState.resultsList, HelpScreenShown() ? SW_HIDE : SW_SHOW);
}

void FocusListForMode()
{
    SetFocus(HelpScreenShown() ? appState.helpList : appState.resultsList);
}

bool HelpMenuEnabled()
{
    return (GetMenuState(appState.mainMenu, IDM_HELP_MENU, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

HBRUSH HelpListColours(HWND list, HDC context)
{
    if (!list || list != appState.helpList)
        return nullptr;
    SetBkColor(context, kHelpColour);
    if (!appState.helpBrush)
        appState.helpBrush = CreateSolidBrush(kHelpColour);
    return appState.helpBrush;
}
