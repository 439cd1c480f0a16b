#include "catalogue/source_store.h"

#include "catalogue/source_store_win.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "catalogue/app_state.h"

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
// The worker's lines live in memory taken from the system (VirtualAlloc): their texts one after
// another in blocks of 1 MiB, and an index of one record per line that doubles as it fills. The
// list box keeps its own copy, so all of it is given back as soon as the list box holds the
// lines: this copy adds to the process's peak only until then. A line the memory cannot take is
// dropped, as the list box drops one.

namespace {

constexpr std::size_t kBlockBytes = 1024 * 1024;
constexpr std::uint32_t kFirstIndexLines = 4096;
constexpr std::uint32_t kMostIndexLines = 1u << 27;  // 2 GiB of index on the 32-bit build: its size never wraps

// The list box grows its array of lines 16 at a time. Under Wine each growth past the memory the
// array holds copies it, and the room LB_INITSTORAGE asks for is given back at the next line while
// the array is small (under 32,512 lines on the 32-bit build, 43,520 on the 64-bit one), so a
// million appends took 20 s. Asked for once the array is large, the room is kept: a line then
// costs the same at any count.
constexpr std::uint32_t kReserveFromLine = 65536;

// The key's twelve digits (each a digit or a padding space) packed four bits each, in order, so
// that comparing two packed keys orders them as the list box orders the keys; kUndated for a
// line that does not start with a key.
constexpr std::uint64_t kUndated = ~std::uint64_t{0};

struct PendingLine {
    std::uint64_t key;
    const char* text;
    std::uint32_t added;  // lines added before it
};
static_assert(sizeof(void*) != 4 || sizeof(PendingLine) == 16);

// A block of line texts, the header at its start.
struct TextBlock {
    TextBlock* previous;
    std::size_t used;  // bytes from the block's start, header included
};

struct PendingLines {
    TextBlock* lastBlock;
    PendingLine* index;
    std::uint32_t count;
    std::uint32_t capacity;  // lines the index has room for
};

// The worker's between a reset and a flush; the UI thread reads it only while the worker waits
// for the flush.
PendingLines pending;

// The list box's comparison, as the worker sorts its lines.
struct ListBoxComparison {
    LCID locale;
    std::array<wchar_t, kEntryCapacity> wideLeft;  // the two lines being compared, as the list box holds them
    std::array<wchar_t, kEntryCapacity> wideRight;
};
ListBoxComparison comparison;

// The UI thread's: a scan's lines, sorted, handed over by the worker; those from appended on are
// not yet in the list box.
PendingLines appending;
std::uint32_t appended;

// Lines the list box takes at the hand-over itself: a small store is whole in the list box at once.
constexpr std::uint32_t kLinesTakenAtOnce = 256;
// The most time the UI thread gives the list box at each tick of its timer.
constexpr DWORD kFillSliceMs = 25;

void* TakeMemory(std::size_t bytes)
{
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void GiveBackMemory(void* memory)
{
    if (memory)
        VirtualFree(memory, 0, MEM_RELEASE);
}

void ReleaseLines(PendingLines* lines)
{
    while (lines->lastBlock) {
        TextBlock* previous = lines->lastBlock->previous;
        GiveBackMemory(lines->lastBlock);
        lines->lastBlock = previous;
    }
    GiveBackMemory(lines->index);
    lines->index = nullptr;
    lines->count = 0;
    lines->capacity = 0;
}

// Copies text (length characters and its terminator) into the last block, or a new one.
const char* KeepText(const char* text, std::size_t length)
{
    TextBlock* block = pending.lastBlock;
    if (!block || kBlockBytes - block->used < length + 1) {
        block = static_cast<TextBlock*>(TakeMemory(kBlockBytes));
        if (!block)
            return nullptr;
        *block = TextBlock{pending.lastBlock, sizeof(TextBlock)};
        pending.lastBlock = block;
    }
    char* kept = reinterpret_cast<char*>(block) + block->used;
    std::memcpy(kept, text, length + 1);
    block->used += length + 1;
    return kept;
}

bool IndexHasRoom()
{
    if (pending.count < pending.capacity)
        return true;
    if (pending.capacity >= kMostIndexLines)
        return false;
    const std::uint32_t capacity = pending.capacity ? pending.capacity * 2 : kFirstIndexLines;
    auto* index = static_cast<PendingLine*>(TakeMemory(capacity * sizeof(PendingLine)));
    if (!index)
        return false;
    if (pending.index)
        std::memcpy(index, pending.index, pending.count * sizeof(PendingLine));
    GiveBackMemory(pending.index);
    pending.index = index;
    pending.capacity = capacity;
    return true;
}

std::uint64_t PackedKey(const char* line)
{
    constexpr std::size_t kFirstColon = 10;
    constexpr std::size_t kSecondColon = 13;
    std::uint64_t packed = 0;
    for (std::size_t i = 0; i < kKeyLength; ++i) {
        const char c = line[i];
        if (i == kFirstColon || i == kSecondColon) {
            if (c != ':')
                return kUndated;
        } else if (c == ' ') {
            packed <<= 4;
        } else if (c >= '0' && c <= '9') {
            packed = packed << 4 | static_cast<std::uint64_t>(c - '0' + 1);
        } else {
            return kUndated;
        }
    }
    return packed;
}

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

// Keys hold only digits, padding spaces and two colons in fixed places: where two keys differ,
// the list box's comparison of the whole lines is decided there, in the order of the packed keys.
// Only lines with equal keys (or without one) are compared as the list box compares them.
int CompareLines(const PendingLine& left, const PendingLine& right)
{
    if (left.key != right.key && left.key != kUndated && right.key != kUndated)
        return left.key < right.key ? -1 : 1;
    return CompareAsListBox(left.text, right.text);
}

// Where the list box puts a line equal to some it holds: at the first of them that its binary
// search meets. That depends only on how many lines it holds, how many of them sort before the
// equal ones and how many are equal. Index of the new line among the equal ones.
std::uint32_t EqualLinePlace(std::uint32_t held, std::uint32_t before, std::uint32_t equal)
{
    std::int64_t low = 0;
    std::int64_t high = static_cast<std::int64_t>(held) - 1;
    while (low <= high) {
        const std::int64_t probe = (low + high) / 2;
        if (probe < before)
            low = probe + 1;
        else if (probe >= static_cast<std::int64_t>(before) + equal)
            high = probe - 1;
        else
            return static_cast<std::uint32_t>(probe - before);
    }
    return static_cast<std::uint32_t>(low - before);
}

// Counts of the added numbers of the lines swept so far (a Fenwick tree over 0..count-1).
void CountAdded(std::uint32_t* counts, std::uint32_t added)
{
    for (std::uint32_t i = added + 1; i <= pending.count; i += i & (0 - i))
        ++counts[i];
}

std::uint32_t CountedBefore(const std::uint32_t* counts, std::uint32_t added)
{
    std::uint32_t total = 0;
    for (std::uint32_t i = added; i > 0; i -= i & (0 - i))
        total += counts[i];
    return total;
}

// Lines the list box finds equal (such as two paths that differ only in case) lie together after
// the sort, in the order they were added. Each is moved to where the list box would have put it
// when it was added: among the equal lines added before it, at the place its search meets first.
// The search depends on the lines added before it that sort earlier: the sweep counts them.
void PlaceEqualLines()
{
    std::uint32_t* counts = nullptr;
    std::uint32_t start = 0;
    while (start < pending.count) {
        std::uint32_t end = start + 1;
        while (end < pending.count && CompareLines(pending.index[end - 1], pending.index[end]) == 0)
            ++end;
        if (end - start > 1) {
            if (!counts) {
                counts = static_cast<std::uint32_t*>(TakeMemory((pending.count + 1) * sizeof(std::uint32_t)));
                if (!counts)
                    return;
                for (std::uint32_t i = 0; i < start; ++i)
                    CountAdded(counts, pending.index[i].added);
            }
            // start..start+placed holds the equal lines placed so far; the rest wait in added order.
            for (std::uint32_t placed = 0; placed < end - start; ++placed) {
                PendingLine* const group = pending.index + start;
                const std::uint32_t added = group[placed].added;
                const std::uint32_t place = EqualLinePlace(added, CountedBefore(counts, added), placed);
                std::rotate(group + place, group + placed, group + placed + 1);
            }
        }
        if (counts) {
            for (std::uint32_t i = start; i < end; ++i)
                CountAdded(counts, pending.index[i].added);
        }
        start = end;
    }
    GiveBackMemory(counts);
}

// Orders the lines as the list box would have, given them one by one in the order they came.
void SortAsListBox()
{
    comparison.locale = static_cast<LCID>(SendMessageA(appState.storeList, LB_GETLOCALE, 0, 0));
    std::sort(pending.index, pending.index + pending.count, [](const PendingLine& left, const PendingLine& right) {
        const int order = CompareLines(left, right);
        return order != 0 ? order < 0 : left.added < right.added;
    });
    PlaceEqualLines();
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
    pending = PendingLines{};
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
    std::sort(pending.index, pending.index + pending.count,
              [](const PendingLine& left, const PendingLine& right) { return left.added < right.added; });
    for (std::uint32_t i = 0; i < pending.count; ++i)
        SendMessageA(appState.storeList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pending.index[i].text));
}

// Copies the i-th line not yet in the list box; its length, or -1.
int GetHandedOverLine(std::uint32_t i, std::span<char> buffer)
{
    if (i >= LinesToAppend())
        return -1;
    const char* text = appending.index[appended + i].text;
    const std::size_t length = strnlen(text, kEntryCapacity);
    if (length >= buffer.size())
        return -1;
    std::memcpy(buffer.data(), text, length + 1);
    return static_cast<int>(length);
}

}  // namespace

void StoreReset()
{
    ReleaseLines(&pending);
    SendMessageA(appState.mainWindow, WM_STORE_BATCH, kStoreResetRequest, 0);
}

void StoreAdd(const char* line)
{
    const std::size_t length = strnlen(line, kEntryCapacity);
    if (length == kEntryCapacity || !IndexHasRoom())
        return;
    const char* text = KeepText(line, length);
    if (!text)
        return;
    pending.index[pending.count] = PendingLine{PackedKey(text), text, pending.count};
    ++pending.count;
}

void StoreFlush()
{
    if (pending.count == 0)
        return;
    SortAsListBox();
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
            return GetHandedOverLine(static_cast<std::uint32_t>(index - held), buffer);
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
