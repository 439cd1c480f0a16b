#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/file_system_native.h"
#include "catalogue/folder_scan.h"
#include "catalogue/scan_feedback_native.h"
#include "catalogue/source_entry.h"
#include "catalogue/source_store.h"
#include "test_tree.h"

namespace {

const std::int64_t kMarch5 = UtcSeconds(2026, 3, 5, 9, 5, 7);
const std::int64_t kMarch10 = UtcSeconds(2026, 3, 10, 14, 30, 0);

std::vector<std::string> Paths(const std::vector<std::string>& lines)
{
    std::vector<std::string> paths;
    for (const std::string& line : lines) {
        SourceEntryFields f;
        EXPECT_TRUE(SplitSourceEntry(line, &f)) << line;
        paths.emplace_back(f.path);
    }
    return paths;
}

using FolderScanTest = TreeTest;

TEST_F(FolderScanTest, BuildsOneLinePerSourceWithItsLocalTime)
{
    MakeFile("src\\demo.asm", kMarch5);
    Scan("C:\\src");
    ASSERT_EQ(StoreLines(), std::vector<std::string>{"202603 5 9:05:07,demo.asm, 5/03/2026, 9:05:07,C:\\src\\demo.asm"});
    EXPECT_EQ(appState.foundCount, 1u);
}

TEST_F(FolderScanTest, DriveRootWithTrailingBackslashGivesSingleBackslashPaths)
{
    MakeFile("top.asm", kMarch5);
    MakeFile("sub\\deep.inc", kMarch10);
    Scan("C:\\");
    EXPECT_EQ(Paths(StoreLines()), (std::vector<std::string>{"C:\\top.asm", "C:\\sub\\deep.inc"}));
}

TEST_F(FolderScanTest, ExtensionsMatchInAnyCaseAndOnlyAtTheEnd)
{
    for (const char* name : {"DEMO.ASM", "x.Rc", "a.INC", "demo.asm.bak", "demo.as", "asm", "rc", "notes.txt"})
        MakeFile(std::string("p\\") + name, kMarch5);
    Scan("C:\\p");
    auto paths = Paths(StoreLines());
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\p\\DEMO.ASM", "C:\\p\\a.INC", "C:\\p\\x.Rc"}));
}

TEST_F(FolderScanTest, FoldersNamedLikeSourcesAreWalkedNotListed)
{
    MakeFile("p\\lib.asm\\inner.asm", kMarch5);
    Scan("C:\\p");
    EXPECT_EQ(Paths(StoreLines()), std::vector<std::string>{"C:\\p\\lib.asm\\inner.asm"});
}

TEST_F(FolderScanTest, HiddenFoldersAreWalkedAndDoubleDotNamesSkipped)
{
    MakeFile("p\\.hidden\\h.asm", kMarch5);
    MakeFile("p\\..odd\\never.asm", kMarch5);
    MakeFile("p\\..never.asm", kMarch5);
    Scan("C:\\p");
    EXPECT_EQ(Paths(StoreLines()), std::vector<std::string>{"C:\\p\\.hidden\\h.asm"});
}

TEST_F(FolderScanTest, ListsNewestLastAcrossFolders)
{
    MakeFile("p\\b\\ten.asm", kMarch10);
    MakeFile("p\\a\\five.asm", kMarch5);
    Scan("C:\\p");
    EXPECT_EQ(Paths(StoreLines()), (std::vector<std::string>{"C:\\p\\a\\five.asm", "C:\\p\\b\\ten.asm"}));
}

TEST_F(FolderScanTest, FirstSourceFoundEmptiesTheStoreAndAnEmptyScanKeepsIt)
{
    StoreAdd("old line of an earlier scan");
    MakeFile("empty\\readme.txt", kMarch5);
    Scan("C:\\empty");
    EXPECT_EQ(StoreLines(), std::vector<std::string>{"old line of an earlier scan"});
    EXPECT_EQ(appState.storeResetDone, 0u);

    MakeFile("full\\a.asm", kMarch5);
    Scan("C:\\full");
    EXPECT_EQ(Paths(StoreLines()), std::vector<std::string>{"C:\\full\\a.asm"});
    EXPECT_EQ(appState.storeResetDone, 1u);
}

TEST_F(FolderScanTest, MissingStartFolderFindsNothing)
{
    StoreAdd("kept");
    Scan("C:\\no such folder");
    Scan("Q:\\");
    EXPECT_EQ(appState.foundCount, 0u);
    EXPECT_EQ(StoreLines(), std::vector<std::string>{"kept"});
}

TEST_F(FolderScanTest, FeedbackStepsEverySixteenthAndShowsThe255th)
{
    for (int i = 0; i < 300; ++i)
        MakeFile("p\\f" + std::to_string(i) + ".asm", kMarch5 + i);
    Scan("C:\\p");
    EXPECT_EQ(appState.foundCount, 300u);
    EXPECT_EQ(nativeScanFeedback.steps, 19u) << "files 1, 17, ... 289";
    EXPECT_EQ(nativeScanFeedback.statusUpdates, 1u) << "only the 255th of 300";
    const std::string status = nativeScanFeedback.lastStatus.data();
    EXPECT_TRUE(status.starts_with("C:\\p\\f") && status.ends_with(".asm")) << status;
}

TEST_F(FolderScanTest, FailedTimeConversionGivesZeroTimeNotThePreviousFilesTime)
{
    MakeFile("p\\good.asm", kMarch5);
    MakeFile("p\\bad.asm", kMarch10);
    NativeSetTimeConversionLimit(NativeFileTimeOf(kMarch5, 0));
    Scan("C:\\p");
    const auto lines = StoreLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "000000 0 0:00:00,bad.asm, 0/00/0000, 0:00:00,C:\\p\\bad.asm");
    EXPECT_EQ(lines[1], "202603 5 9:05:07,good.asm, 5/03/2026, 9:05:07,C:\\p\\good.asm");
}

TEST_F(FolderScanTest, CommaInAFileNameKeepsNameAndPathWhole)
{
    MakeFile("a, b\\x,y.asm", kMarch5);
    Scan("C:\\a, b");
    const auto lines = StoreLines();
    ASSERT_EQ(lines.size(), 1u);
    SourceEntryFields f;
    ASSERT_TRUE(SplitSourceEntry(lines[0], &f));
    EXPECT_EQ(f.filename, "x,y.asm");
    EXPECT_EQ(f.path, "C:\\a, b\\x,y.asm");
}

// "C:\" and a 253-character name make a 256-character folder, the longest that is walked.
TEST_F(FolderScanTest, SubFoldersPastTheFolderLimitAreSkipped)
{
    const std::string longest(253, 'w');
    const std::string tooLong(254, 's');
    const std::string name255 = std::string(251, 'n') + ".asm";
    MakeFile(longest + "\\" + name255, kMarch5);
    MakeFile(tooLong + "\\skipped.asm", kMarch5);
    Scan("C:\\");
    const auto lines = StoreLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), kEntryCapacity - 1) << "a 256-character folder and a 255-character name";
    SourceEntryFields f;
    ASSERT_TRUE(SplitSourceEntry(lines[0], &f));
    EXPECT_EQ(f.path, "C:\\" + longest + "\\" + name255);
}

TEST_F(FolderScanTest, StartFolderIsCutTo256Characters)
{
    const std::string folder256 = "C:\\" + std::string(253, 'w');
    MakeFile(std::string(253, 'w') + "\\a.asm", kMarch5);
    std::array<char, 400> buffer{};
    CopyText(buffer, folder256 + "\\extra-that-is-cut");
    FolderScan(buffer);
    EXPECT_EQ(TextView(buffer), folder256);
    EXPECT_EQ(Paths(StoreLines()), std::vector<std::string>{folder256 + "\\a.asm"});
}

// Host names are UTF-8 and the native code page is Latin-1, with no short names: a letter outside
// it is '?' in Filename and Path (so the Path names no file), and its folder is still walked.
TEST_F(FolderScanTest, NamesOutsideTheCodePageShowQuestionMarksAndTheirFoldersAreWalked)
{
    MakeFile("p\\caf\xc3\xa9.asm", kMarch5);
    MakeFile("p\\\xce\xa9mega.asm", kMarch5);
    MakeFile("p\\\xd0\xb4\xd0\xb0\xd0\xbd\xd0\xbd\xd1\x8b\xd0\xb5\\inner.asm", kMarch10);
    Scan("C:\\p");
    std::vector<std::pair<std::string, std::string>> seen;
    for (const std::string& line : StoreLines()) {
        SourceEntryFields f;
        ASSERT_TRUE(SplitSourceEntry(line, &f)) << line;
        seen.emplace_back(f.filename, f.path);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                        {"?mega.asm", "C:\\p\\?mega.asm"},
                        {"caf\xe9.asm", "C:\\p\\caf\xe9.asm"},
                        {"inner.asm", "C:\\p\\??????\\inner.asm"},
                    }));
}

// p\loop\back leads to p and x\y\up to x, both folders on the path: neither is walked again. The
// link p\l leads to x\y, off the path, so it is walked; below it, up leads to x (off that path) and
// x's own y is l again, which is where that walk stops.
TEST_F(FolderScanTest, FoldersOnThePathAreNotWalkedAgainThroughLinks)
{
    MakeFile("p\\a.asm", kMarch5);
    MakeFile("p\\loop\\b.asm", kMarch5);
    MakeFile("p\\x\\y\\d.asm", kMarch5);
    MakeFile("outside\\c.asm", kMarch5);
    std::filesystem::create_directory_symlink("..", HostPath("p\\loop\\back"));
    std::filesystem::create_directory_symlink("..", HostPath("p\\x\\y\\up"));
    std::filesystem::create_directory_symlink("x/y", HostPath("p\\l"));
    std::filesystem::create_directory_symlink("../outside", HostPath("p\\linked"));
    Scan("C:\\p");
    auto paths = Paths(StoreLines());
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\p\\a.asm", "C:\\p\\l\\d.asm", "C:\\p\\linked\\c.asm",
                                               "C:\\p\\loop\\b.asm", "C:\\p\\x\\y\\d.asm"}));
}

}  // namespace

namespace {

TEST_F(FolderScanTest, AStopRequestEndsTheWalkBeforeTheNextEntry)
{
    MakeFile("p\\a.asm", kMarch5);
    MakeFile("p\\sub\\b.asm", kMarch5);
    StoreAdd("kept");
    appState.scanStopRequested = 1;
    Scan("C:\\p");
    EXPECT_EQ(appState.foundCount, 0u);
    EXPECT_EQ(StoreLines(), std::vector<std::string>{"kept"});
}

}  // namespace
