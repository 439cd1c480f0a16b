// The program's one state record, shared by the UI thread and the scan worker.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "catalogue/platform_types.h"

// Text capacities, terminator included.
inline constexpr std::size_t kPathCapacity = 260;    // the platform path limit
inline constexpr std::size_t kFolderLimit = 256;     // longest folder a scan walks, in characters
inline constexpr std::size_t kNameLimit = 255;       // longest file name the platform returns
inline constexpr std::size_t kEntryPathLimit = kFolderLimit + 1 + kNameLimit;  // folder, '\', name
inline constexpr std::size_t kKeyLength = 16;
inline constexpr std::size_t kDateLength = 10;
inline constexpr std::size_t kTimeLength = 8;
// key , name , date , time , path, and the terminator
inline constexpr std::size_t kEntryCapacity =
    kKeyLength + 1 + kNameLimit + 1 + kDateLength + 1 + kTimeLength + 1 + kEntryPathLimit + 1;
static_assert(kEntryCapacity == 806);

// Every pixel figure of the window's design is given at this DPI and scaled to the window's.
inline constexpr std::uint32_t kDesignDpi = 96;

// A 96-DPI figure at dpi, rounded to the nearest pixel, halves away from zero as MulDiv rounds: at
// 96 DPI the figure itself.
constexpr int ScaledToDpi(int designPixels, std::uint32_t dpi)
{
    const std::int64_t scaled = std::int64_t{designPixels} * dpi;
    constexpr std::int64_t kHalf = kDesignDpi / 2;
    return static_cast<int>((scaled < 0 ? scaled - kHalf : scaled + kHalf) / kDesignDpi);
}
static_assert(ScaledToDpi(1, 144) == 2 && ScaledToDpi(-1, 144) == -2 && ScaledToDpi(300, 120) == 375);

inline constexpr std::int32_t kDefaultRowLimit = 100;
inline constexpr std::int32_t kNoRowLimit = -1;

using PathText = std::array<char, kPathCapacity>;
using EntryText = std::array<char, kEntryCapacity>;

struct AppState {
    HINSTANCE instance;          // the program's own module
    HWND mainWindow;             // the top-level window; the worker reads it
    HMENU mainMenu;              // the menu bar built from the template
    HWND storeList;              // hidden sorted list box that holds the catalogue
    HWND resultsList;            // report list view; null until the first fill
    HWND helpList;               // help screen list; null until first shown
    HWND newProjectButton;       // "Start  A  New  Project"
    HWND progressBar;            // the running scan's progress bar (worker's own)
    HWND statusLine;             // the running scan's status text (worker's own)
    HMENU popupMenu;             // right-click menu, built on first use
    HANDLE scanThread;           // handle of the last started worker
    std::uint32_t scanThreadId;  // its id
    std::uint32_t foundCount;    // sources found by the current or last scan
    std::uint32_t storeResetDone;  // 0 until the current scan has emptied the store
    std::uint32_t scanStopRequested;  // set by the UI thread to end the running walk early (atomic access)
    std::int32_t rowLimit = kDefaultRowLimit;  // most rows shown; kNoRowLimit after Show All
    WNDPROC resultsListPrevProc;  // the list view's own procedure
    WNDPROC helpListPrevProc;    // the help list's own procedure
    HBRUSH helpBrush;            // background of the help list
    HFONT listFont;              // the results list's font where the stock one is not at the window's DPI
    std::uint32_t windowDpi = kDesignDpi;  // the main window's DPI; the worker reads it (atomic access)
    PathText editorPath;         // full path of the editor
    PathText viewerPath;         // full path of the viewer; empty when there is none
    PathText startFolder;        // the folder the next scan walks
    PathText openFileName;       // the Open dialog's result
    PathText pendingFolder;      // UI thread: folder to scan once the running scan has ended
    EntryText entryText;         // UI thread: one catalogue line read from the store
    EntryText scanLineText;      // worker: the catalogue line being built
    std::array<char, kDateLength + 1> dateText;  // worker: DD/MM/YYYY of the file being added
    std::array<char, kTimeLength + 1> timeText;  // worker: hh:mm:ss
    std::array<char, kKeyLength + 1> keyText;    // worker: sort key
    SYSTEMTIME fileTime;         // worker: local last-write time of the file being added
    std::uint32_t feedbackPaintedAt;  // worker: tick count when the progress bar and status line were last painted, or the walk began
    std::uint32_t progressStepsPending;  // worker: progress steps taken but not yet given to the bar
    bool statusTextPending;      // worker: pendingStatusText is not yet the status line's
    EntryText pendingStatusText;  // worker: the status line's next text, given to it at the next paint
};

extern AppState appState;

// Puts the record back to its starting values (the program starts that way; tests start each case so).
void ResetAppState();
