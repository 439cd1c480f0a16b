#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ui/clipboard_text.h"

namespace {

using Columns = std::vector<std::string_view>;

// Measures every row, then builds the text in a block of exactly that size, as the Copy command does.
std::string BuildText(const std::vector<Columns>& rows)
{
    std::size_t size = 1;
    for (const Columns& row : rows)
        size += ClipboardRowLength(row);
    std::vector<char> block(size, '#');
    block[0] = '\0';
    std::size_t length = 0;
    for (const Columns& row : rows)
        EXPECT_TRUE(AppendClipboardRow(block, &length, row));
    EXPECT_EQ(length + 1, size);
    EXPECT_EQ(block[length], '\0');
    return std::string(block.data(), length);
}

TEST(ClipboardText, EachColumnEndsInACommaAndEachRowInCrLf)
{
    EXPECT_EQ(BuildText({{"main.asm", " 5/03/2026", " 9:05:07", "C:\\pkg\\main.asm"}}),
              "main.asm, 5/03/2026, 9:05:07,C:\\pkg\\main.asm,\r\n");
    EXPECT_EQ(BuildText({{"a.asm", "d", "t", "C:\\a.asm"}, {"b,c.inc", "", "t2", "C:\\b,c.inc"}}),
              "a.asm,d,t,C:\\a.asm,\r\nb,c.inc,,t2,C:\\b,c.inc,\r\n");
    // A row whose reading stopped early keeps the columns read so far.
    EXPECT_EQ(BuildText({{"x.rc", "d"}, {}}), "x.rc,d,\r\n\r\n");
    EXPECT_EQ(BuildText({}), "");
}

// Bytes above 0x7F pass unchanged: the text is the list's own ANSI bytes.
TEST(ClipboardText, KeepsHighBytesUnchanged)
{
    EXPECT_EQ(BuildText({{"caf\xE9.asm", "d", "t", "C:\\\xE9t\xE9\\caf\xE9.asm"}}),
              "caf\xE9.asm,d,t,C:\\\xE9t\xE9\\caf\xE9.asm,\r\n");
}

// Rows longer than 512 bytes, many of them: the measured block holds the whole text.
TEST(ClipboardText, LongRowsOfAnySelectionFitTheMeasuredBlock)
{
    const std::string name(255, 'n');
    const std::string path = "C:\\" + std::string(252, 'p') + "\\" + name;
    ASSERT_EQ(path.size(), 511u);
    const Columns row = {name, "31/12/2025", "23:59:59", path};
    EXPECT_EQ(ClipboardRowLength(row), 255u + 10 + 8 + 511 + 4 + 2);
    const std::string text = BuildText(std::vector<Columns>(250, row));
    EXPECT_EQ(text.size(), 250u * 790);
    EXPECT_EQ(text.substr(text.size() - 790), name + ",31/12/2025,23:59:59," + path + ",\r\n");
}

// The block's edges: a row that needs one byte more than is left is refused whole, and nothing
// is written.
TEST(ClipboardText, RefusesARowThatDoesNotFitWithItsTerminator)
{
    const Columns row = {"ab", "c"};  // "ab,c,\r\n": 7 bytes
    std::array<char, 8> exact;
    std::size_t length = 0;
    exact[0] = '\0';
    EXPECT_TRUE(AppendClipboardRow(exact, &length, row));
    EXPECT_EQ(length, 7u);
    EXPECT_EQ(std::string(exact.data()), "ab,c,\r\n");

    std::array<char, 7> tooSmall;
    tooSmall.fill('#');
    tooSmall[0] = '\0';
    length = 0;
    EXPECT_FALSE(AppendClipboardRow(tooSmall, &length, row));
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(tooSmall[0], '\0');
    EXPECT_EQ(tooSmall[1], '#');

    // A length that does not lie inside the block is refused, not written past.
    length = exact.size();
    EXPECT_FALSE(AppendClipboardRow(exact, &length, {}));
    EXPECT_FALSE(AppendClipboardRow(std::span<char>(), &length, {}));
}

}  // namespace
