#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/app_state.h"
#include "catalogue/source_store.h"

namespace {

std::vector<std::string> Lines()
{
    std::vector<std::string> lines;
    EntryText line;
    for (int i = 0; i < StoreCount(); ++i) {
        EXPECT_GE(StoreGet(i, line), 0);
        lines.emplace_back(line.data());
    }
    return lines;
}

class SourceStoreTest : public ::testing::Test {
protected:
    void SetUp() override { StoreReset(); }
};

TEST_F(SourceStoreTest, TheFifthSortsBeforeTheTenthOfTheSameMonth)
{
    StoreAdd("2026031010:00:00,b.asm,10/03/2026,10:00:00,C:\\b.asm");
    StoreAdd("202603 5 9:00:00,a.asm, 5/03/2026, 9:00:00,C:\\a.asm");
    StoreAdd("2026031009:00:00,c.asm,10/03/2026,09:00:00,C:\\c.asm");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(17, 5), "a.asm");
    EXPECT_EQ(lines[1].substr(17, 5), "c.asm");
    EXPECT_EQ(lines[2].substr(17, 5), "b.asm") << "the newest line is the last";
}

TEST_F(SourceStoreTest, SameSecondSortsByNameIgnoringCaseThenByPath)
{
    StoreAdd("2026031010:00:00,b.asm,10/03/2026,10:00:00,C:\\b.asm");
    StoreAdd("2026031010:00:00,a.asm,10/03/2026,10:00:00,C:\\z\\a.asm");
    StoreAdd("2026031010:00:00,A.ASM,10/03/2026,10:00:00,C:\\y\\A.ASM");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "2026031010:00:00,A.ASM,10/03/2026,10:00:00,C:\\y\\A.ASM");
    EXPECT_EQ(lines[1], "2026031010:00:00,a.asm,10/03/2026,10:00:00,C:\\z\\a.asm");
    EXPECT_EQ(lines[2], "2026031010:00:00,b.asm,10/03/2026,10:00:00,C:\\b.asm");
}

TEST_F(SourceStoreTest, UnderscoreSortsBeforeLettersAsTheListBoxDoes)
{
    StoreAdd("2026031010:00:00,a.asm,10/03/2026,10:00:00,C:\\a.asm");
    StoreAdd("2026031010:00:00,_start.asm,10/03/2026,10:00:00,C:\\_start.asm");
    EXPECT_EQ(Lines()[0].substr(17, 10), "_start.asm");
}

TEST_F(SourceStoreTest, ResetEmptiesAndBadReadsFail)
{
    StoreAdd("2026031010:00:00,a.asm,10/03/2026,10:00:00,C:\\a.asm");
    EXPECT_EQ(StoreCount(), 1);
    EntryText line;
    EXPECT_EQ(StoreGet(1, line), -1);
    EXPECT_EQ(StoreGet(-1, line), -1);
    std::array<char, 10> tooSmall;
    EXPECT_EQ(StoreGet(0, tooSmall), -1);
    StoreReset();
    EXPECT_EQ(StoreCount(), 0);
    EXPECT_EQ(StoreGet(0, line), -1);
}

}  // namespace
