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
#include "catalogue/bounded_text.h"
#include "catalogue/sorted_lines.h"

namespace {

std::vector<std::string> ListBoxOrder(const std::vector<std::string>& added)
{
    std::vector<std::string> held;
    for (const std::string& line : added) {
        std::ptrdiff_t low = 0;
        std::ptrdiff_t high = std::ssize(held) - 1;
        while (low <= high) {
            const std::ptrdiff_t probe = (low + high) / 2;
            const int order = CompareIgnoringAsciiCase(held[probe].c_str(), line.c_str());
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
    SortAsListBox(&lines, CompareIgnoringAsciiCase);
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

// Lines equal but for case among them (two files on a case-sensitive drive), where the list box puts
// the newer before the older. The index has room for 4,096 lines at first, and 1,300 of the longest
// lines fill a block of texts.
TEST(SortedLinesTest, LinesEndWhereTheListBoxPutsThem)
{
    std::mt19937 random(20260310);
    std::vector<std::vector<std::string>> sets;
    for (int count : {2, 3, 5, 8, 13, 40, 100, 300, 1000, 4097})
        sets.push_back(RandomLines(random, count));
    sets.push_back(RandomLines(random, 1301, kEntryCapacity - 1));
    for (const std::vector<std::string>& added : sets)
        EXPECT_EQ(SortedOrder(added), ListBoxOrder(added)) << added.size() << " lines";
}

TEST(SortedLinesTest, ALineLongerThanACatalogueLineIsDropped)
{
    SortedLines lines{};
    EXPECT_FALSE(KeepLine(&lines, std::string(kEntryCapacity, 'x').c_str())) << "longer than a catalogue line";
    EXPECT_EQ(lines.count, 0u);
}

}  // namespace
