// The walk over real folders through the real Kernel calls, into the real sorted list box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/folder_scan.h"
#include "catalogue/scan_feedback.h"
#include "catalogue/source_entry.h"
#include "wine_tree.h"

namespace {

using FolderScanWineTest = WineTreeTest;

std::string PathField(const std::string& line)
{
    SourceEntryFields fields;
    EXPECT_TRUE(SplitSourceEntry(line, &fields)) << line;
    return std::string(fields.path);
}

// What the platform says makes a file itself; false when the path opens nothing.
bool FileIdentity(HANDLE file, BY_HANDLE_FILE_INFORMATION* information)
{
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool known = GetFileInformationByHandle(file, information) != 0;
    CloseHandle(file);
    return known;
}

// True when the ANSI path opens the very file of the wide one.
bool OpensTheFile(const std::string& path, const std::wstring& widePath)
{
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    BY_HANDLE_FILE_INFORMATION opened, wanted;
    return FileIdentity(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr),
                        &opened) &&
           FileIdentity(CreateFileW(widePath.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr),
                        &wanted) &&
           opened.dwVolumeSerialNumber == wanted.dwVolumeSerialNumber &&
           opened.nFileIndexHigh == wanted.nFileIndexHigh && opened.nFileIndexLow == wanted.nFileIndexLow;
}

// The tests read local time as UTC: the session runs Wine with TZ=UTC.
TEST_F(FolderScanWineTest, LocalTimeIsUtcAndFileTimesReadBackExactly)
{
    TIME_ZONE_INFORMATION zone;
    const DWORD zoneId = GetTimeZoneInformation(&zone);
    ASSERT_NE(zoneId, TIME_ZONE_ID_INVALID);
    EXPECT_EQ(zone.Bias, 0) << "Wine did not take TZ=UTC";
    EXPECT_EQ(zoneId == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias, 0);

    // 100 ns past 9:05:07.999 on 5 March 2026.
    FILETIME written = UtcFileTime(2026, 3, 5, 9, 5, 7, 999);
    written.dwLowDateTime += 1;
    MakeFile(Path("t.asm"), written);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(Path("t.asm").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(CompareFileTime(&found.ftLastWriteTime, &written), 0)
        << "set " << written.dwHighDateTime << ":" << written.dwLowDateTime << ", read back "
        << found.ftLastWriteTime.dwHighDateTime << ":" << found.ftLastWriteTime.dwLowDateTime;
    FILETIME local;
    ASSERT_TRUE(FileTimeToLocalFileTime(&written, &local));
    EXPECT_EQ(CompareFileTime(&local, &written), 0) << "local time is not UTC";
}

// Times cut (never rounded) to the second, space-padded days and hours, sources found in a folder
// Wine marks hidden and in a folder named like a source, and every name that is not a source skipped.
TEST_F(FolderScanWineTest, WalksARealTreeIntoGoldenLines)
{
    MakeFolder(Path("src"));
    MakeFile(Path("src\\demo.asm"), UtcFileTime(2026, 3, 5, 9, 5, 7, 999));
    MakeFile(Path("src\\x.Rc"), UtcFileTime(2026, 3, 10, 14, 30, 0));
    MakeFolder(Path("src\\sub"));
    MakeFile(Path("src\\sub\\a.INC"), UtcFileTime(2025, 12, 31, 23, 59, 59));
    MakeFolder(Path("src\\lib.asm"));
    MakeFile(Path("src\\lib.asm\\inner.asm"), UtcFileTime(2026, 1, 1, 0, 0, 0));
    MakeFolder(Path("src\\.hidden"));
    MakeFile(Path("src\\.hidden\\h.asm"), UtcFileTime(2026, 3, 5, 9, 5, 7));
    MakeFolder(Path("src\\..odd"));
    MakeFile(Path("src\\..odd\\never.asm"), UtcFileTime(2026, 3, 5, 9, 5, 7));
    for (const char* skipped : {"..never.asm", "demo.asm.bak", "demo.as", "notes.txt", "asm"})
        MakeFile(Path("src\\") + skipped, UtcFileTime(2026, 3, 5, 9, 5, 7));
    const DWORD hidden = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_EQ(GetFileAttributesA(Path("src\\.hidden").c_str()) & hidden, hidden) << "Wine marks dot folders hidden";

    Scan(Path("src"));

    const std::string src = Path("src\\");
    EXPECT_EQ(StoreLines(), (std::vector<std::string>{
                                "2025123123:59:59,a.INC,31/12/2025,23:59:59," + src + "sub\\a.INC",
                                "202601 1 0:00:00,inner.asm, 1/01/2026, 0:00:00," + src + "lib.asm\\inner.asm",
                                "202603 5 9:05:07,demo.asm, 5/03/2026, 9:05:07," + src + "demo.asm",
                                "202603 5 9:05:07,h.asm, 5/03/2026, 9:05:07," + src + ".hidden\\h.asm",
                                "2026031014:30:00,x.Rc,10/03/2026,14:30:00," + src + "x.Rc",
                            }));
    EXPECT_EQ(appState.foundCount, 5u);
}

TEST_F(FolderScanWineTest, StartFolderWithTrailingBackslashGivesSingleBackslashPaths)
{
    MakeFolder(Path("src"));
    MakeFile(Path("src\\top.asm"), UtcFileTime(2026, 3, 5, 9, 5, 7));
    MakeFolder(Path("src\\sub"));
    MakeFile(Path("src\\sub\\deep.inc"), UtcFileTime(2026, 3, 10, 14, 30, 0));
    Scan(Path("src\\"));
    const auto lines = StoreLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(PathField(lines[0]), Path("src\\top.asm"));
    EXPECT_EQ(PathField(lines[1]), Path("src\\sub\\deep.inc"));
}

// A 256-character folder is the longest walked; a 255-character name in it makes a 512-character
// Path, and the list box keeps the whole 805-character line.
TEST_F(FolderScanWineTest, FolderLimitAndTheLongestLine)
{
    const std::string longest(kFolderLimit - root_.size() - 1, 'w');
    const std::string tooLong(longest.size() + 1, 's');
    const std::string name255 = std::string(kNameLimit - 4, 'n') + ".asm";
    MakeFolder(Path(longest));
    MakeFile(Path(longest + "\\" + name255), UtcFileTime(2026, 3, 5, 9, 5, 7));
    MakeFolder(Path(tooLong));
    MakeFile(Path(tooLong + "\\skipped.asm"), UtcFileTime(2026, 3, 5, 9, 5, 7));
    ASSERT_EQ(Path(longest).size(), kFolderLimit);

    Scan(root_);

    const auto lines = StoreLines();
    ASSERT_EQ(lines.size(), 1u) << "the folder past the limit is not walked";
    EXPECT_EQ(lines[0].size(), kEntryCapacity - 1);
    EXPECT_EQ(SendMessageA(appState.storeList, LB_GETTEXTLEN, 0, 0), static_cast<LRESULT>(kEntryCapacity - 1));
    SourceEntryFields fields;
    ASSERT_TRUE(SplitSourceEntry(lines[0], &fields));
    EXPECT_EQ(fields.filename, name255);
    EXPECT_EQ(fields.path, Path(longest + "\\" + name255));
    EXPECT_EQ(fields.path.size(), kEntryPathLimit);
}

TEST_F(FolderScanWineTest, CommasInFolderAndFileNamesKeepNameAndPathWhole)
{
    MakeFolder(Path("a, b"));
    MakeFile(Path("a, b\\x,y.asm"), UtcFileTime(2026, 3, 5, 9, 5, 7));
    Scan(Path("a, b"));
    const auto lines = StoreLines();
    ASSERT_EQ(lines.size(), 1u);
    SourceEntryFields fields;
    ASSERT_TRUE(SplitSourceEntry(lines[0], &fields));
    EXPECT_EQ(fields.filename, "x,y.asm");
    EXPECT_EQ(fields.date, " 5/03/2026");
    EXPECT_EQ(fields.time, " 9:05:07");
    EXPECT_EQ(fields.path, Path("a, b\\x,y.asm"));
}

// Code page 1252: each name is listed once, shown with '?' for each letter the code page cannot
// hold (never the best-fit look-alike), and its Path, through the short names Wine gives, opens
// exactly that file; a folder with such a name is walked.
TEST_F(FolderScanWineTest, NamesOutsideTheCodePageAreListedOnceAndTheirPathsOpenThem)
{
    struct NameCase {
        std::wstring relative;
        std::string shown;
    };
    const std::vector<NameCase> cases = {
        {L"\x0444\x0430\x0439\x043b.asm", "????.asm"},
        {L"\x0434\x0430\x043d\x043d\x044b\x0435\\inner.asm", "inner.asm"},
        {L"\x0101" L"bc.asm", "?bc.asm"},
        {L"abc.asm", "abc.asm"},
        {L"\x03a9mega.asm", "?mega.asm"},
        {L"caf\x00e9.asm", "caf\xe9.asm"},
    };
    ASSERT_EQ(GetACP(), 1252u);
    MakeFolder(Path(std::wstring(L"\x0434\x0430\x043d\x043d\x044b\x0435")));
    for (const NameCase& c : cases)
        MakeFile(Path(c.relative), UtcFileTime(2026, 3, 5, 9, 5, 7));

    Scan(root_);

    const auto lines = StoreLines();
    EXPECT_EQ(lines.size(), cases.size());
    for (const NameCase& c : cases) {
        const auto listed = std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            SourceEntryFields fields;
            return SplitSourceEntry(line, &fields) && fields.filename == c.shown &&
                   OpensTheFile(std::string(fields.path), Path(c.relative));
        });
        EXPECT_EQ(listed, 1) << "rows shown as " << c.shown << " whose Path opens that file";
    }
}

// Host-made links (loop_tree.sh, on drive E:): tree\loop\back leads back to tree and is not walked
// again; tree\linked leads beside the tree and is walked.
TEST_F(FolderScanWineTest, AFolderOnThePathIsNotWalkedAgainThroughALink)
{
    const std::string tree = "E:\\links\\tree";
    ASSERT_EQ(GetFileAttributesA((tree + "\\loop\\back").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
              static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT))
        << "expected the host's link to show as a reparse point";
    Scan(tree);
    std::vector<std::string> paths;
    for (const std::string& line : StoreLines())
        paths.push_back(PathField(line));
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{tree + "\\a.asm", tree + "\\linked\\c.asm", tree + "\\loop\\b.asm"}));
}

// The real progress bar and status line, set up as the scan worker sets them up: one step per 16
// sources, and the path of the 255th source shown.
TEST_F(FolderScanWineTest, FeedbackReachesTheRealControls)
{
    InitCommonControls();
    appState.progressBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 300, 20, owner_,
                                           reinterpret_cast<HMENU>(1), nullptr, nullptr);
    appState.statusLine = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 300, 20, owner_,
                                          reinterpret_cast<HMENU>(599), nullptr, nullptr);
    ASSERT_NE(appState.progressBar, nullptr);
    ASSERT_NE(appState.statusLine, nullptr);
    SendMessageA(appState.progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
    SendMessageA(appState.progressBar, PBM_SETSTEP, 10, 0);

    MakeFolder(Path("many"));
    for (int i = 0; i < 255; ++i)
        MakeFile(Path("many\\f" + std::to_string(i) + ".asm"), UtcFileTime(2026, 3, 5, 9, 5, 7));
    Scan(Path("many"));
    ASSERT_EQ(appState.foundCount, 255u);
    EXPECT_EQ(SendMessageA(appState.progressBar, PBM_GETPOS, 0, 0), 160) << "files 1, 17, ... 241";
    char status[kEntryCapacity] = {};
    GetWindowTextA(appState.statusLine, status, sizeof status);
    bool shownIsAStoredPath = false;
    for (const std::string& line : StoreLines())
        shownIsAStoredPath = shownIsAStoredPath || PathField(line) == status;
    EXPECT_TRUE(shownIsAStoredPath) << "status line: '" << status << "'";
}

// Whether the walk on a worker thread ended with both controls, its own, on the main window.
bool controlsMadeByTheWalk = false;

DWORD WINAPI ScanAndLookAtTheControls(void* folder)
{
    FolderScan(*static_cast<PathText*>(folder));
    controlsMadeByTheWalk = true;
    for (HWND control : {appState.progressBar, appState.statusLine})
        controlsMadeByTheWalk = controlsMadeByTheWalk && IsWindow(control) &&
                                GetParent(control) == appState.mainWindow &&
                                GetWindowThreadProcessId(control, nullptr) == GetCurrentThreadId();
    return 0;
}

// The walk makes its controls when their first paint is due, at a folder as at a step, so a walk
// through folders without sources shows them too; a walk that ends sooner makes none.
TEST_F(FolderScanWineTest, FeedbackControlsAreMadeByTheWalkWhenTheirFirstPaintIsDue)
{
    InitCommonControls();
    MakeFolder(Path("no sources"));
    PathText folder{};
    ASSERT_TRUE(CopyText(folder, root_));
    for (const DWORD sincePaint : {0u, 1000u}) {
        appState.progressBar = appState.statusLine = nullptr;
        appState.feedbackPaintedAt = GetTickCount() - sincePaint;
        RunOnWorker(ScanAndLookAtTheControls, &folder);
        EXPECT_EQ(controlsMadeByTheWalk, sincePaint > 0) << sincePaint << " ms since the last paint";
    }
}

// Steps taken between paints reach the bar later, in fewer messages: past the maximum too, the
// bar must end where the platform's own step takes it.
TEST_F(FolderScanWineTest, StepsGivenLaterEndWhereThePlatformsStepsEnd)
{
    InitCommonControls();
    HWND ownSteps = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 300, 20, owner_, nullptr, nullptr, nullptr);
    appState.progressBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 300, 20, owner_, nullptr, nullptr, nullptr);
    ASSERT_NE(ownSteps, nullptr);
    ASSERT_NE(appState.progressBar, nullptr);
    for (HWND bar : {ownSteps, appState.progressBar}) {
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
        SendMessageA(bar, PBM_SETSTEP, 10, 0);
    }
    appState.foundCount = 2;  // no paint is due: every step waits
    for (int step = 1; step <= 203; ++step) {
        appState.feedbackPaintedAt = GetTickCount();
        ScanStepProgress();
        SendMessageA(ownSteps, PBM_STEPIT, 0, 0);
    }
    ScanFeedbackSettle();
    EXPECT_EQ(SendMessageA(appState.progressBar, PBM_GETPOS, 0, 0), SendMessageA(ownSteps, PBM_GETPOS, 0, 0))
        << "after 203 steps, twice past the maximum";
    DestroyWindow(ownSteps);
}

}  // namespace
