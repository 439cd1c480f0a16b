#include "catalogue/sorted_lines.h"

#include <algorithm>
#include <cstring>

#include "catalogue/app_state.h"

// The texts lie one after another in blocks of 1 MiB, and the index of one record per line
// doubles as it fills: a scan costs no allocation per line.
struct LineTextBlock {
    LineTextBlock* previous;
    std::size_t used;  // bytes from the block's start, header included
};

namespace {

constexpr std::size_t kBlockBytes = 1024 * 1024;
constexpr std::uint32_t kFirstIndexLines = 4096;
constexpr std::uint32_t kMostIndexLines = 1u << 27;  // 2 GiB of index on the 32-bit build: its size never wraps

// The key's twelve digits (each a digit or a padding space) packed four bits each, in order, so
// that comparing two packed keys orders them as the comparison orders the keys; kUndated for a
// line that does not start with a key.
constexpr std::uint64_t kUndated = ~std::uint64_t{0};

// Copies text (length characters and its terminator) into the last block, or a new one.
const char* KeepText(SortedLines* lines, const char* text, std::size_t length)
{
    LineTextBlock* block = lines->lastBlock;
    if (!block || kBlockBytes - block->used < length + 1) {
        block = static_cast<LineTextBlock*>(TakeLineMemory(kBlockBytes));
        if (!block)
            return nullptr;
        *block = LineTextBlock{lines->lastBlock, sizeof(LineTextBlock)};
        lines->lastBlock = block;
    }
    char* kept = reinterpret_cast<char*>(block) + block->used;
    std::memcpy(kept, text, length + 1);
    block->used += length + 1;
    return kept;
}

bool IndexHasRoom(SortedLines* lines)
{
    if (lines->count < lines->capacity)
        return true;
    if (lines->capacity >= kMostIndexLines)
        return false;
    const std::uint32_t capacity = lines->capacity ? lines->capacity * 2 : kFirstIndexLines;
    auto* index = static_cast<SortedLine*>(TakeLineMemory(capacity * sizeof(SortedLine)));
    if (!index)
        return false;
    if (lines->index)
        std::memcpy(index, lines->index, lines->count * sizeof(SortedLine));
    GiveBackLineMemory(lines->index);
    lines->index = index;
    lines->capacity = capacity;
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

// Keys hold only digits, padding spaces and two colons in fixed places: where two keys differ,
// the comparison of the whole lines is decided there, in the order of the packed keys. Only lines
// with equal keys (or without one) are compared by compare.
int CompareLines(const SortedLine& left, const SortedLine& right, LineComparison compare)
{
    if (left.key != right.key && left.key != kUndated && right.key != kUndated)
        return left.key < right.key ? -1 : 1;
    return compare(left.text, right.text);
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
void CountAdded(std::uint32_t* counts, std::uint32_t count, std::uint32_t added)
{
    for (std::uint32_t i = added + 1; i <= count; i += i & (0 - i))
        ++counts[i];
}

std::uint32_t CountedBefore(const std::uint32_t* counts, std::uint32_t added)
{
    std::uint32_t total = 0;
    for (std::uint32_t i = added; i > 0; i -= i & (0 - i))
        total += counts[i];
    return total;
}

// Lines the comparison finds equal (such as two paths that differ only in case) lie together
// after the sort, in the order they were added. Each is moved to where the list box would have put
// it when it was added: among the equal lines added before it, at the place its search meets
// first. The search depends on the lines added before it that sort earlier: the sweep counts them.
void PlaceEqualLines(SortedLines* lines, LineComparison compare)
{
    std::uint32_t* counts = nullptr;
    std::uint32_t start = 0;
    while (start < lines->count) {
        std::uint32_t end = start + 1;
        while (end < lines->count && CompareLines(lines->index[end - 1], lines->index[end], compare) == 0)
            ++end;
        if (end - start > 1) {
            if (!counts) {
                counts = static_cast<std::uint32_t*>(TakeLineMemory((lines->count + 1) * sizeof(std::uint32_t)));
                if (!counts)
                    return;
                for (std::uint32_t i = 0; i < start; ++i)
                    CountAdded(counts, lines->count, lines->index[i].added);
            }
            // start..start+placed holds the equal lines placed so far; the rest wait in added order.
            for (std::uint32_t placed = 0; placed < end - start; ++placed) {
                SortedLine* const group = lines->index + start;
                const std::uint32_t added = group[placed].added;
                const std::uint32_t place = EqualLinePlace(added, CountedBefore(counts, added), placed);
                std::rotate(group + place, group + placed, group + placed + 1);
            }
        }
        if (counts) {
            for (std::uint32_t i = start; i < end; ++i)
                CountAdded(counts, lines->count, lines->index[i].added);
        }
        start = end;
    }
    GiveBackLineMemory(counts);
}

}  // namespace

bool KeepLine(SortedLines* lines, const char* line)
{
    const std::size_t length = strnlen(line, kEntryCapacity);
    if (length == kEntryCapacity || !IndexHasRoom(lines))
        return false;
    const char* text = KeepText(lines, line, length);
    if (!text)
        return false;
    lines->index[lines->count] = SortedLine{PackedKey(text), text, lines->count};
    ++lines->count;
    return true;
}

void SortAsListBox(SortedLines* lines, LineComparison compare)
{
    std::sort(lines->index, lines->index + lines->count, [compare](const SortedLine& left, const SortedLine& right) {
        const int order = CompareLines(left, right, compare);
        return order != 0 ? order < 0 : left.added < right.added;
    });
    PlaceEqualLines(lines, compare);
}

void SortAsKept(SortedLines* lines)
{
    std::sort(lines->index, lines->index + lines->count,
              [](const SortedLine& left, const SortedLine& right) { return left.added < right.added; });
}

int CopyLine(const SortedLines& lines, std::uint32_t i, std::span<char> buffer)
{
    if (i >= lines.count)
        return -1;
    const char* text = lines.index[i].text;
    const std::size_t length = strnlen(text, kEntryCapacity);
    if (length >= buffer.size())
        return -1;
    std::memcpy(buffer.data(), text, length + 1);
    return static_cast<int>(length);
}

void ReleaseLines(SortedLines* lines)
{
    while (lines->lastBlock) {
        LineTextBlock* previous = lines->lastBlock->previous;
        GiveBackLineMemory(lines->lastBlock);
        lines->lastBlock = previous;
    }
    GiveBackLineMemory(lines->index);
    *lines = SortedLines{};
}
