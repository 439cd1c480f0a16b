// New Folder: the folder browser, the rescan it starts, and a choice made while a scan still runs.
#include "launcher_fixture.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace ui {
namespace {

constexpr LocalTime kBase = {2026, 1, 14, 8, 30, 15};
constexpr char kBrowserCaption[] = "Select Folder with Source Files";

class LauncherFolder : public LauncherCase {
protected:
    // Chooses folder in the launcher's folder browser (New Folder) and presses OK.
    ::testing::AssertionResult ChooseFolder(const std::string& folder)
    {
        PostMessageA(main_, WM_COMMAND, kNewFolderCommand, 0);
        return ChooseFolderInBrowser(folder);
    }

    // Chooses folder in the folder browser the launcher shows, and presses OK.
    ::testing::AssertionResult ChooseFolderInBrowser(const std::string& folder)
    {
        HWND browser = nullptr;
        ::testing::AssertionResult shown = WaitForDialog(kBrowserCaption, &browser);
        if (!shown)
            return shown;
        std::string error;
        if (!SelectInFolderBrowser(launcher_.process(), browser, folder, &error))
            return ::testing::AssertionFailure() << error;
        const HWND ok = GetDlgItem(browser, IDOK);
        if (!ok)
            return ::testing::AssertionFailure() << "expected an OK button in the folder browser";
        if (beforeOk_)
            beforeOk_();
        SendMessageA(ok, BM_CLICK, 0, 0);
        if (!WaitUntil([&] { return !IsWindow(browser); }, kDialogTimeoutMs))
            return ::testing::AssertionFailure() << "expected the folder browser to close on OK";
        return ::testing::AssertionSuccess();
    }

    // Runs just before OK is pressed in the folder browser.
    std::function<void()> beforeOk_;
};

// The chosen folder's sources replace the list.
TEST_F(LauncherFolder, NewFolderListsTheChosenFoldersSources)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(AddFile(package(), "src\\p" + std::to_string(i) + ".asm", AddSeconds(kBase, i * 600)));
    ForgetSources();
    const std::string other = root() + "\\other sources";
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(AddFile(other, "lib\\q" + std::to_string(i) + ".inc", AddSeconds(kBase, -i * 7200)));

    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(20));
    ASSERT_TRUE(ChooseFolder(other));
    ASSERT_TRUE(WaitForList(7));
    EXPECT_TRUE(SameRows(ExpectedRows(100), ReadRows(launcher_.process(), list_)));
}

// The scan's lines reach the store in batches of 256: without a row limit the list shows every
// line the store holds when the scan's end is handled, so a last batch that came late would be missing.
TEST_F(LauncherFolder, AfterShowAllARescanListsEverySource)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "p.asm", kBase));
    ForgetSources();
    const std::string other = root() + "\\many";
    constexpr int kSources = 300;
    for (int i = 0; i < kSources; ++i)
        ASSERT_TRUE(AddFile(other, "d" + std::to_string(i % 7) + "\\m" + std::to_string(i) + ".asm",
                            AddSeconds(kBase, i * 61)));

    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(1));
    PostMessageA(main_, WM_COMMAND, kShowAllCommand, 0);
    ASSERT_TRUE(ChooseFolder(other));
    ASSERT_TRUE(WaitForList(kSources));
    EXPECT_TRUE(SameRows(ExpectedRows(kSources), ReadRows(launcher_.process(), list_)));
}

// The list reads its rows from the store, which a rescan empties and refills: while the rescan runs
// it shows the first folder's rows until the store lets go of them, then none, never a half-made store.
TEST_F(LauncherFolder, ARescanShowsNoRowOfTheStoreItRefills)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(AddFile(package(), "a" + std::to_string(i) + ".asm", AddSeconds(kBase, i * 60)));
    const std::vector<Row> first = ExpectedRows(30);
    const std::string other = root() + "\\refill";
    // Empty folders make the rescan last: each costs the walk more than a file, and is quicker to make,
    // a hundred to a folder (a new name costs Wine a look through its folder's names).
    for (int i = 0; i < 8000; ++i) {
        const std::string folder = "g" + std::to_string(i / 100) + "\\e" + std::to_string(i);
        ASSERT_TRUE(i % 20 ? MakeFolders(other + "\\" + folder)
                           : AddFile(other, folder + "\\r.inc", AddSeconds(kBase, 2000 + i)));
    }

    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(30));
    ASSERT_TRUE(ChooseFolder(other));
    ASSERT_TRUE(WaitUntil([&] { return FindProgressBar(main_) != nullptr; }, kStartTimeoutMs))
        << "expected the rescan's progress bar";
    while (FindProgressBar(main_) != nullptr) {
        const std::vector<Row> seen = ReadRows(launcher_.process(), list_);
        // Rows read whole while the scan still ran, the count unchanged meanwhile.
        if (!seen.empty() && FindProgressBar(main_) && static_cast<int>(seen.size()) == RowCount(list_)) {
            ASSERT_TRUE(SameRows(first, seen)) << "during the rescan";
        }
    }
}

// A rescan that finds nothing prompts even after a first scan with results; Cancel keeps the rows.
TEST_F(LauncherFolder, NewFolderWithoutSourcesPromptsAndCancelKeepsTheRows)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(AddFile(package(), "p" + std::to_string(i) + ".asm", AddSeconds(kBase, i * 60)));
    const std::string empty = root() + "\\nothing here";
    ASSERT_TRUE(AddFile(empty, "notes.txt", kBase, false));

    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(5));
    ASSERT_TRUE(ChooseFolder(empty));
    HWND prompt = nullptr;
    ASSERT_TRUE(WaitForDialog(kTitle, &prompt));
    EXPECT_EQ(Shown(WindowText(GetDlgItem(prompt, kMessageTextId))),
              Shown("No source files were found.\r\nPress OK to select another folder, or\r\n"
                    "Cancel to use existing search results."));
    SendMessageA(GetDlgItem(prompt, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return FindDialog(launcher_.id(), nullptr) == nullptr; }, kDialogTimeoutMs))
        << "expected the prompt to close after Cancel";
    ASSERT_TRUE(WaitForList(5));
    EXPECT_TRUE(SameRows(ExpectedRows(100), ReadRows(launcher_.process(), list_)));
    // The store kept its lines too: the rescan found nothing to empty it with.
    PostMessageA(main_, WM_COMMAND, kShowAllCommand, 0);
    ASSERT_TRUE(WaitForList(5));
    EXPECT_TRUE(SameRows(ExpectedRows(100), ReadRows(launcher_.process(), list_))) << "after Show All";

    // The window's close command ends the launcher like Exit.
    PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(ExpectLauncherEndedAlone()) << "after the close command";
}

// OK on the prompt of a first scan that found nothing opens the folder browser; the folder
// chosen there is scanned and listed.
TEST_F(LauncherFolder, NoSourcesPromptOkChoosesAnotherFolder)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "readme.txt", kBase, false));
    const std::string other = root() + "\\sources";
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(AddFile(other, "k" + std::to_string(i) + ".inc", AddSeconds(kBase, i * 90)));

    ASSERT_TRUE(StartLauncher(package()));
    HWND prompt = nullptr;
    ASSERT_TRUE(WaitForDialog(kTitle, &prompt));
    SendMessageA(GetDlgItem(prompt, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(ChooseFolderInBrowser(other));
    ASSERT_TRUE(WaitForList(4));
    EXPECT_TRUE(SameRows(ExpectedRows(100), ReadRows(launcher_.process(), list_)));
}

// Open and New Folder cancelled: no editor, no scan, the same rows, the launcher still open.
TEST_F(LauncherFolder, CancelledDialogsLeaveTheListAsItWas)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(AddFile(package(), "c" + std::to_string(i) + ".asm", AddSeconds(kBase, i * 60)));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(6));

    struct Cancelled {
        WPARAM command;
        const char* caption;
    };
    for (const Cancelled& dialog : {Cancelled{kOpenCommand, nullptr}, Cancelled{kNewFolderCommand, kBrowserCaption}}) {
        PostMessageA(main_, WM_COMMAND, dialog.command, 0);
        HWND shown = nullptr;
        ASSERT_TRUE(WaitForDialog(dialog.caption, &shown)) << "command " << dialog.command;
        SendMessageA(GetDlgItem(shown, IDCANCEL), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(shown); }, kDialogTimeoutMs))
            << "expected the dialog of command " << dialog.command << " to close on Cancel";
        ASSERT_TRUE(launcher_.Running()) << "expected the launcher to stay open after cancelling command "
                                         << dialog.command;
        EXPECT_EQ(FindProgressBar(main_), nullptr) << "expected no scan after cancelling command " << dialog.command;
        EXPECT_TRUE(SameRows(ExpectedRows(100), ReadRows(launcher_.process(), list_)))
            << "after cancelling command " << dialog.command;
    }
    PostMessageA(main_, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(ExpectLauncherEndedAlone());
}

// Counts the progress bars on the main window from a thread of the test until stopped.
class ProgressWatch {
public:
    explicit ProgressWatch(HWND main)
        : thread_([this, main] {
              while (!stop_) {
                  const std::size_t bars = FindDescendants(main, "msctls_progress32", -1).size();
                  if (bars > most_)
                      most_ = bars;
                  Sleep(2);
              }
          })
    {
    }
    ~ProgressWatch() { Stop(); }
    void Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    std::size_t most() const { return most_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> most_{0};
    std::thread thread_;
};

// New Folder while the first scan still runs: never two scans at once, and only the new folder's
// sources in the end. Exit during a scan ends the launcher.
TEST_F(LauncherFolder, NewFolderWhileAScanRunsEndsWithOnlyTheNewFoldersSources)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    // Enough sources and folders that the first scan is still running when the browser's OK is
    // pressed, about a second after it started: a folder costs the walk several times what a file
    // does, and is quicker to make.
    constexpr int kFolders = 80;
    constexpr int kPerFolder = 50;
    constexpr int kEmptyFolders = 9000;
    for (int f = 0; f < kFolders; ++f)
        for (int i = 0; i < kPerFolder; ++i)
            ASSERT_TRUE(AddFile(package(), "big\\d" + std::to_string(f) + "\\s" + std::to_string(i) + ".asm",
                                AddSeconds(kBase, f * kPerFolder + i), false));
    for (int f = 0; f < kEmptyFolders; ++f)
        ASSERT_TRUE(MakeFolders(package() + "\\big\\g" + std::to_string(f / 100) + "\\e" + std::to_string(f)));
    const std::string other = root() + "\\other";
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(AddFile(other, "n" + std::to_string(i) + ".rc", AddSeconds(kBase, -i * 3600)));

    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitUntil([&] { return FindProgressBar(main_) != nullptr; }, kStartTimeoutMs))
        << "expected the first scan's progress bar (control id 1)";
    ProgressWatch watch(main_);
    bool scanRanAtOk = false;
    beforeOk_ = [&] { scanRanAtOk = FindProgressBar(main_) != nullptr; };
    ASSERT_TRUE(ChooseFolder(other));
    ASSERT_TRUE(scanRanAtOk) << "expected the first scan to be still running when OK was pressed; it had ended, so "
                                "the case did not test a choice made during a scan (make the tree bigger)";
    ASSERT_TRUE(WaitForList(9));
    watch.Stop();
    EXPECT_LE(watch.most(), 1u) << "expected at most one progress bar at any time; saw " << watch.most() << " at once";
    EXPECT_TRUE(SameRows(ExpectedRows(100), ReadRows(launcher_.process(), list_)))
        << "expected only the 9 sources of " << other;
    PostMessageA(main_, WM_COMMAND, kExitCommand, 0);
    ASSERT_TRUE(ExpectLauncherEndedAlone()) << "Exit after the rescan";

    // The same big tree again: the scan's feedback, and Exit while the scan runs.
    ASSERT_TRUE(StartLauncher(package()));
    HWND bar = nullptr;
    HWND status = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            bar = FindProgressBar(main_);
            status = GetDlgItem(main_, kStatusLineId);
            return bar && status;
        },
        kStartTimeoutMs))
        << "expected the scan's progress bar (control id 1) and status line (control id 599); saw "
        << (bar ? "the bar" : "no bar") << " and " << (status ? "the status line" : "no status line");
    EXPECT_EQ(ClassName(status), "Static");
    EXPECT_TRUE(PlacedAt(bar, 100, 180, 300, 20)) << "the progress bar";
    EXPECT_TRUE(PlacedAt(status, 100, 210, 300, 20)) << "the status line";
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 1000) << "the progress bar's maximum";
    EXPECT_EQ(SendMessageA(bar, PBM_GETSTEP, 0, 0), 10) << "the progress bar's step";
    // The 255th source found puts its full path in the status line.
    std::string shown;
    EXPECT_TRUE(WaitUntil(
        [&] {
            shown = WindowText(status);
            return !shown.empty() || !FindProgressBar(main_);
        },
        kScanTimeoutMs))
        << "expected the status line to get a text while the scan runs";
    EXPECT_TRUE(shown.starts_with(package() + "\\big\\d") && shown.ends_with(".asm") && PathExists(shown))
        << "expected the status line to show the full path of a source of the tree; saw " << Shown(shown);
    ASSERT_NE(FindProgressBar(main_), nullptr) << "expected the scan to be still running before Exit (make the tree bigger)";
    PostMessageA(main_, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(ExpectLauncherEndedAlone()) << "Exit while a scan runs";
}

}  // namespace
}  // namespace ui
