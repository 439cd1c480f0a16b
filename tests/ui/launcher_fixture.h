// One case, one package: a folder of its own in the prefix's drive C: with the launcher (and the
// stand-ins, unless the case leaves them out), a source tree with set times, and the stand-in log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_driver.h"

namespace ui {

// The launcher's window caption, also the caption of its message boxes.
inline constexpr char kTitle[] = "Choose Assembler File to Edit";

// Command ids of the launcher's menu and button.
inline constexpr WPARAM kNewProjectCommand = 5001;
inline constexpr WPARAM kOpenCommand = 5002;
inline constexpr WPARAM kNewFolderCommand = 5003;
inline constexpr WPARAM kExitCommand = 5007;
inline constexpr WPARAM kShowAllCommand = 303;
inline constexpr int kNewProjectButtonId = 500;
inline constexpr int kStatusLineId = 599;
inline constexpr int kStoreListId = 600;
inline constexpr int kMessageTextId = 0xFFFF;

// Waits: a program start, a scan of a small tree, a dialog.
inline constexpr DWORD kStartTimeoutMs = 15000;
inline constexpr DWORD kScanTimeoutMs = 30000;
inline constexpr DWORD kDialogTimeoutMs = 10000;

struct Source {
    std::string name;
    std::string path;
    LocalTime time;
};

class LauncherCase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The case's own folder, and the launcher's folder inside it.
    const std::string& root() const { return root_; }
    const std::string& package() const { return package_; }
    const std::string& logPath() const { return log_; }

    // Copies the launcher (and, with withEditor, the stand-ins) into folder.
    ::testing::AssertionResult InstallPrograms(const std::string& folder, bool withEditor);
    // Writes a file at folder\relativePath with the given time; a source (by name) is remembered
    // in sources() when remember is set.
    ::testing::AssertionResult AddFile(const std::string& folder, const std::string& relativePath,
                                       const LocalTime& time, bool remember = true);
    const std::vector<Source>& sources() const { return sources_; }
    void ForgetSources() { sources_.clear(); }
    // The remembered sources, newest first, as the list should show them (at most limit rows).
    std::vector<Row> ExpectedRows(std::size_t limit) const;

    // Starts folder\trawlbeck.exe and waits for its main window in main_.
    ::testing::AssertionResult StartLauncher(const std::string& folder);
    // Waits until no scan runs and the results list shows count rows (or, with -1, any rows).
    ::testing::AssertionResult WaitForList(int count, DWORD timeoutMs = kScanTimeoutMs);
    // Waits for the editor's one start with this tail, shown maximised, and for the launcher's end
    // with exit code 0.
    ::testing::AssertionResult ExpectEditorStartedAndLauncherEnded(const std::string& tail);
    // Waits for the launcher's end with exit code 0 and checks that no stand-in was started.
    ::testing::AssertionResult ExpectLauncherEndedAlone();
    // A visible dialog of the launcher with this caption (any caption when null).
    ::testing::AssertionResult WaitForDialog(const char* caption, HWND* dialog);

    // Creates C:\tolvaric for this case; false (with reason) when it exists already.
    ::testing::AssertionResult MakeTolvaric();

    LauncherProcess launcher_;
    HWND main_ = nullptr;
    HWND list_ = nullptr;

private:
    std::string root_;
    std::string package_;
    std::string log_;
    std::vector<Source> sources_;
    bool madeTolvaric_ = false;
};

// The child's place in its parent's client area, or the top-level window's on the screen.
::testing::AssertionResult PlacedAt(HWND window, int x, int y, int width, int height);

// Every column of every row, in order.
::testing::AssertionResult SameRows(const std::vector<Row>& expected, const std::vector<Row>& seen);

// Rows as text, for failure messages.
std::string Describe(const std::vector<Row>& rows, std::size_t limit = 8);
std::string Describe(const std::vector<StandinCall>& calls);

}  // namespace ui
