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

// The newest line is the last; in the same second the name decides, ignoring case, then the path;
// "_" sorts before letters, as the list box sorts it.
TEST_F(SourceStoreTest, TimeThenNameIgnoringCaseThenPathDecide)
{
    const std::vector<std::string> expected = {
        "202603 5 9:00:00,c.asm, 5/03/2026, 9:00:00,C:\\c.asm",
        "2026031010:00:00,_start.asm,10/03/2026,10:00:00,C:\\_start.asm",
        "2026031010:00:00,A.ASM,10/03/2026,10:00:00,C:\\y\\A.ASM",
        "2026031010:00:00,a.asm,10/03/2026,10:00:00,C:\\z\\a.asm",
        "2026031010:00:00,b.asm,10/03/2026,10:00:00,C:\\b.asm",
    };
    for (int i : {4, 3, 0, 2, 1})
        StoreAdd(expected[i].c_str());
    EXPECT_EQ(Lines(), expected);
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
