// The in-memory store of the native build. Lines compare byte by byte after folding ASCII
// letters to lower case. That is the order of the program's sorted list box for every key
// (digits, spaces, colons) and for names of letters, digits, dots, spaces and commas. The list
// box differs where its case-insensitive collation weighs punctuation: it sorts "_", "~" and "\"
// before the digits (ASCII puts them after), so same-named files in folders "src" and "src2"
// come out the other way round; it ignores hyphens and apostrophes but to break a tie; it sorts
// letters outside ASCII beside their base letters, where the native store puts every byte above
// 127 after "z"; and lines equal but for case keep the order they were added in here, while the
// list box may put the newer first. Tests of the native store keep to names where the two agree.
#include "catalogue/source_store.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "catalogue/bounded_text.h"

namespace {

// Line texts live in large blocks that never move, so a scan costs no allocation per line. A
// reset empties the blocks but keeps them for the next scan.
constexpr std::size_t kBlockBytes = 256 * 1024;

// One line: its first 16 characters folded and packed so that comparing the two numbers orders
// them as the characters would, then where its text is, and its place among the adds. Lines
// starting with the date key almost always differ in those 16 characters, so sorting rarely reads
// the texts; equal lines keep the order they were added in.
struct StoredLine {
    std::uint64_t head;
    std::uint64_t tail;
    const char* text;
    std::uint32_t length;
    std::uint32_t order;
};

constexpr std::size_t kPackedLength = 16;

struct NativeStore {
    std::vector<std::vector<char>> blocks;
    std::size_t currentBlock = 0;  // the block new lines go to
    std::vector<StoredLine> lines;
    bool sorted = true;
};

NativeStore nativeStore;

unsigned char FoldForOrder(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Eight folded characters from at, zeros past the end of the line, first character highest.
std::uint64_t PackFolded(std::string_view line, std::size_t at)
{
    unsigned char bytes[8] = {};
    if (at < line.size())
        std::memcpy(bytes, line.data() + at, std::min<std::size_t>(8, line.size() - at));
    std::uint64_t packed = 0;
    for (unsigned char b : bytes)
        packed = packed << 8 | FoldForOrder(static_cast<char>(b));
    return packed;
}

// A zero never occurs inside a line, so the zero padding of a shorter line orders it first, as
// comparing the whole texts would; only lines equal in their first 16 characters read on.
bool LineBefore(const StoredLine& a, const StoredLine& b)
{
    if (a.head != b.head)
        return a.head < b.head;
    if (a.tail != b.tail)
        return a.tail < b.tail;
    const std::size_t aFrom = std::min<std::size_t>(a.length, kPackedLength);
    const std::size_t bFrom = std::min<std::size_t>(b.length, kPackedLength);
    const char* aEnd = a.text + a.length;
    const char* bEnd = b.text + b.length;
    const auto [aAt, bAt] = std::mismatch(a.text + aFrom, aEnd, b.text + bFrom, bEnd,
                                          [](char x, char y) { return FoldForOrder(x) == FoldForOrder(y); });
    if (aAt != aEnd && bAt != bEnd)
        return FoldForOrder(*aAt) < FoldForOrder(*bAt);
    if (aAt != aEnd || bAt != bEnd)
        return aAt == aEnd;
    return a.order < b.order;
}

// Copies text to the current block, moving on to the next (or a new) block when it is full.
const char* KeepText(std::string_view text)
{
    std::vector<std::vector<char>>& blocks = nativeStore.blocks;
    while (nativeStore.currentBlock < blocks.size() &&
           blocks[nativeStore.currentBlock].capacity() - blocks[nativeStore.currentBlock].size() < text.size())
        ++nativeStore.currentBlock;
    if (nativeStore.currentBlock == blocks.size()) {
        blocks.emplace_back();
        blocks.back().reserve(std::max(kBlockBytes, text.size()));
    }
    std::vector<char>& block = blocks[nativeStore.currentBlock];
    const std::size_t at = block.size();
    block.insert(block.end(), text.begin(), text.end());
    return block.data() + at;
}

// Adds arrive in bulk during a scan and reads after it, so lines are sorted once, on the first read.
// The order of adds settles ties, so an in-place sort needs no second buffer.
void SortIfNeeded()
{
    if (!nativeStore.sorted) {
        std::sort(nativeStore.lines.begin(), nativeStore.lines.end(), LineBefore);
        nativeStore.sorted = true;
    }
}

}  // namespace

void StoreReset()
{
    nativeStore.lines.clear();
    for (std::vector<char>& block : nativeStore.blocks)
        block.clear();
    nativeStore.currentBlock = 0;
    nativeStore.sorted = true;
}

void StoreAdd(const char* line)
{
    const std::string_view text(line);
    nativeStore.lines.push_back(StoredLine{PackFolded(text, 0), PackFolded(text, 8), KeepText(text),
                                           static_cast<std::uint32_t>(text.size()),
                                           static_cast<std::uint32_t>(nativeStore.lines.size())});
    nativeStore.sorted = false;
}

int StoreCount()
{
    return static_cast<int>(nativeStore.lines.size());
}

int StoreGet(int index, std::span<char> buffer)
{
    if (index < 0 || static_cast<std::size_t>(index) >= nativeStore.lines.size())
        return -1;
    SortIfNeeded();
    const StoredLine& line = nativeStore.lines[static_cast<std::size_t>(index)];
    if (!CopyText(buffer, std::string_view(line.text, line.length)))
        return -1;
    return static_cast<int>(line.length);
}
