#include "catalogue/source_store.h"

#include "catalogue/source_store_win.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "catalogue/app_state.h"
#include "catalogue/sorted_lines.h"

// The store is the sorted list box, owned by the UI thread. A sorted list box finds the place of
// each line it is given by comparing it with its lines, then moves every later line on, so a scan
// added line by line costs more per line the more it finds. The worker therefore keeps the
// scan's lines itself, sorts them once by the list box's own comparison when the walk is over,
// and the UI thread appends them in that order (LB_INSERTSTRING at the end: no search, no move).
//
// Appending costs the list box about 2 us a line under Wine, seconds at a million. So the UI thread
// takes the first lines at once and the rest while it has nothing else to do (a timer, which comes
// after every other message): meanwhile the lines it has not yet appended are read from the
// worker's sorted memory, which it now holds. The list shows as soon as the scan ends, and every
// line can be read from the first moment.
//
// The worker's lines (sorted_lines.cpp) live in memory taken from the system (VirtualAlloc). The
// list box keeps its own copy, so all of it is given back as soon as the list box holds the lines:
// this copy adds to the process's peak only until then.

namespace {

// The list box grows its array of lines 16 at a time. Under Wine each growth past the memory the
// array holds copies it, and the room LB_INITSTORAGE asks for is given back at the next line while
// the array is small (under 32,512 lines on the 32-bit build, 43,520 on the 64-bit one), so a
// million appends took 20 s. Asked for once the array is large, the room is kept: a line then
// costs the same at any count.
constexpr std::uint32_t kReserveFromLine = 65536;

// The worker's between a reset and a flush; the UI thread reads it only while the worker waits
// for the flush.
SortedLines pending;

// The list box's comparison, as the worker sorts its lines.
struct ListBoxComparison {
    LCID locale;
    std::array<wchar_t, kEntryCapacity> wideLeft;  // the two lines being compared, as the list box holds them
    std::array<wchar_t, kEntryCapacity> wideRight;
};
ListBoxComparison comparison;

// The UI thread's: a scan's lines, sorted, handed over by the worker; those from appended on are
// not yet in the list box.
SortedLines appending;
std::uint32_t appended;

// Lines the list box takes at the hand-over itself: a small store is whole in the list box at once.
constexpr std::uint32_t kLinesTakenAtOnce = 256;
// The most time the UI thread gives the list box at each tick of its timer.
constexpr DWORD kFillSliceMs = 25;

// The sorted list box's comparison: the ANSI text as UTF-16, compared case-insensitively in the
// list box's locale. Below zero, zero or above zero.
int CompareAsListBox(const char* left, const char* right)
{
    MultiByteToWideChar(CP_ACP, 0, left, -1, comparison.wideLeft.data(), static_cast<int>(comparison.wideLeft.size()));
    MultiByteToWideChar(CP_ACP, 0, right, -1, comparison.wideRight.data(), static_cast<int>(comparison.wideRight.size()));
    const int order = CompareStringW(comparison.locale, NORM_IGNORECASE, comparison.wideLeft.data(), -1,
                                     comparison.wideRight.data(), -1);
    return order == 0 ? -1 : order - CSTR_EQUAL;
}

std::uint32_t LinesToAppend()
{
    return appending.count - appended;
}

void ForgetHandedOverLines()
{
    if (appending.index)
        KillTimer(appState.mainWindow, kStoreFillTimer);
    ReleaseLines(&appending);
    appended = 0;
}

// Appends at most `most` handed-over lines to the list box, and no more once sliceMs have passed.
void AppendToListBox(std::uint32_t most, DWORD sliceMs)
{
    constexpr std::uint32_t kLinesBetweenClockReads = 1024;
    const DWORD start = GetTickCount();
    const std::uint32_t end = appended + std::min(most, LinesToAppend());
    while (appended < end) {
        if (appended == kReserveFromLine)
            SendMessageA(appState.storeList, LB_INITSTORAGE, appending.count - appended, 0);
        SendMessageA(appState.storeList, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(appending.index[appended].text));
        ++appended;
        if (appended % kLinesBetweenClockReads == 0 && GetTickCount() - start >= sliceMs)
            break;
    }
    if (LinesToAppend() == 0)
        ForgetHandedOverLines();
}

// The results list has let go of its rows by now (it reads them from the store by index), so it
// never shows or acts on a line that is gone.
void ResetOnUiThread()
{
    ForgetHandedOverLines();
    SendMessageA(appState.storeList, LB_RESETCONTENT, 0, 0);
}

// The worker's lines become the UI thread's: the first are appended at once, the rest on the timer.
void TakeOverSortedLines()
{
    appending = pending;
    pending = SortedLines{};
    appended = 0;
    AppendToListBox(kLinesTakenAtOnce, INFINITE);
    if (LinesToAppend() > 0 && !SetTimer(appState.mainWindow, kStoreFillTimer, 0, nullptr))
        AppendToListBox(LinesToAppend(), INFINITE);
}

// A store that holds lines already places each new one itself, in the order they came, once it
// has appended any it was given before.
void AddLinesInTheOrderTheyCame()
{
    AppendToListBox(LinesToAppend(), INFINITE);
    SortAsKept(&pending);
    for (std::uint32_t i = 0; i < pending.count; ++i)
        SendMessageA(appState.storeList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pending.index[i].text));
}

}  // namespace

void* TakeLineMemory(std::size_t bytes)
{
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void GiveBackLineMemory(void* memory)
{
    if (memory)
        VirtualFree(memory, 0, MEM_RELEASE);
}

void StoreReset()
{
    ReleaseLines(&pending);
    SendMessageA(appState.mainWindow, WM_STORE_BATCH, kStoreResetRequest, 0);
}

void StoreAdd(const char* line)
{
    KeepLine(&pending, line);
}

void StoreFlush()
{
    if (pending.count == 0)
        return;
    comparison.locale = static_cast<LCID>(SendMessageA(appState.storeList, LB_GETLOCALE, 0, 0));
    SortAsListBox(&pending, CompareAsListBox);
    SendMessageA(appState.mainWindow, WM_STORE_BATCH, kStoreTakeLinesRequest, 0);
    ReleaseLines(&pending);
}

void StoreTakeBatch(WPARAM request)
{
    // The store is empty after the reset that starts every scan: then the sorted lines are simply
    // appended.
    if (request == kStoreResetRequest)
        ResetOnUiThread();
    else if (StoreCount() == 0)
        TakeOverSortedLines();
    else
        AddLinesInTheOrderTheyCame();
}

void StoreContinueFill()
{
    AppendToListBox(LinesToAppend(), kFillSliceMs);
}

int StoreCount()
{
    const LRESULT held = SendMessageA(appState.storeList, LB_GETCOUNT, 0, 0);
    if (held == LB_ERR)
        return -1;
    return static_cast<int>(held + LinesToAppend());
}

int StoreGet(int index, std::span<char> buffer)
{
    if (LinesToAppend() > 0) {
        const LRESULT held = SendMessageA(appState.storeList, LB_GETCOUNT, 0, 0);
        if (held != LB_ERR && index >= held)
            return CopyLine(appending, appended + static_cast<std::uint32_t>(index - held), buffer);
    }
    // LB_GETTEXT takes no buffer size, so the length is checked first.
    const LRESULT length = SendMessageA(appState.storeList, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || static_cast<std::size_t>(length) >= buffer.size())
        return -1;
    return static_cast<int>(SendMessageA(appState.storeList, LB_GETTEXT, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(buffer.data())));
}

HWND CreateSortedListBox(HWND parent, unsigned controlId)
{
    constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_DLGFRAME | WS_HSCROLL | WS_SYSMENU | LBS_NOSEL |
                             LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_SORT;
    static_assert(kStyle == 0x50D84142);
    return CreateWindowExA(WS_EX_STATICEDGE, "LISTBOX", nullptr, kStyle, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)), appState.instance, nullptr);
}
