#include "ui/main_window.h"

#include <atomic>
#include <commctrl.h>

#include "catalogue/app_state.h"
#include "catalogue/scan_worker.h"
#include "catalogue/source_store_win.h"
#include "tools/tool_lookup.h"
#include "ui/about_box.h"
#include "ui/clipboard.h"
#include "ui/command_ids.h"
#include "ui/commands.h"
#include "ui/display_scale.h"
#include "ui/help_screen.h"
#include "ui/results_list.h"
#include "ui/texts.h"

namespace {

constexpr WPARAM kEscape = 27;
// The layout's figures at 96 DPI: the lists' left edge and the button's gap below them, how much
// narrower and lower than the outer window the lists are, and the button's height; the button's
// place before the first layout.
constexpr int kLayoutMargin = 10;
constexpr int kWidthInset = 25;
constexpr int kHeightInset = 90;
constexpr int kButtonHeight = 25;
constexpr RECT kFirstButtonPlace = {50, 320, 250, 345};
// How long a way out waits for the scan worker before the program ends without it.
constexpr DWORD kWorkerExitWaitMs = 1000;

HWND CreateNewProjectButton(HWND window)
{
    const UINT dpi = appState.windowDpi;
    const RECT at = kFirstButtonPlace;
    return CreateWindowExA(0, "BUTTON", kNewProjectButtonText, WS_CHILD | WS_VISIBLE, ScaledToDpi(at.left, dpi),
                           ScaledToDpi(at.top, dpi), ScaledToDpi(at.right - at.left, dpi),
                           ScaledToDpi(at.bottom - at.top, dpi), window,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_NEW_PROJECT_BUTTON)),
                           appState.instance, nullptr);
}

// Tool lookup, button, store and first scan. A missing editor or store ends the program.
LRESULT OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    appState.mainWindow = window;  // the worker started below relies on it
    std::atomic_ref<std::uint32_t>(appState.windowDpi).store(WindowDpi(window));
    if (LocateTools() != 0) {
        ShowLauncherMessage(window, kEditorMissingText, MB_ICONQUESTION);
        PostQuitMessage(0);
        return 0;
    }
    appState.newProjectButton = CreateNewProjectButton(window);
    if (!appState.storeList) {
        appState.storeList = CreateSortedListBox(window, IDC_STORE_LIST);
        if (!appState.storeList) {
            ShowLauncherMessage(window, kStoreFailedText, MB_ICONQUESTION);
            PostQuitMessage(0);
            return 0;
        }
        ShowWindow(appState.storeList, SW_HIDE);
    }
    StartScan();
    return DefWindowProcA(window, message, wParam, lParam);
}

// Lays the children out from the window's outer size; the program sends it too, with zeros.
LRESULT OnSize(HWND window)
{
    FocusListForMode();
    RECT outer;
    GetWindowRect(window, &outer);
    const UINT dpi = appState.windowDpi;
    const int margin = ScaledToDpi(kLayoutMargin, dpi);
    const int width = outer.right - outer.left - ScaledToDpi(kWidthInset, dpi);
    const int height = outer.bottom - outer.top - ScaledToDpi(kHeightInset, dpi);
    MoveWindow(appState.resultsList, margin, 0, width, height, TRUE);
    MoveWindow(appState.helpList, margin, 0, width, height, TRUE);
    MoveWindow(appState.newProjectButton, margin, height + margin, width, ScaledToDpi(kButtonHeight, dpi), TRUE);
    return 0;
}

// The window's monitor changed, or its scale did: the system's suggested rectangle, and the
// layout, the list's font and its columns at the new DPI.
LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam)
{
    std::atomic_ref<std::uint32_t>(appState.windowDpi).store(LOWORD(wParam));
    ScaleResultsList();
    ScaleHelpList();
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Laid out even when the rectangle keeps the window's size, as the offsets have changed.
    return OnSize(window);
}

LRESULT OnPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    FocusListForMode();
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT OnChar(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (wParam == kEscape)
        SendMessageA(window, WM_DESTROY, 0, 0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// Every way out comes here. The worker is stopped and waited for, so that nothing it does can
// reach a window or handle after the program has let go of it. A worker stuck in a folder that no
// longer answers (a share gone away) cannot stop: after a bounded wait the process ends without
// it, which loses nothing, as the launcher writes nothing.
LRESULT OnDestroy()
{
    RequestScanStop();
    if (!WaitForScanWorker(kWorkerExitWaitMs))
        ExitProcess(0);
    if (appState.scanThread) {
        CloseHandle(appState.scanThread);
        appState.scanThread = nullptr;
    }
    if (appState.helpBrush) {
        DeleteObject(appState.helpBrush);
        appState.helpBrush = nullptr;
    }
    if (appState.listFont) {
        DeleteObject(appState.listFont);
        appState.listFont = nullptr;
    }
    PostQuitMessage(0);
    return 0;
}

LRESULT OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDM_FILE_EXIT:
        SendMessageA(window, WM_DESTROY, 0, 0);
        return 0;
    case IDM_FILE_NEW_PROJECT:
    case IDC_NEW_PROJECT_BUTTON:
        return LaunchEditor("");
    case IDM_FILE_NEW_FOLDER:
        ChooseFolderAndRescan(window);
        return 0;
    case IDM_FILE_OPEN:
        OpenFileToEdit();
        return 0;
    case IDM_HELP_ABOUT:
        ShowAboutBox();
        return 0;
    case IDM_HELP_HELP:
        ShowHelpScreen(window);
        return 0;
    case IDM_VIEW_SELECTED:
        ViewSelectedFile();
        return DefWindowProcA(window, message, wParam, lParam);
    // The list's own commands come from its menu only (second parameter 0).
    case IDM_COPY_SELECTED:
        if (lParam == 0)
            CopySelectionToClipboard();
        return DefWindowProcA(window, message, wParam, lParam);
    case IDM_SELECT_ALL:
        if (lParam == 0)
            SelectAllRows();
        return DefWindowProcA(window, message, wParam, lParam);
    case IDM_SHOW_ALL:
        if (lParam == 0)
            ShowAllSources();
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A double-click or Enter on the results list. While a scan hides the list, Enter starts nothing.
bool IsRowActivation(const NMHDR* header)
{
    return header->hwndFrom == appState.resultsList && appState.resultsList &&
           (header->code == NM_DBLCLK || header->code == NM_RETURN) && IsWindowVisible(appState.resultsList);
}

LRESULT OnNotify(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom == appState.resultsList && appState.resultsList && header->code == LVN_GETDISPINFOA) {
        GiveRowText(reinterpret_cast<NMLVDISPINFOA*>(lParam));
        return 0;
    }
    if (IsRowActivation(header) && LaunchEditorOnSelectedRow())
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// F1 in the window opens the help screen, as Help, Help... does, only while that menu is enabled.
// F1 in a menu or a message box comes here too, and is left alone.
LRESULT OnHelp(HWND window, LPARAM lParam)
{
    const HELPINFO* help = reinterpret_cast<const HELPINFO*>(lParam);
    const HWND from = static_cast<HWND>(help->hItemHandle);
    if (help->iContextType == HELPINFO_WINDOW && (from == window || IsChild(window, from)) && HelpMenuEnabled())
        ShowHelpScreen(window);
    return TRUE;
}

// The worker's request to the store, carried out on this thread: a reset, or the lines of a walk
// that is over. The results list reads its rows from the store by index, so it lets go of them
// before the store lets go of its lines; it stays empty until the end of the scan that refills the
// store is handled.
LRESULT OnStoreBatch(WPARAM request)
{
    if (request == kStoreResetRequest)
        EmptyResultsList();
    StoreTakeBatch(request);
    return 0;
}

// The store gives its list box the rest of a large scan's lines while nothing else waits.
LRESULT OnTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (wParam != kStoreFillTimer)
        return DefWindowProcA(window, message, wParam, lParam);
    StoreContinueFill();
    return 0;
}

// Waits for the worker that has finished its walk to end.
void EndScanWorker(HWND window)
{
    WaitForScanWorker(INFINITE);
    if (appState.scanThread) {
        CloseHandle(appState.scanThread);
        appState.scanThread = nullptr;
    }
    // While the worker's own controls came and went, paints of the other children can be lost
    // (seen under Wine); the whole window is drawn afresh now that they are gone.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The worker has finished its walk: show what it found, or offer another folder.
LRESULT OnScanDone(HWND window)
{
    // The first list is made and filled while the worker takes its controls down, which leaves
    // alone a list it did not hide.
    if (!appState.resultsList && appState.foundCount != 0 && appState.pendingFolder[0] == '\0') {
        FillResultsList(window);
        EndScanWorker(window);
        return 0;
    }
    EndScanWorker(window);
    // The worker shows the results list again as it ends, also while the help screen is up.
    ShowResultsListForMode();
    if (StartPendingScan())
        return 0;
    if (appState.foundCount != 0)
        FillResultsList(window);
    else if (ShowLauncherMessage(window, kNoSourcesText, MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
        ChooseFolderAndRescan(window);
    return 0;
}

LRESULT OnListBoxColour(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HBRUSH background = HelpListColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)))
        return reinterpret_cast<LRESULT>(background);
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int ShowLauncherMessage(HWND owner, const char* text, UINT style)
{
    return MessageBoxExA(owner, text, kMainTitle, style, 0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, message, wParam, lParam);
    case WM_SIZE:
        return OnSize(window);
    case WM_DPICHANGED:
        return OnDpiChanged(window, wParam, lParam);
    case WM_PAINT:
        return OnPaint(window, message, wParam, lParam);
    case WM_CHAR:
        return OnChar(window, message, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy();
    case WM_COMMAND:
        return OnCommand(window, message, wParam, lParam);
    case WM_NOTIFY:
        return OnNotify(window, message, wParam, lParam);
    case WM_HELP:
        return OnHelp(window, lParam);
    case WM_STORE_BATCH:
        return OnStoreBatch(wParam);
    case WM_SCAN_DONE:
        return OnScanDone(window);
    case WM_TIMER:
        return OnTimer(window, message, wParam, lParam);
    case WM_CTLCOLORLISTBOX:
        return OnListBoxColour(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
