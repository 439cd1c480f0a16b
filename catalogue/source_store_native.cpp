// The in-memory store of the native build. Lines compare byte by byte after folding ASCII
// letters to lower case. That is the order of the program's sorted list box for every key
// (digits, spaces, colons) and for names of letters, digits and dots. It differs for other
// punctuation, which the platform's case-insensitive collation sorts before the digits (ASCII
// puts some of it, such as "_" and "~", after them) or ignores (hyphens, apostrophes), and for
// letters outside ASCII, which the platform orders by its code page and the native store by byte
// value. Tests of the native store keep to names where the two agree.
#include "catalogue/source_store.h"

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/bounded_text.h"

namespace {

struct NativeStore {
    std::vector<std::string> lines;
    bool sorted = true;
};

NativeStore nativeStore;

unsigned char FoldForOrder(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

bool LineBefore(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return FoldForOrder(x) < FoldForOrder(y); });
}

// Adds arrive in bulk during a scan and reads after it, so lines are sorted once, on the first read.
void SortIfNeeded()
{
    if (!nativeStore.sorted) {
        std::stable_sort(nativeStore.lines.begin(), nativeStore.lines.end(), LineBefore);
        nativeStore.sorted = true;
    }
}

}  // namespace

void StoreReset()
{
    nativeStore.lines.clear();
    nativeStore.sorted = true;
}

void StoreAdd(const char* line)
{
    nativeStore.lines.emplace_back(line);
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
    const std::string& line = nativeStore.lines[static_cast<std::size_t>(index)];
    if (!CopyText(buffer, line))
        return -1;
    return static_cast<int>(line.size());
}
