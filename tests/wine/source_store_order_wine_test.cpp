// The order of the real sorted list box next to the order the native store keeps
// (source_store_native.cpp): where its comment says the two agree, the differences it names, and
// two it does not name.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/app_state.h"
#include "catalogue/source_entry.h"
#include "catalogue/source_store.h"
#include "catalogue/source_store_win.h"
#include "wine_tree.h"

namespace {

// The line of a file changed at time in folder (which ends in a backslash).
std::string LineAt(const SYSTEMTIME& time, std::string_view name, std::string_view folder)
{
    std::array<char, kDateLength + 1> date;
    std::array<char, kTimeLength + 1> clock;
    std::array<char, kKeyLength + 1> key;
    FormatEntryTimes(time, date, clock, key);
    EntryText line;
    EXPECT_TRUE(BuildSourceEntry(line, key.data(), name, date.data(), clock.data(), folder, name));
    return line.data();
}

// Lines of files all changed at 10:00:00 on 10 March 2026, so only names and paths decide.
std::string SameSecondLine(std::string_view name, std::string_view folder = "C:\\p\\")
{
    return LineAt(SYSTEMTIME{2026, 3, 0, 10, 10, 0, 0, 0}, name, folder);
}

std::vector<std::string> SameSecondLines(const std::vector<std::string>& names)
{
    std::vector<std::string> lines;
    for (const std::string& name : names)
        lines.push_back(SameSecondLine(name));
    return lines;
}

// The native store's order: bytes compared after folding ASCII letters to lower case (as its
// comment gives it). The lines it is given here never compare equal.
std::vector<std::string> NativeStoreOrder(std::vector<std::string> lines)
{
    const auto fold = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
    };
    std::stable_sort(lines.begin(), lines.end(), [&](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [&](char x, char y) { return fold(x) < fold(y); });
    });
    return lines;
}

std::vector<std::string> Names(const std::vector<std::string>& lines)
{
    std::vector<std::string> names;
    for (const std::string& line : lines) {
        SourceEntryFields fields;
        EXPECT_TRUE(SplitSourceEntry(line, &fields)) << line;
        names.emplace_back(fields.filename);
    }
    return names;
}

std::vector<std::string> Paths(const std::vector<std::string>& lines)
{
    std::vector<std::string> paths;
    for (const std::string& line : lines) {
        SourceEntryFields fields;
        EXPECT_TRUE(SplitSourceEntry(line, &fields)) << line;
        paths.emplace_back(fields.path);
    }
    return paths;
}

class StoreOrderWineTest : public StoreListTest {
protected:
    // The lines as the store orders them, added in the order given.
    static std::vector<std::string> ListBoxOrder(const std::vector<std::string>& lines)
    {
        StoreReset();
        for (const std::string& line : lines)
            StoreAdd(line.c_str());
        StoreFlush();
        return StoreLines();
    }

    // The lines as a sorted list box's own inserts order them, added one by one in the order given.
    std::vector<std::string> AddStringOrder(const std::vector<std::string>& lines) const
    {
        HWND list = CreateSortedListBox(owner_, IDC_STORE_LIST + 1);
        EXPECT_NE(list, nullptr);
        for (const std::string& line : lines)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        std::vector<std::string> ordered;
        EntryText line;
        for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
            ordered.emplace_back(line.data());
        }
        DestroyWindow(list);
        return ordered;
    }
};

void ExpectSameOrder(const std::vector<std::string>& actual, const std::vector<std::string>& expected,
                     const char* what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << what << ": line " << i << " is '" << actual[i] << "', expected '" << expected[i] << "'";
            return;
        }
    }
}

// Keys with space-padded days and hours, across months and years, added in a shuffled order.
TEST_F(StoreOrderWineTest, EveryKeyOrdersByTimeInBothStores)
{
    std::vector<std::string> byTime;
    for (WORD year : {1999, 2026})
        for (WORD month : {1, 9, 10, 12})
            for (WORD day : {1, 9, 10, 19, 20, 30})
                for (WORD hour : {0, 9, 10, 23})
                    for (WORD minute : {0, 59})
                        byTime.push_back(LineAt(SYSTEMTIME{year, month, 0, day, hour, minute, minute, 0}, "k.asm",
                                                "C:\\p\\"));
    std::vector<std::string> added = byTime;
    std::shuffle(added.begin(), added.end(), std::mt19937(20260310));

    ExpectSameOrder(ListBoxOrder(added), byTime, "list box");
    ExpectSameOrder(NativeStoreOrder(added), byTime, "native store");
}

// Names of letters, digits and dots (and the spaces and commas a name may hold) in the same second.
TEST_F(StoreOrderWineTest, NamesOfLettersDigitsAndDotsOrderAlikeInBothStores)
{
    const std::vector<std::string> expected = {
        "0.asm", "9.asm", "a..asm", "A.asm", "a.b.asm", "a.rc", "a.rc.asm", "a1.asm", "a10.asm", "a2.asm",
        "ab.asm", "b.asm", "x y.asm", "x,y.asm", "x.y.asm", "xy.asm",
    };
    std::vector<std::string> added = SameSecondLines(expected);
    std::reverse(added.begin(), added.end());

    EXPECT_EQ(Names(ListBoxOrder(added)), expected);
    EXPECT_EQ(Names(NativeStoreOrder(added)), expected);
}

// Names that differ only in case are equal to both stores: the path decides, whatever the case.
TEST_F(StoreOrderWineTest, CaseIsIgnoredAndThePathDecidesInBothStores)
{
    const std::vector<std::string> added = {
        SameSecondLine("a.asm", "C:\\z\\"), SameSecondLine("b.asm", "C:\\a\\"),
        SameSecondLine("A.ASM", "C:\\y\\"), SameSecondLine("B.Asm", "C:\\B\\"),
    };
    const std::vector<std::string> expected = {"C:\\y\\A.ASM", "C:\\z\\a.asm", "C:\\a\\b.asm", "C:\\B\\B.Asm"};

    EXPECT_EQ(Paths(ListBoxOrder(added)), expected);
    EXPECT_EQ(Paths(NativeStoreOrder(added)), expected);
}

// Names of letters in both cases, hyphens, apostrophes, other punctuation, digits and letters of
// the code page beyond ASCII, in sibling folders whose names differ in case or by a hyphen, all in
// three seconds, added in a random order: the store ends in the order of the list box's own
// inserts, lines that differ only in case included.
TEST_F(StoreOrderWineTest, StoreEndsInTheOrderOfTheListBoxsOwnInserts)
{
    ASSERT_EQ(GetACP(), 1252u) << "the names below are spelt in code page 1252";
    const std::array<std::string_view, 24> parts = {"a",  "A",  "b",  "Z",  "0",    "9",    "10",   "-",
                                                    "'",  "_",  "~",  ".",  " ",    ",",    "!",    "$",
                                                    "[",  "+",  "ss", "ae", "\xE9", "\xC9", "\xDF", "\xE6"};
    const std::array<std::string_view, 4> folders = {"Z:\\p\\", "Z:\\P\\", "Z:\\p-q\\", "Z:\\pq\\"};
    const std::array<SYSTEMTIME, 3> times = {SYSTEMTIME{2026, 3, 0, 5, 10, 0, 0, 0},
                                             SYSTEMTIME{2026, 3, 0, 10, 9, 0, 0, 0},
                                             SYSTEMTIME{2026, 3, 0, 10, 10, 0, 0, 0}};
    std::mt19937 random(14);
    std::vector<std::string> added;
    for (int i = 0; i < 2000; ++i) {
        std::string name;
        for (std::uint32_t k = 1 + random() % 3; k > 0; --k)
            name += parts[random() % parts.size()];
        added.push_back(LineAt(times[random() % times.size()], name + ".asm", folders[random() % folders.size()]));
    }
    ExpectSameOrder(ListBoxOrder(added), AddStringOrder(added), "store");
}

// Differences the native store's comment names.

TEST_F(StoreOrderWineTest, UnderscoreAndTildeSortBeforeDigitsOnlyInTheListBox)
{
    const auto added = SameSecondLines({"a.asm", "0.asm", "~a.asm", "_a.asm", "x0y.asm", "x_y.asm"});
    EXPECT_EQ(Names(ListBoxOrder(added)),
              (std::vector<std::string>{"_a.asm", "~a.asm", "0.asm", "a.asm", "x_y.asm", "x0y.asm"}));
    EXPECT_EQ(Names(NativeStoreOrder(added)),
              (std::vector<std::string>{"0.asm", "_a.asm", "a.asm", "x0y.asm", "x_y.asm", "~a.asm"}));
}

TEST_F(StoreOrderWineTest, HyphensAndApostrophesAreIgnoredOnlyByTheListBox)
{
    const auto added = SameSecondLines({"a'd.asm", "x-y.asm", "a-c.asm", "xy.asm", "ab.asm"});
    EXPECT_EQ(Names(ListBoxOrder(added)),
              (std::vector<std::string>{"ab.asm", "a-c.asm", "a'd.asm", "xy.asm", "x-y.asm"}))
        << "read as ab, ac, ad, xy, xy; the hyphen only breaks the tie";
    EXPECT_EQ(Names(NativeStoreOrder(added)),
              (std::vector<std::string>{"a'd.asm", "a-c.asm", "ab.asm", "x-y.asm", "xy.asm"}));
}

// The list box reads the bytes in the ANSI code page and sorts its accented letters with their base
// letters; the native store puts every byte above 127 after "z".
TEST_F(StoreOrderWineTest, LettersOutsideAsciiSortWithTheirBaseLettersOnlyInTheListBox)
{
    ASSERT_EQ(GetACP(), 1252u) << "the names below are spelt in code page 1252";
    const std::string eAcute = "\xE9.asm";
    const std::string uUmlaut = "\xFC.asm";
    const auto added = SameSecondLines({"z.asm", uUmlaut, "v.asm", "u.asm", eAcute, "f.asm", "e.asm"});
    EXPECT_EQ(Names(ListBoxOrder(added)),
              (std::vector<std::string>{"e.asm", eAcute, "f.asm", "u.asm", uUmlaut, "v.asm", "z.asm"}));
    EXPECT_EQ(Names(NativeStoreOrder(added)),
              (std::vector<std::string>{"e.asm", "f.asm", "u.asm", "v.asm", "z.asm", eAcute, uUmlaut}));
}

// Differences the comment does not name.

// Files of the same name and second in sibling folders are ordered by path, and there the folder
// separator meets the next folder's characters: the list box puts "\" before digits and "_",
// ASCII after them. So "src" and "src2" change places although both names are letters and digits.
TEST_F(StoreOrderWineTest, BackslashSortsBeforeDigitsOnlyInTheListBox)
{
    const std::vector<std::string> added = {
        SameSecondLine("x.asm", "C:\\p\\srcb\\"), SameSecondLine("x.asm", "C:\\p\\src2\\"),
        SameSecondLine("x.asm", "C:\\p\\src\\"),  SameSecondLine("x.asm", "C:\\p\\src_\\"),
        SameSecondLine("x.asm", "C:\\p\\src.old\\"),
    };
    EXPECT_EQ(Paths(ListBoxOrder(added)),
              (std::vector<std::string>{"C:\\p\\src.old\\x.asm", "C:\\p\\src\\x.asm", "C:\\p\\src_\\x.asm",
                                        "C:\\p\\src2\\x.asm", "C:\\p\\srcb\\x.asm"}));
    EXPECT_EQ(Paths(NativeStoreOrder(added)),
              (std::vector<std::string>{"C:\\p\\src.old\\x.asm", "C:\\p\\src2\\x.asm", "C:\\p\\src\\x.asm",
                                        "C:\\p\\src_\\x.asm", "C:\\p\\srcb\\x.asm"}));
}

// Whole lines that differ only in case (two files on a case-sensitive drive, such as Wine's Z:):
// the list box puts the line it adds before the equal line it meets. The native store places
// them by the same rule; its own tests hold it to it.
TEST_F(StoreOrderWineTest, LinesEqualButForCaseKeepNoAddingOrderInTheListBox)
{
    const std::vector<std::string> added = {SameSecondLine("a.asm", "Z:\\p\\"), SameSecondLine("A.asm", "Z:\\P\\")};
    EXPECT_EQ(Paths(ListBoxOrder(added)), (std::vector<std::string>{"Z:\\P\\A.asm", "Z:\\p\\a.asm"}));
}

}  // namespace
