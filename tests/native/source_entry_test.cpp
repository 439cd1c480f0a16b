#include <gtest/gtest.h>

#include <string>

#include "catalogue/bounded_text.h"
#include "catalogue/source_entry.h"

namespace {

SYSTEMTIME Time(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

struct Texts {
    std::string date, time, key;
};

Texts Format(const SYSTEMTIME& t)
{
    std::array<char, kDateLength + 1> date;
    std::array<char, kTimeLength + 1> clock;
    std::array<char, kKeyLength + 1> key;
    FormatEntryTimes(t, date, clock, key);
    return {date.data(), clock.data(), key.data()};
}

std::string Line(std::string_view name, std::string_view prefix)
{
    EntryText line;
    EXPECT_TRUE(BuildSourceEntry(line, "202603 5 9:05:07", name, " 5/03/2026", " 9:05:07", prefix, name));
    return line.data();
}

TEST(EntryTimes, SingleDigitDayAndHourArePaddedWithASpace)
{
    const Texts t = Format(Time(2026, 3, 5, 9, 5, 7));
    EXPECT_EQ(t.date, " 5/03/2026");
    EXPECT_EQ(t.time, " 9:05:07");
    EXPECT_EQ(t.key, "202603 5 9:05:07");
}

TEST(EntryTimes, TwoDigitFieldsFillTheirWidth)
{
    const Texts t = Format(Time(2026, 12, 10, 23, 59, 58));
    EXPECT_EQ(t.date, "10/12/2026");
    EXPECT_EQ(t.time, "23:59:58");
    EXPECT_EQ(t.key, "2026121023:59:58");
}

TEST(EntryTimes, YearIsZeroPaddedAndCutToFourCharacters)
{
    EXPECT_EQ(Format(Time(7, 1, 1, 0, 0, 0)).date, " 1/01/0007");
    const Texts far = Format(Time(30827, 1, 1, 0, 0, 0));
    EXPECT_EQ(far.date, " 1/01/3082");
    EXPECT_EQ(far.key.size(), kKeyLength);
}

TEST(EntryTimes, ZeroTimeKeepsEveryWidth)
{
    const Texts t = Format(SYSTEMTIME{});
    EXPECT_EQ(t.date, " 0/00/0000");
    EXPECT_EQ(t.time, " 0:00:00");
    EXPECT_EQ(t.key, "000000 0 0:00:00");
}

TEST(BuildSourceEntry, JoinsKeyNameDateTimeAndPathWithSingleCommas)
{
    EXPECT_EQ(Line("demo.asm", "C:\\src\\"), "202603 5 9:05:07,demo.asm, 5/03/2026, 9:05:07,C:\\src\\demo.asm");
}

TEST(BuildSourceEntry, LongestNameAndFolderFillTheLineExactly)
{
    const std::string name(kNameLimit, 'n');
    const std::string prefix = std::string(kFolderLimit, 'f') + "\\";
    const std::string line = Line(name, prefix);
    EXPECT_EQ(line.size(), kEntryCapacity - 1);
    SourceEntryFields f;
    ASSERT_TRUE(SplitSourceEntry(line, &f));
    EXPECT_EQ(f.filename, name);
    EXPECT_EQ(f.path.size(), kEntryPathLimit);
}

TEST(BuildSourceEntry, ReportsACutLineAndStaysTerminated)
{
    std::array<char, 40> small;
    EXPECT_FALSE(BuildSourceEntry(small, "202603 5 9:05:07", "demo.asm", " 5/03/2026", " 9:05:07", "C:\\src\\", "demo.asm"));
    EXPECT_EQ(TextLength(small), small.size() - 1);
}

TEST(SplitSourceEntry, GivesTheFourShownFields)
{
    const std::string line = Line("demo.asm", "C:\\src\\");
    SourceEntryFields f;
    ASSERT_TRUE(SplitSourceEntry(line, &f));
    EXPECT_EQ(f.filename, "demo.asm");
    EXPECT_EQ(f.date, " 5/03/2026");
    EXPECT_EQ(f.time, " 9:05:07");
    EXPECT_EQ(f.path, "C:\\src\\demo.asm");
}

TEST(SplitSourceEntry, CommasInFolderNamesStayInThePath)
{
    const std::string line = Line("demo.asm", "C:\\a,b\\c, d\\");
    SourceEntryFields f;
    ASSERT_TRUE(SplitSourceEntry(line, &f));
    EXPECT_EQ(f.filename, "demo.asm");
    EXPECT_EQ(f.path, "C:\\a,b\\c, d\\demo.asm");
}

TEST(SplitSourceEntry, CommasInTheFileNameStayInTheName)
{
    const std::string line = Line("a,b, 5,c.asm", "C:\\x,y\\");
    SourceEntryFields f;
    ASSERT_TRUE(SplitSourceEntry(line, &f));
    EXPECT_EQ(f.filename, "a,b, 5,c.asm");
    EXPECT_EQ(f.date, " 5/03/2026");
    EXPECT_EQ(f.time, " 9:05:07");
    EXPECT_EQ(f.path, "C:\\x,y\\a,b, 5,c.asm");
}

TEST(SplitSourceEntry, RejectsALineWithNoRoomForAName)
{
    SourceEntryFields f;
    EXPECT_FALSE(SplitSourceEntry("202603 5 9:05:07,", &f));
    EXPECT_FALSE(SplitSourceEntry("", &f));
}

}  // namespace
