#include <gtest/gtest.h>

#include <array>
#include <string>

#include "catalogue/bounded_text.h"

namespace {

TEST(CopyText, FitsUpToCapacityLessOneAndCutsBeyond)
{
    std::array<char, 8> buf;
    buf.fill('#');
    EXPECT_TRUE(CopyText(buf, std::string(6, 'a')));
    EXPECT_EQ(TextView(buf), "aaaaaa");
    EXPECT_TRUE(CopyText(buf, std::string(7, 'b')));
    EXPECT_EQ(TextView(buf), "bbbbbbb");
    EXPECT_FALSE(CopyText(buf, std::string(8, 'c')));
    EXPECT_EQ(TextView(buf), "ccccccc");
    EXPECT_EQ(buf[7], '\0');
}

TEST(AppendText, CutsAtCapacityAndKeepsTheTerminator)
{
    std::array<char, 6> buf;
    CopyText(buf, "abc");
    EXPECT_TRUE(AppendText(buf, "de"));
    EXPECT_EQ(TextView(buf), "abcde");
    EXPECT_FALSE(AppendText(buf, "f"));
    EXPECT_EQ(TextView(buf), "abcde");
    EXPECT_TRUE(AppendText(buf, ""));
}

TEST(TextLength, StopsAtTheBufferEndWithoutATerminator)
{
    const std::array<char, 3> unterminated = {'x', 'y', 'z'};
    EXPECT_EQ(TextLength(unterminated), 3u);
}

TEST(CaseInsensitive, ComparesAsciiLettersInAnyCase)
{
    EXPECT_TRUE(EqualsIgnoringCase("VANTREL.EXE", "Vantrel.exe"));
    EXPECT_FALSE(EqualsIgnoringCase("Vantrel.exe.bak", "Vantrel.exe"));
    EXPECT_TRUE(EndsWithIgnoringCase("DEMO.ASM", ".asm"));
    EXPECT_FALSE(EndsWithIgnoringCase("sm", ".asm"));
}

}  // namespace
