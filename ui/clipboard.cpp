#include "ui/clipboard.h"

#include "catalogue/app_state.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <commctrl.h>

#include "catalogue/bounded_text.h"
#include "ui/clipboard_text.h"
#include "ui/results_list.h"

namespace {

constexpr int kColumnCount = 4;
// The longest column text is a Path.
constexpr std::size_t kCellCapacity = kEntryPathLimit + 1;

// One row's column texts as read from the list; a column the list cannot give ends the row.
struct RowTexts {
    std::array<std::array<char, kCellCapacity>, kColumnCount> cells;
    std::array<std::string_view, kColumnCount> columns;
    std::size_t count;
};

std::span<const std::string_view> ReadRow(int row, RowTexts* texts)
{
    texts->count = 0;
    for (int column = 0; column < kColumnCount; ++column) {
        if (!ReadRowText(row, column, texts->cells[column]))
            break;
        texts->columns[texts->count++] = TextView(texts->cells[column]);
    }
    return std::span<const std::string_view>(texts->columns.data(), texts->count);
}

// Bytes the text of the first selectedCount selected rows takes, terminator included.
std::size_t MeasureSelection(int selectedCount, RowTexts* texts)
{
    std::size_t size = 1;
    int row = -1;
    for (int left = selectedCount; left != 0 && (row = NextSelectedRow(row)) >= 0; --left)
        size += ClipboardRowLength(ReadRow(row, texts));
    return size;
}

void WriteSelection(int selectedCount, RowTexts* texts, std::span<char> text)
{
    text[0] = '\0';
    std::size_t length = 0;
    int row = -1;
    for (int left = selectedCount; left != 0 && (row = NextSelectedRow(row)) >= 0; --left)
        if (!AppendClipboardRow(text, &length, ReadRow(row, texts)))
            return;
}

// A movable, shareable block of size bytes; null when it cannot be had.
HGLOBAL AllocateClipboardBlock(std::size_t size)
{
    return GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
}

// A block with a copy of the text's bytes; null on failure.
HGLOBAL CopyBlockOf(const char* text, std::size_t size)
{
    HGLOBAL block = AllocateClipboardBlock(size);
    char* copy = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!copy) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(copy, text, size);
    GlobalUnlock(block);
    return block;
}

// A block with the text converted from the ANSI code page to UTF-16; null on failure.
HGLOBAL UnicodeBlockOf(const char* text, std::size_t size)
{
    const int ansiLength = static_cast<int>(size);
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text, ansiLength, nullptr, 0);
    if (wideLength <= 0)
        return nullptr;
    HGLOBAL block = AllocateClipboardBlock(static_cast<std::size_t>(wideLength) * sizeof(WCHAR));
    WCHAR* wide = block ? static_cast<WCHAR*>(GlobalLock(block)) : nullptr;
    if (!wide) {
        GlobalFree(block);
        return nullptr;
    }
    const bool converted = MultiByteToWideChar(CP_ACP, 0, text, ansiLength, wide, wideLength) == wideLength;
    GlobalUnlock(block);
    if (!converted) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

struct ClipboardBlock {
    UINT format;
    HGLOBAL data;  // null when it could not be made
};

// Another program may hold the clipboard open for a moment, as a clipboard viewer does when it reads
// a change: the open is tried again for a fifth of a second before the copy is given up. The main
// window opens it and owns what is placed; an open with no window can be taken over midway by
// another opener with none, which Wine allows.
constexpr int kClipboardOpenAttempts = 20;
constexpr DWORD kClipboardRetryDelayMs = 10;

bool OpenClipboardWhenFree()
{
    for (int attempt = 1; !OpenClipboard(appState.mainWindow); ++attempt) {
        if (attempt == kClipboardOpenAttempts)
            return false;
        Sleep(kClipboardRetryDelayMs);
    }
    return true;
}

// Places each block that exists, in order; a block the clipboard did not take is freed.
void PlaceOnClipboard(std::span<const ClipboardBlock> blocks)
{
    const bool opened = OpenClipboardWhenFree();
    const bool emptied = opened && EmptyClipboard();
    for (const ClipboardBlock& block : blocks)
        if (block.data && !(emptied && SetClipboardData(block.format, block.data)))
            GlobalFree(block.data);
    if (opened)
        CloseClipboard();
}

}  // namespace

void CopySelectionToClipboard()
{
    const int selectedCount = static_cast<int>(SendMessageA(appState.resultsList, LVM_GETSELECTEDCOUNT, 0, 0));
    if (selectedCount <= 0)
        return;
    // The rows are read twice, once to size the block and once to fill it; the list cannot change
    // in between, as only this thread changes it.
    RowTexts texts;
    const std::size_t size = MeasureSelection(selectedCount, &texts);
    HGLOBAL oemText = AllocateClipboardBlock(size);
    char* text = oemText ? static_cast<char*>(GlobalLock(oemText)) : nullptr;
    if (!text) {
        GlobalFree(oemText);
        return;
    }
    WriteSelection(selectedCount, &texts, std::span<char>(text, size));
    const std::size_t used = TextLength(std::span<const char>(text, size)) + 1;
    // The list's bytes go on unchanged as OEM text. The platform would derive the ANSI and Unicode
    // texts from them as if they were OEM bytes, which changes every letter outside ASCII, so
    // those two are placed as well, from the ANSI code page the list's text is in.
    const std::array<ClipboardBlock, 3> blocks = {{
        {CF_OEMTEXT, oemText},
        {CF_TEXT, CopyBlockOf(text, used)},
        {CF_UNICODETEXT, UnicodeBlockOf(text, used)},
    }};
    GlobalUnlock(oemText);
    PlaceOnClipboard(blocks);
}
