// The lines' order against a sorted list box's own placement, modelled plainly: each line given to
// it goes where a binary search over the lines it holds meets an equal line first, or where the
// search ends.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/app_state.h"
#include "catalogue/sorted_lines.h"

namespace {

// Case-insensitive, so that lines equal but for case are equal, as they are to the list box.
int CompareFolded(const char* left, const char* right)
{
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : static_cast<unsigned char>(c); };
    while (*left && fold(*left) == fold(*right))
        ++left, ++right;
    return fold(*left) - fold(*right);
}

std::vector<std::string> ListBoxOrder(const std::vector<std::string>& added)
{
    std::vector<std::string> held;
    for (const std::string& line : added) {
        std::ptrdiff_t low = 0;
        std::ptrdiff_t high = std::ssize(held) - 1;
        while (low <= high) {
            const std::ptrdiff_t probe = (low + high) / 2;
            const int order = CompareFolded(held[probe].c_str(), line.c_str());
            if (order == 0) {
                low = probe;
                break;
            }
            if (order < 0)
                low = probe + 1;
            else
                high = probe - 1;
        }
        held.insert(held.begin() + low, line);
    }
    return held;
}

std::vector<std::string> SortedOrder(const std::vector<std::string>& added)
{
    SortedLines lines{};
    for (const std::string& line : added)
        EXPECT_TRUE(KeepLine(&lines, line.c_str())) << line;
    SortAsListBox(&lines, CompareFolded);
    std::vector<std::string> ordered;
    EntryText text;
    for (std::uint32_t i = 0; CopyLine(lines, i, text) >= 0; ++i)
        ordered.emplace_back(text.data());
    ReleaseLines(&lines);
    return ordered;
}

// Lines of few keys (space-padded ones among them, and lines without a key, some of which begin
// as a key does) and few names and folders in both cases, padded with x to at least length.
std::vector<std::string> RandomLines(std::mt19937& random, int count, std::size_t length = 0)
{
    constexpr std::array<std::string_view, 6> keys = {"2026031010:00:00", "2026031010:00:00", "202603 5 9:00:00",
                                                      "2026031009:59:59", "2026031010:00",    "undated"};
    constexpr std::array<std::string_view, 6> parts = {"a", "A", "b", "B", "_", "0"};
    constexpr std::array<std::string_view, 3> folders = {"Z:\\p\\", "Z:\\P\\", "Z:\\q\\"};
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        std::string name;
        for (std::uint32_t k = 1 + random() % 2; k > 0; --k)
            name += parts[random() % parts.size()];
        name += ".asm";
        std::string line = std::string(keys[random() % keys.size()]) + "," + name + ",10/03/2026,10:00:00," +
                           std::string(folders[random() % folders.size()]) + name;
        line.resize(std::max(line.size(), length), 'x');
        lines.push_back(line);
    }
    return lines;
}

TEST(SortedLinesTest, RandomLinesEndWhereTheListBoxPutsThem)
{
    std::mt19937 random(20260310);
    for (int count : {2, 3, 5, 8, 13, 40, 100, 300, 1000}) {
        const std::vector<std::string> added = RandomLines(random, count);
        EXPECT_EQ(SortedOrder(added), ListBoxOrder(added)) << count << " lines";
    }
}

// The index has room for 4,096 lines at first, and 1,300 of the longest lines fill a block of texts.
TEST(SortedLinesTest, LinesPastTheFirstIndexAndBlockKeepTheirPlace)
{
    std::mt19937 random(14);
    for (const std::vector<std::string>& added : {RandomLines(random, 4097), RandomLines(random, 1301, kEntryCapacity - 1)})
        EXPECT_EQ(SortedOrder(added), ListBoxOrder(added)) << added.size() << " lines";
    SortedLines lines{};
    EXPECT_FALSE(KeepLine(&lines, std::string(kEntryCapacity, 'x').c_str())) << "longer than a catalogue line";
    EXPECT_EQ(lines.count, 0u);
}

// Two files on a case-sensitive drive: the list box puts the newer before the older.
TEST(SortedLinesTest, TheNewerOfTwoLinesEqualButForCaseComesFirst)
{
    const std::string older = "2026031010:00:00,a.asm,10/03/2026,10:00:00,Z:\\p\\a.asm";
    const std::string newer = "2026031010:00:00,A.asm,10/03/2026,10:00:00,Z:\\P\\A.asm";
    EXPECT_EQ(SortedOrder({older, newer}), (std::vector<std::string>{newer, older}));
}

}  // namespace
