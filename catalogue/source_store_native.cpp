// The in-memory store of the native build: the program's own lines and order (sorted_lines.cpp)
// in memory from the C heap, compared byte by byte after folding ASCII letters to lower case. That
// is the order of the program's sorted list box for every key (digits, spaces, colons) and for
// names of letters, digits, dots, spaces and commas; lines that compare equal are placed as the
// list box places them. The list box differs where its case-insensitive collation weighs
// punctuation: it sorts "_", "~" and "\" before the digits (ASCII puts them after), so same-named
// files in folders "src" and "src2" come out the other way round; it ignores hyphens and
// apostrophes but to break a tie; and it sorts letters outside ASCII beside their base letters,
// where the native store puts every byte above 127 after "z". Tests of the native store keep to
// names where the two agree.
#include "catalogue/source_store.h"

#include <cstdlib>

#include "catalogue/bounded_text.h"
#include "catalogue/sorted_lines.h"

namespace {

// Adds arrive in bulk during a scan and reads after it, so lines are sorted on the first read
// after an add. Each line keeps its number among the adds, so sorting them all again places a
// later add as the list box places a line added to those it holds.
SortedLines nativeLines;
bool sorted = true;

void SortIfNeeded()
{
    if (!sorted) {
        SortAsListBox(&nativeLines, CompareIgnoringAsciiCase);
        sorted = true;
    }
}

}  // namespace

void* TakeLineMemory(std::size_t bytes)
{
    return std::calloc(1, bytes);
}

void GiveBackLineMemory(void* memory)
{
    std::free(memory);
}

void StoreReset()
{
    ReleaseLines(&nativeLines);
    sorted = true;
}

void StoreAdd(const char* line)
{
    if (KeepLine(&nativeLines, line))
        sorted = false;
}

int StoreCount()
{
    return static_cast<int>(nativeLines.count);
}

int StoreGet(int index, std::span<char> buffer)
{
    if (index < 0)
        return -1;
    SortIfNeeded();
    return CopyLine(nativeLines, static_cast<std::uint32_t>(index), buffer);
}
