// The help screen in the results list's place, with the menus and the button locked, and the
// About box.
#include "launcher_fixture.h"

#include <winver.h>

namespace ui {
namespace {

constexpr LocalTime kBase = {2026, 2, 2, 12, 0, 0};
constexpr WPARAM kAboutCommand = 5401;
constexpr WPARAM kHelpCommand = 5402;
constexpr int kHelpListId = 602;
constexpr int kFileMenuX = 15;  // inside "File", the first item of the menu bar
constexpr COLORREF kHelpColour = RGB(197, 255, 215);

// The help lines in the sorted list's order: the empty line first.
const std::vector<std::string> kSortedHelpLines = {
    "",
    "       Esc key will cancel the program.",
    "       File/Exit will cancel the program.",
    "       File/NewFolder will allow th user to select a folder to search and display.",
    "       File/NewProject will go straight to Vantrel.",
    "       File/Open will alow you to choose a file to edit.",
    "       Left Double Click on an item to launch Vantrel.",
    "       Press New Project Button to go straight to Vantrel.",
    "       Right Click to activate pop-up menu.",
};

std::string Describe(const std::vector<std::string>& lines)
{
    std::string text = std::to_string(lines.size()) + " lines";
    for (const std::string& line : lines)
        text += "\n  " + Shown(line);
    return text;
}

COLORREF ScreenColour(HWND window, POINT at)
{
    ClientToScreen(window, &at);
    const HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// "major.minor.build.revision" of the file version in exe's VERSIONINFO, or an empty text.
std::string FileVersion(const std::string& exe)
{
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeA(exe.c_str(), &ignored), '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (block.empty() || !GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
        return {};
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

class LauncherHelp : public LauncherCase {
protected:
    HWND HelpList() const { return GetDlgItem(main_, kHelpListId); }

    // Help mode: the help list alone in the list's place, the button disabled.
    ::testing::AssertionResult InHelpMode()
    {
        const auto helpShown = [&] { return HelpList() && IsWindowVisible(HelpList()); };
        const auto resultsHidden = [&] { return !FindResultsList(main_) || !IsWindowVisible(FindResultsList(main_)); };
        const auto buttonDisabled = [&] { return !IsWindowEnabled(GetDlgItem(main_, kNewProjectButtonId)); };
        if (WaitUntil([&] { return helpShown() && resultsHidden() && buttonDisabled(); }, kDialogTimeoutMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "expected help mode: help list " << (helpShown() ? "shown" : "not shown")
                                             << ", results list " << (resultsHidden() ? "hidden or absent" : "shown")
                                             << ", button " << (buttonDisabled() ? "disabled" : "enabled");
    }

    // List mode: the results list (when there is one) shown, the help list hidden, the button enabled.
    ::testing::AssertionResult InListMode(bool withResults)
    {
        const HWND help = HelpList();
        const bool left = WaitUntil(
            [&] {
                const HWND results = FindResultsList(main_);
                return !IsWindowVisible(help) && IsWindowEnabled(GetDlgItem(main_, kNewProjectButtonId)) &&
                       (withResults ? results && IsWindowVisible(results) : results == nullptr);
            },
            kDialogTimeoutMs);
        if (left)
            return ::testing::AssertionSuccess();
        const HWND results = FindResultsList(main_);
        return ::testing::AssertionFailure()
               << "expected list mode: help list " << (IsWindowVisible(help) ? "shown" : "hidden") << ", results list "
               << (results ? (IsWindowVisible(results) ? "shown" : "hidden") : "absent") << ", button "
               << (IsWindowEnabled(GetDlgItem(main_, kNewProjectButtonId)) ? "enabled" : "disabled");
    }

    // Clicks File on the menu bar: its menu opens only when it is enabled. An open menu is closed
    // again by a second click.
    ::testing::AssertionResult FileMenuOpens(bool expected)
    {
        std::string error;
        if (!ClickMenuBar(main_, kFileMenuX, &error))
            return ::testing::AssertionFailure() << error;
        const bool opened = WaitUntil([&] { return FindPopupMenu(launcher_.id()) != nullptr; }, expected ? 5000 : 1000);
        if (opened && !ClickMenuBar(main_, kFileMenuX, &error))
            return ::testing::AssertionFailure() << "closing the File menu: " << error;
        if (opened && !WaitUntil([&] { return FindPopupMenu(launcher_.id()) == nullptr; }, 5000))
            return ::testing::AssertionFailure() << "the File menu did not close on a second click";
        if (opened == expected)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "expected the File menu " << (expected ? "to open" : "to stay closed")
                                             << " on a click";
    }
};

// Help shows the sorted, coloured help lines and locks the commands; a click on a line returns,
// opening help again adds nothing, and its close box returns too.
TEST_F(LauncherHelp, HelpReplacesTheListUntilClickedOrClosed)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(AddFile(package(), "h" + std::to_string(i) + ".asm", AddSeconds(kBase, i * 60)));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(3));
    ASSERT_TRUE(FileMenuOpens(true)) << "before help";

    PostMessageA(main_, WM_COMMAND, kHelpCommand, 0);
    ASSERT_TRUE(InHelpMode());
    const HWND help = HelpList();
    EXPECT_EQ(ClassName(help), "ListBox");
    const std::vector<std::string> lines = ListBoxLines(help);
    EXPECT_EQ(lines, kSortedHelpLines) << "saw " << Describe(lines);
    EXPECT_EQ(SendMessageA(help, LB_GETHORIZONTALEXTENT, 0, 0), 656);
    EXPECT_TRUE(PlacedAt(help, 10, 0, 475, 260)) << "the help list in the results list's place";
    RECT client{};
    GetClientRect(help, &client);
    EXPECT_EQ(ScreenColour(help, {client.right - 4, client.bottom - 4}), kHelpColour) << "the help list's background";
    EXPECT_TRUE(FileMenuOpens(false)) << "in help mode";

    std::string error;
    ASSERT_TRUE(ClickAt(help, {40, 40}, MouseButton::Left, &error)) << error;
    ASSERT_TRUE(InListMode(true)) << "after a click on the help list";
    EXPECT_TRUE(FileMenuOpens(true)) << "after help";
    // The mouse is the list's again: a right-click on it offers its menu.
    ASSERT_TRUE(ClickRow(launcher_.process(), list_, 1, MouseButton::Right, &error)) << error;
    EXPECT_TRUE(WaitUntil([&] { return FindPopupMenu(launcher_.id()) != nullptr; }, kDialogTimeoutMs))
        << "expected the context menu on the results list after help";
    TypeKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return FindPopupMenu(launcher_.id()) == nullptr; }, kDialogTimeoutMs));

    PostMessageA(main_, WM_COMMAND, kHelpCommand, 0);
    ASSERT_TRUE(InHelpMode()) << "help opened a second time";
    EXPECT_EQ(ListBoxLines(help).size(), kSortedHelpLines.size()) << "the lines are added once";
    PostMessageA(help, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(InListMode(true)) << "after the help list's close box";
    EXPECT_TRUE(launcher_.Running());
}

// Help opened during the first scan and left while it runs leaves the scan's view (no results
// list); opened again and kept past the scan's end, it stays alone until it is left. The same
// holds for help opened during a rescan, whose worker shows the list again as it ends.
TEST_F(LauncherHelp, HelpDuringScans)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    // Enough sources, and empty folders (each costs the walk several times what a file does, and
    // is quicker to make), for the scan to outlast the steps below.
    constexpr int kSources = 10000;
    constexpr int kEmptyFolders = 4000;
    for (int i = 0; i < kSources; ++i)
        ASSERT_TRUE(AddFile(package(), "d" + std::to_string(i / 100) + "\\f" + std::to_string(i) + ".asm",
                            AddSeconds(kBase, i), false));
    for (int f = 0; f < kEmptyFolders; ++f)
        ASSERT_TRUE(MakeFolders(package() + "\\e" + std::to_string(f / 100) + "\\" + std::to_string(f)));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitUntil([&] { return FindProgressBar(main_) != nullptr; }, kStartTimeoutMs));

    PostMessageA(main_, WM_COMMAND, kHelpCommand, 0);
    ASSERT_TRUE(InHelpMode());
    std::string error;
    ASSERT_TRUE(ClickAt(HelpList(), {40, 40}, MouseButton::Left, &error)) << error;
    ASSERT_TRUE(InListMode(false)) << "help left during the first scan";
    ASSERT_NE(FindProgressBar(main_), nullptr) << "the scan ended too soon for this case";

    PostMessageA(main_, WM_COMMAND, kHelpCommand, 0);
    ASSERT_TRUE(InHelpMode());
    ASSERT_NE(FindProgressBar(main_), nullptr) << "the scan ended too soon for this case";
    ASSERT_TRUE(WaitUntil([&] { return FindProgressBar(main_) == nullptr && FindResultsList(main_) != nullptr; },
                          kScanTimeoutMs));
    // The end of the scan fills the list behind the help screen, which stays alone.
    ASSERT_TRUE(WaitUntil([&] { return RowCount(FindResultsList(main_)) == 100; }, kScanTimeoutMs));
    Sleep(300);
    EXPECT_TRUE(InHelpMode()) << "after the scan's end";
    ASSERT_TRUE(ClickAt(HelpList(), {40, 40}, MouseButton::Left, &error)) << error;
    ASSERT_TRUE(InListMode(true)) << "help left after the scan's end";
    EXPECT_EQ(RowCount(FindResultsList(main_)), 100);

    PostMessageA(main_, WM_COMMAND, kNewFolderCommand, 0);
    HWND browser = nullptr;
    ASSERT_TRUE(WaitForDialog("Select Folder with Source Files", &browser));
    ASSERT_TRUE(SelectInFolderBrowser(launcher_.process(), browser, package(), &error)) << error;
    SendMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return FindProgressBar(main_) != nullptr; }, kStartTimeoutMs));
    PostMessageA(main_, WM_COMMAND, kHelpCommand, 0);
    ASSERT_TRUE(InHelpMode()) << "help opened during a rescan";
    ASSERT_NE(FindProgressBar(main_), nullptr) << "the rescan ended too soon for this case";
    ASSERT_TRUE(WaitUntil([&] { return FindProgressBar(main_) == nullptr; }, kScanTimeoutMs));
    Sleep(300);
    EXPECT_TRUE(InHelpMode()) << "after the rescan's end";
    PostMessageA(HelpList(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(InListMode(true)) << "help closed after the rescan's end";
}

// About shows the standard About box over the launcher, with the program's name and the version
// of its VERSIONINFO; OK closes it and the launcher stays.
TEST_F(LauncherHelp, AboutShowsTheProgramAndItsVersion)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "a.asm", kBase));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(1));

    PostMessageA(main_, WM_COMMAND, kAboutCommand, 0);
    HWND about = nullptr;
    ASSERT_TRUE(WaitForDialog(nullptr, &about));
    EXPECT_EQ(WindowText(about), "About Trawlbeck") << "the box is titled with the program's name";
    const std::string version = FileVersion(package() + "\\trawlbeck.exe");
    ASSERT_FALSE(version.empty()) << "could not read the version of the installed trawlbeck.exe";
    const std::string productLine = "Trawlbeck " + version;
    std::string texts;
    bool found = false;
    for (HWND child : FindDescendants(about, "Static", -1)) {
        const std::string text = WindowText(child);
        texts += " " + Shown(text);
        found = found || text.starts_with(productLine + "\r\n");
    }
    EXPECT_TRUE(found) << "expected a text beginning with the line " << Shown(productLine) << "; saw" << texts;
    EXPECT_EQ(GetWindow(about, GW_OWNER), main_) << "owned by the main window";
    SendMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return FindDialog(launcher_.id(), nullptr) == nullptr; }, kDialogTimeoutMs));
    EXPECT_TRUE(launcher_.Running());
}

}  // namespace
}  // namespace ui
