// The launcher's window as the user sees it: placement, button, list contents and order, the
// messages it shows, and the ways out that start nothing.
#include "launcher_fixture.h"

namespace ui {
namespace {

constexpr LocalTime kNewest = {2026, 3, 5, 9, 5, 7};
// 1 day 3:05:31 between neighbours, so days and hours of one and two digits both occur.
constexpr std::int64_t kStepSeconds = 97531;

std::vector<HWND> VisibleButtons(HWND dialog)
{
    std::vector<HWND> visible;
    for (HWND button : FindDescendants(dialog, "Button", -1))
        if (IsWindowVisible(button))
            visible.push_back(button);
    return visible;
}

std::string Ids(const std::vector<HWND>& windows)
{
    std::string text;
    for (HWND window : windows)
        text += " " + std::to_string(GetDlgCtrlID(window)) + " " + Shown(WindowText(window));
    return text.empty() ? " none" : text;
}

// The button is visible and drawn on screen: its face, edges and caption give several colours,
// where a button left undrawn shows only the window's background.
::testing::AssertionResult ButtonDrawn(HWND button)
{
    if (!button || !IsWindowVisible(button))
        return ::testing::AssertionFailure() << "expected the visible New Project button (id 500); "
                                             << (button ? "it is hidden" : "there is none");
    if (WaitUntil([&] { return DistinctColours(button) >= 3; }, 2000))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected the button drawn on screen (at least 3 colours in its rectangle); "
                                         << "it shows " << DistinctColours(button) << " colour(s)";
}

using LauncherWindow = LauncherCase;

// Placement, button and list layout, headings, a full list of 40 newest first; Exit ends it.
TEST_F(LauncherWindow, CentredWindowWithButtonAndFortyRowsNewestFirst)
{
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024) << "the tests expect Wine's 1024x768 virtual desktop";
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768) << "the tests expect Wine's 1024x768 virtual desktop";
    ASSERT_TRUE(InstallPrograms(package(), true));
    // Names are shuffled against the times: newest first cannot come from the order of the names.
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(AddFile(package(), "src\\mod" + std::to_string(100 + (i * 7) % 40) + ".asm",
                            AddSeconds(kNewest, -(39 - i) * kStepSeconds)));
    ASSERT_TRUE(StartLauncher(package()));

    EXPECT_EQ(WindowText(main_), kTitle);
    EXPECT_TRUE(PlacedAt(main_, 262, 209, 500, 350)) << "the main window, centred on the screen";

    const HWND button = GetDlgItem(main_, kNewProjectButtonId);
    ASSERT_NE(button, nullptr) << "expected the button, control id 500, on the main window";
    EXPECT_EQ(ClassName(button), "Button");
    EXPECT_EQ(WindowText(button), "Start  A  New  Project");

    ASSERT_TRUE(WaitForList(40));
    EXPECT_TRUE(PlacedAt(button, 10, 270, 475, 25)) << "the button after layout";
    EXPECT_TRUE(ButtonDrawn(button));
    EXPECT_TRUE(PlacedAt(list_, 10, 0, 475, 260)) << "the results list after layout";
    EXPECT_EQ(GetDlgCtrlID(list_), 0);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(main_, kStoreListId))) << "the store list (id 600) must stay hidden";

    const char* const headings[] = {"Filename", "  Date", "  Time", "Path"};
    const int widths[] = {150, 95, 85, 400};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(ColumnHeading(launcher_.process(), list_, column), headings[column]) << "heading of column " << column;
        EXPECT_EQ(ColumnWidth(list_, column), widths[column]) << "width of column " << column;
    }
    EXPECT_TRUE(SameRows(ExpectedRows(100), ReadRows(launcher_.process(), list_)));

    // A bigger window: the list grows with it and the button stays 80 above the outer bottom.
    SetWindowPos(main_, nullptr, 0, 0, 600, 420, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(PlacedAt(list_, 10, 0, 575, 330)) << "the results list in a window of 600x420";
    EXPECT_TRUE(PlacedAt(button, 10, 340, 575, 25)) << "the button in a window of 600x420";

    PostMessageA(main_, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(ExpectLauncherEndedAlone());
}

// 250 sources give the 100 newest; look-alikes of sources are not listed; Esc ends the launcher.
TEST_F(LauncherWindow, TwoHundredFiftySourcesShowTheHundredNewest)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    const char* const folders[] = {"src", "include", "src\\lib.asm", "res", ".hidden"};
    const char* const extensions[] = {".asm", ".inc", ".asm", ".rc", ".ASM"};
    for (int i = 0; i < 250; ++i) {
        const int kind = i % 5;
        ASSERT_TRUE(AddFile(package(), std::string(folders[kind]) + "\\f" + std::to_string(i) + extensions[kind],
                            AddSeconds(kNewest, -(249 - i) * kStepSeconds)));
    }
    SetFileAttributesA((package() + "\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    // Newer than every source: listed by mistake, they would come first. Folders whose names begin
    // with two dots are never walked.
    const LocalTime later = AddSeconds(kNewest, 3600);
    for (const char* other :
         {"notes.asm.bak", "demo.as", "readme.txt", "src\\old.asmx", "src\\x.rcc", "..skipped\\never.asm"})
        ASSERT_TRUE(AddFile(package(), other, later, false));

    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(100));
    const std::vector<Row> rows = ReadRows(launcher_.process(), list_);
    EXPECT_TRUE(SameRows(ExpectedRows(100), rows));
    ASSERT_EQ(rows.size(), 100u);
    // The exact texts of three known files: the newest, the next, and the 100th newest.
    EXPECT_EQ(rows[0].filename, "f249.ASM");
    EXPECT_EQ(rows[0].date, " 5/03/2026");
    EXPECT_EQ(rows[0].time, " 9:05:07");
    EXPECT_EQ(rows[0].path, package() + "\\.hidden\\f249.ASM");
    EXPECT_EQ(rows[1].filename, "f248.rc");
    EXPECT_EQ(rows[1].date, " 4/03/2026");
    EXPECT_EQ(rows[1].time, " 5:59:36");
    EXPECT_EQ(rows[1].path, package() + "\\res\\f248.rc");
    EXPECT_EQ(rows[99].filename, "f150.asm");
    EXPECT_EQ(rows[99].date, "13/11/2025");
    EXPECT_EQ(rows[99].time, "14:58:58");
    EXPECT_EQ(rows[99].path, package() + "\\src\\f150.asm");

    PostMessageA(main_, WM_CHAR, 27, 0);
    EXPECT_TRUE(ExpectLauncherEndedAlone()) << "after Esc";
}

// Without an editor beside it or in C:\tolvaric the launcher says so and ends on OK.
TEST_F(LauncherWindow, MissingEditorIsReportedAndOkEndsTheLauncher)
{
    ASSERT_FALSE(PathExists("C:\\tolvaric\\Vantrel.exe"))
        << "C:\\tolvaric\\Vantrel.exe exists in this prefix, so the launcher would find an editor";
    ASSERT_TRUE(InstallPrograms(package(), false));
    ASSERT_TRUE(AddFile(package(), "src\\a.asm", kNewest));
    std::string error;
    ASSERT_TRUE(launcher_.Start(package() + "\\trawlbeck.exe", logPath(), root(), &error)) << error;

    HWND message = nullptr;
    ASSERT_TRUE(WaitForDialog(kTitle, &message));
    const HWND text = GetDlgItem(message, kMessageTextId);
    ASSERT_NE(text, nullptr) << "expected the message text as static control 0xFFFF";
    const std::string expected = "Unable to locate Vantrel.exe\r\nThis loader program should be placed \r\n"
                                 "in the same folder as Vantrel.\r\n(Usually drive letter :\\Tolvaric.)";
    EXPECT_EQ(Shown(WindowText(text)), Shown(expected));
    const std::vector<HWND> buttons = VisibleButtons(message);
    ASSERT_TRUE(buttons.size() == 1 && GetDlgCtrlID(buttons[0]) == IDOK)
        << "expected an OK button only; saw buttons" << Ids(buttons);

    SendMessageA(buttons[0], BM_CLICK, 0, 0);
    EXPECT_TRUE(ExpectLauncherEndedAlone()) << "after OK on the missing-editor message";
}

// A tree without sources: the prompt, and Cancel leaves the button, no list, and working commands.
TEST_F(LauncherWindow, NoSourcesPromptAndCancelLeavesOnlyTheButton)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "docs\\readme.txt", kNewest));
    ASSERT_TRUE(AddFile(package(), "docs\\demo.asm.bak", kNewest));
    ASSERT_TRUE(StartLauncher(package()));

    HWND prompt = nullptr;
    ASSERT_TRUE(WaitForDialog(kTitle, &prompt));
    EXPECT_EQ(Shown(WindowText(GetDlgItem(prompt, kMessageTextId))),
              Shown("No source files were found.\r\nPress OK to select another folder, or\r\n"
                    "Cancel to use existing search results."));
    const std::vector<HWND> buttons = VisibleButtons(prompt);
    const HWND cancel = GetDlgItem(prompt, IDCANCEL);
    ASSERT_TRUE(buttons.size() == 2 && GetDlgItem(prompt, IDOK) && cancel)
        << "expected OK and Cancel buttons; saw" << Ids(buttons);

    SendMessageA(cancel, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return FindDialog(launcher_.id(), nullptr) == nullptr; }, kDialogTimeoutMs))
        << "expected the prompt to close after Cancel";
    ASSERT_TRUE(launcher_.Running()) << "expected the launcher to stay open after Cancel";
    EXPECT_TRUE(IsWindowVisible(main_));
    EXPECT_EQ(FindResultsList(main_), nullptr) << "expected no results list after a first scan that found nothing";
    EXPECT_TRUE(ButtonDrawn(GetDlgItem(main_, kNewProjectButtonId)));
    EXPECT_EQ(FindProgressBar(main_), nullptr) << "expected no scan to run after Cancel";

    PostMessageA(main_, WM_COMMAND, kNewProjectCommand, 0);
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded("")) << "New Project after cancelling the prompt";
}

// The editor found in C:\tolvaric makes that folder the one scanned, and it is the editor started.
TEST_F(LauncherWindow, EditorInTolvaricMakesItTheScannedFolder)
{
    ASSERT_TRUE(MakeTolvaric());
    ASSERT_TRUE(InstallPrograms("C:\\tolvaric", true));
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(AddFile("C:\\tolvaric", "examples\\t" + std::to_string(i) + ".asm", AddSeconds(kNewest, -i * 60)));
    // The launcher's own folder has sources too, and no editor: they must not be listed.
    ASSERT_TRUE(InstallPrograms(package(), false));
    ASSERT_TRUE(AddFile(package(), "own.asm", AddSeconds(kNewest, 60), false));

    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(6));
    EXPECT_TRUE(SameRows(ExpectedRows(100), ReadRows(launcher_.process(), list_)));

    PostMessageA(main_, WM_COMMAND, kNewProjectCommand, 0);
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded("")) << "New Project with the editor in C:\\tolvaric";
}

// The display scale (LogPixels) of the programs started while it lives; the prefix's own comes back
// at its end. Wine reads it as a program starts.
class DisplayScale {
public:
    explicit DisplayScale(DWORD dpi)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        DWORD size = sizeof saved_;
        had_ = RegQueryValueExA(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&saved_), &size) == 0;
        set_ = RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) == 0;
    }
    ~DisplayScale()
    {
        if (had_)
            RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved_), sizeof saved_);
        else
            RegDeleteValueA(key_, kValue);
        RegCloseKey(key_);
    }
    bool set() const { return set_; }

private:
    static constexpr char kValue[] = "LogPixels";
    HKEY key_ = nullptr;
    DWORD saved_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// The list's margin around a label, which its text must leave free to be shown whole.
constexpr int kLabelMargin = 12;

class LauncherWindowScaled : public LauncherCase {
protected:
    // The newest source's name is 17 characters, the most the Filename column holds at 96 DPI, on
    // the widest date and time.
    ::testing::AssertionResult AddSources()
    {
        const auto added = AddFile(package(), "src\\newest_module.asm", {2014, 12, 30, 23, 58, 58});
        return added ? AddFile(package(), "src\\old.asm", {2014, 12, 1, 1, 2, 3}) : added;
    }

    // A window 750x525 (at 144 DPI) laid out at its scale: columns at least half as wide again,
    // the newest row's Filename, Date and Time whole in theirs, the button whole below the list.
    void ExpectLaidOutAt144(int x, int y)
    {
        EXPECT_TRUE(PlacedAt(main_, x, y, 750, 525)) << "the main window at 144 DPI";
        const std::vector<Row> rows = ReadRows(launcher_.process(), list_);
        ASSERT_EQ(rows.size(), 2u);
        const std::string texts[] = {rows[0].filename, rows[0].date, rows[0].time};
        const int designWidths[] = {150, 95, 85, 400};
        for (int column = 0; column < 4; ++column) {
            const int width = ColumnWidth(list_, column);
            EXPECT_GE(width, MulDiv(designWidths[column], 144, 96)) << "width of column " << column;
            if (column < 3) {
                EXPECT_LE(TextWidth(launcher_.process(), list_, texts[column]) + kLabelMargin, width)
                    << Shown(texts[column]) << " in column " << column << " of width " << width;
            }
        }
        RECT client;
        GetClientRect(main_, &client);
        const RECT button = RectInParent(GetDlgItem(main_, kNewProjectButtonId));
        const RECT list = RectInParent(list_);
        EXPECT_TRUE(button.left >= 0 && button.right <= client.right && button.bottom <= client.bottom &&
                    button.top >= list.bottom)
            << "button " << button.left << "," << button.top << "-" << button.right << "," << button.bottom
            << " below the list's bottom " << list.bottom << " in a client area of " << client.right << "x"
            << client.bottom;
    }
};

// Started at 150 % (144 DPI), the window is half as big again, centred, and its texts fit.
TEST_F(LauncherWindowScaled, StartedAt144DpiEveryFigureIsScaled)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddSources());
    {
        DisplayScale scale(144);
        ASSERT_TRUE(scale.set());
        ASSERT_TRUE(StartLauncher(package()));
    }
    ASSERT_TRUE(WaitForList(2));
    ExpectLaidOutAt144(137, 122);
}

// Moved to a monitor of 144 DPI, the window takes the rectangle offered and lays itself out
// again, with a font of the system's fixed face made for that DPI.
TEST_F(LauncherWindowScaled, DpiChangeTakesTheOfferedRectangleAndScalesTheList)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddSources());
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(2));
    RemoteMemory offered(launcher_.process(), sizeof(RECT));
    const RECT rect = {40, 30, 790, 555};
    ASSERT_TRUE(offered.ok() && offered.Write(0, &rect, sizeof rect));
    SendMessageA(main_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(offered.at()));
    ExpectLaidOutAt144(40, 30);
}

// A scan stuck in a folder that never answers (a share gone away) holds no way out: each ends the
// launcher within about a second. The test command mounts that folder in the package. Starting the
// editor is not tried here: under Wine, while one thread is stuck listing a folder, the process's
// start of another program waits for it too.
struct WayOut {
    const char* label;
    UINT message;
    WPARAM wParam;
};

class LauncherStuckFolder : public LauncherCase, public ::testing::WithParamInterface<WayOut> {};

TEST_P(LauncherStuckFolder, EveryWayOutEndsTheLauncherPromptly)
{
    const std::string stuckPackage = "C:\\trawlbeck-stuck\\pkg";
    ASSERT_TRUE(PathExists(stuckPackage + "\\stuck")) << "the test command mounts the folder that never answers";
    ASSERT_TRUE(InstallPrograms(stuckPackage, true));
    ASSERT_TRUE(StartLauncher(stuckPackage));
    Sleep(500);
    // A walk that had ended would show its list, or offer another folder, by now.
    ASSERT_TRUE(!FindResultsList(main_) && !FindDialog(launcher_.id(), kTitle)) << "expected the scan to be stuck";
    PostMessageA(main_, GetParam().message, GetParam().wParam, 0);
    DWORD code = 0;
    EXPECT_TRUE(launcher_.WaitForExit(3000, &code)) << GetParam().label << " left the launcher running for 3 s";
}

INSTANTIATE_TEST_SUITE_P(WaysOut, LauncherStuckFolder,
                         ::testing::Values(WayOut{"Esc", WM_CHAR, 27}, WayOut{"Exit", WM_COMMAND, kExitCommand},
                                           WayOut{"CloseBox", WM_SYSCOMMAND, SC_CLOSE}),
                         [](const ::testing::TestParamInfo<WayOut>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace ui
