// Every way the launcher starts the editor: a real double-click on a row, New Project from the
// menu and from the button, and the Open dialog. Each ends the launcher.
#include "launcher_fixture.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace ui {
namespace {

constexpr LocalTime kBase = {2025, 11, 20, 16, 40, 0};
constexpr WPARAM kViewCommand = 302;
constexpr char kEditorRefusal[] =
    "The name of this file has letters that cannot be passed to the editor.\r\nRename the file, or open it from the editor.";

struct RowCase {
    const char* label;
    std::string relativePath;  // below the package folder
};

// Failure messages name the case by its label.
void PrintTo(const RowCase& rowCase, std::ostream* out)
{
    *out << rowCase.label;
}

class LauncherLaunchRow : public LauncherCase, public ::testing::WithParamInterface<RowCase> {};

// The double-clicked row's whole Path goes to the editor, bare and maximised.
TEST_P(LauncherLaunchRow, DoubleClickStartsTheEditorOnThatRowsPath)
{
    const RowCase& row = GetParam();
    ASSERT_TRUE(InstallPrograms(package(), true));
    // Older and newer neighbours, so the row is neither the first nor the last.
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(AddFile(package(), "src\\n" + std::to_string(i) + ".inc", AddSeconds(kBase, (i - 6) * 3600)));
    ASSERT_TRUE(AddFile(package(), row.relativePath, AddSeconds(kBase, 1800)));
    const std::string path = package() + "\\" + row.relativePath;
    const std::string name = path.substr(path.rfind('\\') + 1);

    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(13));
    const int index = FindRowByPath(launcher_.process(), list_, path);
    ASSERT_GE(index, 0) << "expected a row with the Path " << Shown(path) << "; saw "
                        << Describe(ReadRows(launcher_.process(), list_), 13);
    EXPECT_EQ(CellText(launcher_.process(), list_, index, 0), name) << "the Filename column shows the whole name";

    // A Path too long for an ANSI program reaches the editor in its short form, which opens the same file.
    const std::string passed = PassedPath(path);
    ASSERT_TRUE(passed.size() < MAX_PATH && GetFileAttributesA(passed.c_str()) != INVALID_FILE_ATTRIBUTES) << passed;
    std::string error;
    ASSERT_TRUE(DoubleClickRow(launcher_.process(), list_, index, &error)) << error;
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded(passed)) << "double-click on row " << index << " (" << row.label << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LauncherLaunchRow,
    ::testing::Values(RowCase{"plain", "src\\main.asm"},
                      RowCase{"spaces", "my sources\\two words here.asm"},
                      RowCase{"comma", "src\\alpha,beta.asm"},
                      // With the package folder in front, the Path is well over 255 characters.
                      RowCase{"long", "deep\\" + std::string(240, 'L') + ".asm"}),
    [](const ::testing::TestParamInfo<RowCase>& info) { return std::string(info.param.label); });

class LauncherLaunch : public LauncherCase {
protected:
    // The launcher's message with this text appears, closes on OK, and the launcher goes on.
    ::testing::AssertionResult RefusedWith(const std::string& text)
    {
        HWND message = nullptr;
        if (!WaitForDialog(kTitle, &message))
            return ::testing::AssertionFailure() << "expected a message " << Shown(text);
        const std::string shown = WindowText(GetDlgItem(message, kMessageTextId));
        SendMessageA(GetDlgItem(message, IDOK), BM_CLICK, 0, 0);
        if (shown != text)
            return ::testing::AssertionFailure() << "expected the message " << Shown(text) << ", saw " << Shown(shown);
        if (!WaitUntil([&] { return !IsWindow(message); }, kDialogTimeoutMs))
            return ::testing::AssertionFailure() << "expected the message to close on OK";
        if (!launcher_.Running())
            return ::testing::AssertionFailure() << "the launcher must go on after the message";
        return ::testing::AssertionSuccess();
    }
};

// A double-click below the last row selects nothing and starts nothing; the row clicked next is
// the one the editor gets, so the empty click had been handled without effect.
TEST_F(LauncherLaunch, DoubleClickBelowTheRowsStartsNothing)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(AddFile(package(), "r" + std::to_string(i) + ".asm", AddSeconds(kBase, i * 60)));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(3));

    RECT last{};
    ASSERT_TRUE(RowRect(launcher_.process(), list_, 2, &last)) << "could not read the rectangle of the last row";
    std::string error;
    ASSERT_TRUE(DoubleClickAt(list_, {(last.left + last.right) / 2, last.bottom + 3 * (last.bottom - last.top)}, &error))
        << error;
    ASSERT_TRUE(DoubleClickRow(launcher_.process(), list_, 1, &error)) << error;
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded(package() + "\\r1.asm"));
}

// ābc.asm beside abc.asm, code page 1252: the ābc.asm row shows "?bc.asm" (never the look-alike
// "abc.asm") and its Path ends in the short name, so a double-click starts the editor on ābc.asm.
TEST_F(LauncherLaunch, ANameOutsideTheCodePageOpensItsOwnFileNotItsLookAlike)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "abc.asm", kBase));
    const LocalTime later = AddSeconds(kBase, 60);
    const std::wstring lookAlike = std::wstring(package().begin(), package().end()) + L"\\\x0101" L"bc.asm";
    ASSERT_TRUE(WriteFileAt(lookAlike, later));
    std::array<wchar_t, MAX_PATH> shortPath{};
    ASSERT_GT(GetShortPathNameW(lookAlike.c_str(), shortPath.data(), MAX_PATH), 0u);
    const std::wstring shortName = std::wstring(shortPath.data()).substr(std::wstring(shortPath.data()).rfind(L'\\') + 1);
    ASSERT_TRUE(std::all_of(shortName.begin(), shortName.end(), [](wchar_t c) { return c > L' ' && c < 0x80; }))
        << "expected an ASCII short name from Wine";
    const std::string path = package() + "\\" + std::string(shortName.begin(), shortName.end());

    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(2));
    EXPECT_TRUE(SameRows({{"?bc.asm", DateText(later), TimeText(later), path},
                          {"abc.asm", DateText(kBase), TimeText(kBase), package() + "\\abc.asm"}},
                         ReadRows(launcher_.process(), list_)));
    std::string error;
    ASSERT_TRUE(DoubleClickRow(launcher_.process(), list_, 0, &error)) << error;
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded(path));
}

// A name the code page cannot give, with no short name to stand in (8.3 names turned off), is
// listed with '?' in its Path. Wine always gives a short name, so that row is put into the
// launcher's store from here. A double-click or View on it tells the user and starts nothing;
// the launcher goes on.
TEST_F(LauncherLaunch, OpeningAPathThatNamesNoFileSaysSoAndStartsNothing)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "a.asm", kBase));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(1));
    const HWND store = GetDlgItem(main_, kStoreListId);
    ASSERT_NE(store, nullptr) << "expected the store list, id 600";
    const std::string path = package() + "\\?mega.asm";
    const std::string line = "2099123123:59:59,?mega.asm,31/12/2099,23:59:59," + path;
    const std::wstring wideLine(line.begin(), line.end());
    ASSERT_GE(SendMessageW(store, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideLine.c_str())), 0);
    PostMessageA(main_, WM_COMMAND, kShowAllCommand, 0);
    ASSERT_TRUE(WaitForList(2));
    const int index = FindRowByPath(launcher_.process(), list_, path);
    ASSERT_GE(index, 0) << "expected a row with the Path " << Shown(path) << "; saw "
                        << Describe(ReadRows(launcher_.process(), list_));

    std::string error;
    ASSERT_TRUE(DoubleClickRow(launcher_.process(), list_, index, &error)) << error;
    EXPECT_TRUE(RefusedWith(kEditorRefusal));
    // The row stays selected: View refuses it too.
    PostMessageA(main_, WM_COMMAND, kViewCommand, 0);
    EXPECT_TRUE(RefusedWith("The name of this file has letters that cannot be passed to the viewer.\r\n"
                            "Rename the file, or open it from the viewer."));
    PostMessageA(main_, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(ExpectLauncherEndedAlone());
}

// Names Windows' path handling does not take as they are, made by reserved_names_tree.sh: each is
// listed once, and a double-click hands the editor a Path that opens that very file, or is
// refused where Wine gives no short name that can stand in.
struct ReservedName {
    const char* label;
    std::string relative;  // in the tree, '/' after a folder; the file holds this text
    bool passed;
};

class LauncherReservedNames : public LauncherLaunch, public ::testing::WithParamInterface<ReservedName> {};

TEST_P(LauncherReservedNames, ListedOnceAndTheEditorGetsAPathThatOpensTheFile)
{
    const ReservedName& name = GetParam();
    ASSERT_TRUE(InstallPrograms("E:\\reserved", true));
    ASSERT_TRUE(StartLauncher("E:\\reserved"));
    ASSERT_TRUE(WaitForList(11));
    const std::vector<Row> rows = ReadRows(launcher_.process(), list_);
    const auto shown = [&](const Row& row) { return row.filename == name.relative.substr(name.relative.rfind('/') + 1); };
    ASSERT_EQ(std::count_if(rows.begin(), rows.end(), shown), 1) << Describe(rows, 11);
    const auto row = std::find_if(rows.begin(), rows.end(), shown);
    std::string error;
    ASSERT_TRUE(DoubleClickRow(launcher_.process(), list_, static_cast<int>(row - rows.begin()), &error)) << error;
    if (!name.passed) {
        EXPECT_TRUE(RefusedWith(kEditorRefusal));
        return;
    }
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded(row->path));
    std::ifstream file(row->path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), name.relative) << row->path;
}

// Wine's short name for co:lon.asm keeps the colon, and a name with a tab gets none.
INSTANTIATE_TEST_SUITE_P(
    Names, LauncherReservedNames,
    ::testing::Values(ReservedName{"star", "star*.asm", true}, ReservedName{"pipe", "pipe|.asm", true},
                      ReservedName{"angles", "lt<gt>.asm", true}, ReservedName{"quote", "quote\".asm", true},
                      ReservedName{"backslash", "back\\slash.asm", true}, ReservedName{"question", "what?.asm", true},
                      ReservedName{"twinDot", "twin./a.asm", true}, ReservedName{"twin", "twin/b.asm", true},
                      ReservedName{"trailingDot", "trail./c.asm", true}, ReservedName{"colon", "co:lon.asm", false},
                      ReservedName{"tab", "tab\t.asm", false}),
    [](const ::testing::TestParamInfo<ReservedName>& info) { return std::string(info.param.label); });

// The editor and the viewer moved away after the start: each start that fails names the program
// and the reason, and the launcher stays as it was; once they are back, the same row starts them.
TEST_F(LauncherLaunch, AStartThatFailsIsReportedAndTheLauncherStays)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "a.asm", kBase));
    ASSERT_TRUE(AddFile(package(), "b.asm", AddSeconds(kBase, 60)));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(2));
    const std::vector<Row> rows = ReadRows(launcher_.process(), list_);
    const std::string editor = package() + "\\Vantrel.exe", viewer = package() + "\\Orbenix.exe";
    for (const std::string& program : {editor, viewer})
        ASSERT_TRUE(MoveFileA(program.c_str(), (program + ".away").c_str())) << program;
    std::string error;
    ASSERT_TRUE(DoubleClickRow(launcher_.process(), list_, 1, &error)) << error;
    EXPECT_TRUE(RefusedWith("Unable to start the editor:\r\n" + editor + "\r\nThe program file was not found."));
    PostMessageA(main_, WM_COMMAND, kViewCommand, 0);
    EXPECT_TRUE(RefusedWith("Unable to start the viewer:\r\n" + viewer + "\r\nThe program file was not found."));
    EXPECT_TRUE(SameRows(rows, ReadRows(launcher_.process(), list_)));
    EXPECT_EQ(SelectedRows(list_), std::vector<int>{1});
    EXPECT_EQ(SendMessageA(GetDlgItem(main_, kStoreListId), LB_GETCOUNT, 0, 0), 2) << "the store's lines";

    for (const std::string& program : {editor, viewer})
        ASSERT_TRUE(MoveFileA((program + ".away").c_str(), program.c_str())) << program;
    PostMessageA(main_, WM_COMMAND, kViewCommand, 0);
    bool wellFormed = true;
    const std::vector<StandinCall> calls = WaitForStandinCalls(logPath(), kStartTimeoutMs, &wellFormed);
    ASSERT_TRUE(calls.size() == 1 && calls[0].program == "Orbenix" && calls[0].tail == rows[1].path) << Describe(calls);
    ASSERT_TRUE(DeleteFileA(logPath().c_str()));
    ASSERT_TRUE(DoubleClickRow(launcher_.process(), list_, 1, &error)) << error;
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded(rows[1].path));
}

// DLLs of system names that are not KnownDLLs are planted beside the launcher; the test command
// sets Wine to Windows' order for them (Wine takes that from the host environment a process starts
// with). Through start, scan, About, Open, the folder browser, View, Copy and a launch, the
// launcher loads none of them. Wine's own user32 and comdlg32 load two of them at start whatever
// the program does (Windows takes theirs from its system folder): a load at start under a name
// the exe does not import is theirs.
class LauncherPlantedDlls : public LauncherCase {};

TEST_F(LauncherPlantedDlls, NoneIsLoaded)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    for (const char* dll : {"comctl32.dll", "version.dll", "dwmapi.dll", "propsys.dll"})
        ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\planted\\" + dll).c_str(), (package() + "\\" + dll).c_str(), FALSE));
    ASSERT_TRUE(AddFile(package(), "a.asm", kBase));
    const std::string marks = root() + "\\planted.log";
    SetEnvironmentVariableA("TRAWLBECK_PLANTED_LOG", marks.c_str());
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(1));
    constexpr WPARAM kAboutCommand = 5401, kCopyCommand = 300;
    for (const WPARAM command : {kAboutCommand, kOpenCommand, kNewFolderCommand}) {
        PostMessageA(main_, WM_COMMAND, command, 0);
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitForDialog(nullptr, &dialog)) << "command " << command;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kDialogTimeoutMs)) << "command " << command;
    }
    ASSERT_TRUE(SelectRows(launcher_.process(), list_, {0}));
    PostMessageA(main_, WM_COMMAND, kCopyCommand, 0);
    PostMessageA(main_, WM_COMMAND, kViewCommand, 0);
    bool wellFormed = true;
    ASSERT_EQ(WaitForStandinCalls(logPath(), kStartTimeoutMs, &wellFormed).size(), 1u) << "the viewer's start";
    PostMessageA(main_, WM_COMMAND, kNewProjectCommand, 0);
    DWORD code = 0;
    ASSERT_TRUE(launcher_.WaitForExit(kStartTimeoutMs, &code));

    const std::set<std::string> imported = ImportedDlls(package() + "\\trawlbeck.exe");
    std::ifstream log(marks);
    std::string loaded;
    bool wineLoadedOne = false;
    for (std::string line; std::getline(log, line);) {
        std::istringstream fields(line);
        DWORD process = 0;
        std::string path;
        int atStart = 0;
        fields >> process >> path >> atStart;
        std::string name = path.substr(path.rfind('\\') + 1);
        CharLowerA(name.data());
        if (process == launcher_.id() && (!atStart || imported.count(name)))
            loaded += " " + path + (atStart ? " (at start)" : "");
        wineLoadedOne = wineLoadedOne || (process == launcher_.id() && name == "version.dll");
    }
    ASSERT_TRUE(wineLoadedOne) << "expected Wine's user32 to load the planted version.dll: is WINEDLLOVERRIDES set?";
    EXPECT_EQ(loaded, "") << "planted DLLs the launcher loaded";
}

// New Project from the menu command and from the button: the editor with no file.
TEST_F(LauncherLaunch, NewProjectCommandStartsTheEditorWithNoFile)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "a.asm", kBase));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(1));
    PostMessageA(main_, WM_COMMAND, kNewProjectCommand, 0);
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded(""));
}

TEST_F(LauncherLaunch, NewProjectButtonStartsTheEditorWithNoFile)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "a.asm", kBase));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(1));
    const HWND button = GetDlgItem(main_, kNewProjectButtonId);
    ASSERT_NE(button, nullptr) << "expected the New Project button, id 500";
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded(""));
}

// Open: a file chosen in the dialog, anywhere, goes to the editor.
TEST_F(LauncherLaunch, OpenDialogStartsTheEditorOnTheChosenFile)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "a.asm", kBase));
    const std::string chosen = root() + "\\elsewhere\\chosen file.asm";
    ASSERT_TRUE(AddFile(root(), "elsewhere\\chosen file.asm", kBase, false));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(1));

    PostMessageA(main_, WM_COMMAND, kOpenCommand, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitForDialog(nullptr, &dialog));
    constexpr int kFileNameBox = 0x47C;
    ASSERT_NE(GetDlgItem(dialog, kFileNameBox), nullptr)
        << "expected the file name box (id 0x47C) in the dialog " << Shown(WindowText(dialog));
    // The file types offered: sources first, and selected.
    constexpr int kFileTypeBox = 0x470;
    const HWND types = GetDlgItem(dialog, kFileTypeBox);
    ASSERT_NE(types, nullptr) << "expected the file type box (id 0x470) in the dialog";
    const std::vector<std::string> typeNames = ComboItems(types);
    EXPECT_TRUE(typeNames == std::vector<std::string>({"Assembly Files *.ASM,*.RC,*.INC", "All Files      *.*"}))
        << "expected the file types \"Assembly Files *.ASM,*.RC,*.INC\" and \"All Files      *.*\"; saw"
        << [&] {
               std::string all;
               for (const std::string& name : typeNames)
                   all += " " + Shown(name);
               return all;
           }();
    EXPECT_EQ(SendMessageA(types, CB_GETCURSEL, 0, 0), 0) << "the selected file type";
    SetDlgItemTextA(dialog, kFileNameBox, chosen.c_str());
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded(chosen));
}

}  // namespace
}  // namespace ui
