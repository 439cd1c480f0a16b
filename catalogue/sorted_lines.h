// A scan's lines in the order a sorted list box would hold them had it been given them one by one,
// in the order they came. A sorted list box places each line by a binary search over those it
// holds, so lines it finds equal do not simply keep the order they came in; this reproduces its
// placement without a list box. The comparison of two lines is the caller's (the list box's own in
// the program, the catalogue's portable order natively); the memory they live in is the platform's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Below zero, zero or above zero as left sorts before, with or after right. It must put a space
// before the digits and the digits in their order: where two lines' keys differ, their packed keys
// decide without a call.
using LineComparison = int (*)(const char* left, const char* right);

struct SortedLine {
    std::uint64_t key;    // the key's digits packed in order, or a mark for a line without a key
    const char* text;
    std::uint32_t added;  // lines kept before it
};
static_assert(sizeof(void*) != 4 || sizeof(SortedLine) == 16);

struct LineTextBlock;

struct SortedLines {
    LineTextBlock* lastBlock;  // the texts, one after another in blocks of memory
    SortedLine* index;         // one record per line; it doubles as it fills
    std::uint32_t count;
    std::uint32_t capacity;  // lines the index has room for
};

// Keeps a copy of line after the others. False, and the line dropped, when it does not fit a
// catalogue line or the memory cannot take it (as the list box drops a line it cannot take).
bool KeepLine(SortedLines* lines, const char* line);

// Orders the lines as a sorted list box comparing by compare would, given them in the order kept.
void SortAsListBox(SortedLines* lines, LineComparison compare);

// Orders the lines as they were kept.
void SortAsKept(SortedLines* lines);

// Copies line i into buffer; its length, or -1 when there is no line i or it does not fit.
int CopyLine(const SortedLines& lines, std::uint32_t i, std::span<char> buffer);

// Gives back the lines' memory; lines is empty after.
void ReleaseLines(SortedLines* lines);

// The platform's memory for the lines, zero-filled; null when it has none. Each store defines
// the pair for its platform.
void* TakeLineMemory(std::size_t bytes);
void GiveBackLineMemory(void* memory);
