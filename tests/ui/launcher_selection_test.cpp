// The right button, the keys and the commands that act on the list's selection: the context
// menu clicked with the real mouse, the clipboard read back by this process, the viewer started.
#include "launcher_fixture.h"

#include <algorithm>

namespace ui {
namespace {

constexpr LocalTime kBase = {2026, 1, 14, 10, 20, 30};

// The context menu's items from the top, with a viewer beside the editor.
enum MenuItemIndex { kViewItem, kOpenItem, kNewFolderItem, kCopyItem, kSelectAllItem, kShowAllItem, kItemCount };

constexpr WPARAM kCopyCommand = 300;
constexpr WPARAM kSelectAllCommand = 301;

std::string ClipboardLine(const Row& row)
{
    return row.filename + "," + row.date + "," + row.time + "," + row.path + ",\r\n";
}

std::string ClipboardLines(const std::vector<Row>& rows)
{
    std::string text;
    for (const Row& row : rows)
        text += ClipboardLine(row);
    return text;
}

std::wstring Wide(const std::string& ansi)
{
    std::wstring wide(ansi.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    return wide;
}

// The clipboard's text in format, up to its terminator (empty when there is none).
std::string ClipboardText(UINT format)
{
    std::string bytes;
    if (!ReadClipboard(format, &bytes))
        return {};
    const std::size_t unit = format == CF_UNICODETEXT ? sizeof(WCHAR) : 1;
    std::size_t end = 0;
    while (end + unit <= bytes.size() && bytes.compare(end, unit, std::string(unit, '\0')) != 0)
        end += unit;
    return bytes.substr(0, end);
}

// Waits for the launcher's copy to arrive in format.
::testing::AssertionResult ClipboardHolds(UINT format, const std::string& expectedBytes)
{
    std::string text;
    if (WaitUntil([&] { return (text = ClipboardText(format)) == expectedBytes; }, kDialogTimeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "clipboard format " << format << ": expected " << expectedBytes.size()
                                         << " bytes " << Shown(expectedBytes.substr(0, 600)) << "\nsaw " << text.size()
                                         << " bytes " << Shown(text.substr(0, 600));
}

std::string Bytes(const std::wstring& wide)
{
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(WCHAR));
}

using LauncherSelection = LauncherCase;

// A right-click offers the menu and leaves the selection alone; Copy from the menu puts the one
// selected row on the clipboard: the list's bytes as OEM text and as ANSI text, and as Unicode
// text the name as shown, for a name outside ASCII and a Path far beyond 255 characters.
TEST_F(LauncherSelection, RightClickMenuCopiesTheSelectedRowWhole)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(AddFile(package(), "src\\m" + std::to_string(i) + ".asm", AddSeconds(kBase, i * 60)));
    const std::string name = "caf\xE9 " + std::string(200, 'n') + ".asm";
    ASSERT_TRUE(AddFile(package(), "src\\" + name, AddSeconds(kBase, 150)));
    const std::string path = package() + "\\src\\" + name;
    ASSERT_GT(path.size(), 255u);
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(9));
    const std::vector<Row> rows = ReadRows(launcher_.process(), list_);
    const int copied = FindRowByPath(launcher_.process(), list_, path);
    ASSERT_GE(copied, 0) << "expected a row with the Path " << Shown(path) << "; saw " << Describe(rows, 9);
    ASSERT_TRUE(EmptyTheClipboard());

    ASSERT_TRUE(SelectRows(launcher_.process(), list_, {copied}));
    const int clicked = copied == 6 ? 7 : 6;
    std::string error;
    ASSERT_TRUE(ClickRow(launcher_.process(), list_, clicked, MouseButton::Right, &error)) << error;
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = FindPopupMenu(launcher_.id())) != nullptr; }, kDialogTimeoutMs))
        << "expected the context menu after a right-click on row " << clicked;
    EXPECT_EQ(SelectedRows(list_), std::vector<int>{copied}) << "a right-click must not change the selection";

    ASSERT_TRUE(ClickPopupItem(popup, kCopyItem, kItemCount, &error)) << error;
    EXPECT_TRUE(ClipboardHolds(CF_OEMTEXT, ClipboardLine(rows[copied])));
    EXPECT_TRUE(ClipboardHolds(CF_TEXT, ClipboardLine(rows[copied])));
    const std::wstring unicodeLine = Wide(ClipboardLine(rows[copied]));
    EXPECT_EQ(unicodeLine.find(L"caf\u00E9 nnn"), 0u) << "the name as shown, in Unicode";
    EXPECT_TRUE(ClipboardHolds(CF_UNICODETEXT, Bytes(unicodeLine)));
    EXPECT_TRUE(launcher_.Running());
}

// Select All and Copy from the menu give every row in list order; after Show All they give every
// source, and a rescan keeps showing every source.
TEST_F(LauncherSelection, SelectAllCopiesEveryRowAndShowAllLiftsTheLimitForGood)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    for (int i = 0; i < 250; ++i)
        ASSERT_TRUE(AddFile(package(), "src\\s" + std::to_string(i) + ".inc", AddSeconds(kBase, -i * 3700)));
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(100));
    ASSERT_TRUE(EmptyTheClipboard());

    std::string error;
    ASSERT_TRUE(ClickRow(launcher_.process(), list_, 3, MouseButton::Right, &error)) << error;
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = FindPopupMenu(launcher_.id())) != nullptr; }, kDialogTimeoutMs))
        << "expected the context menu after a right-click on row 3";
    ASSERT_TRUE(ClickPopupItem(popup, kSelectAllItem, kItemCount, &error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return SelectedRows(list_).size() == 100; }, kDialogTimeoutMs))
        << "expected Select All to select the 100 rows; " << SelectedRows(list_).size() << " selected";
    // The copy comes while another program's window holds the clipboard open for a moment.
    HWND holder = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(holder && OpenClipboard(holder));
    PostMessageA(main_, WM_COMMAND, kCopyCommand, 0);
    Sleep(100);
    CloseClipboard();
    DestroyWindow(holder);
    EXPECT_TRUE(ClipboardHolds(CF_OEMTEXT, ClipboardLines(ExpectedRows(100))));

    PostMessageA(main_, WM_COMMAND, kShowAllCommand, 0);
    ASSERT_TRUE(WaitForList(250));
    PostMessageA(main_, WM_COMMAND, kSelectAllCommand, 0);
    ASSERT_TRUE(WaitUntil([&] { return SelectedRows(list_).size() == 250; }, kDialogTimeoutMs));
    PostMessageA(main_, WM_COMMAND, kCopyCommand, 0);
    const std::vector<Row> all = ExpectedRows(250);
    EXPECT_TRUE(ClipboardHolds(CF_OEMTEXT, ClipboardLines(all)));
    // Rows far apart, the store's oldest line among them, are copied in list order.
    ASSERT_TRUE(SelectRows(launcher_.process(), list_, {249, 0, 131}));
    PostMessageA(main_, WM_COMMAND, kCopyCommand, 0);
    EXPECT_TRUE(ClipboardHolds(CF_OEMTEXT, ClipboardLines({all[0], all[131], all[249]})));

    // Another folder of 130 sources: all of them are listed.
    ForgetSources();
    const std::string other = root() + "\\other";
    for (int i = 0; i < 130; ++i)
        ASSERT_TRUE(AddFile(other, "o" + std::to_string(i) + ".asm", AddSeconds(kBase, i * 61)));
    PostMessageA(main_, WM_COMMAND, kNewFolderCommand, 0);
    HWND browser = nullptr;
    ASSERT_TRUE(WaitForDialog("Select Folder with Source Files", &browser));
    ASSERT_TRUE(SelectInFolderBrowser(launcher_.process(), browser, other, &error)) << error;
    SendMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForList(130));
    EXPECT_TRUE(SameRows(ExpectedRows(130), ReadRows(launcher_.process(), list_)));
}

// View from the menu starts the viewer on the selected row's Path (in its short form, as it is too long
// for an ANSI program), shown normally, and the launcher stays. Letters typed in the list do nothing; Esc
// ends the launcher.
TEST_F(LauncherSelection, ViewStartsTheViewerAndKeysInTheListReachTheWindow)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    ASSERT_TRUE(AddFile(package(), "alpha.asm", AddSeconds(kBase, 60)));
    ASSERT_TRUE(AddFile(package(), "beta.asm", AddSeconds(kBase, 30)));
    const std::string relativePath = "view me\\zeta " + std::string(200, 'z') + ".asm";
    ASSERT_TRUE(AddFile(package(), relativePath, kBase));
    const std::string path = package() + "\\" + relativePath;
    ASSERT_GT(path.size(), 255u);
    ASSERT_TRUE(StartLauncher(package()));
    ASSERT_TRUE(WaitForList(3));
    ASSERT_EQ(CellText(launcher_.process(), list_, 2, 3), path);

    std::string error;
    ASSERT_TRUE(ClickRow(launcher_.process(), list_, 2, MouseButton::Left, &error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return SelectedRows(list_) == std::vector<int>{2}; }, kDialogTimeoutMs));
    ASSERT_TRUE(ClickRow(launcher_.process(), list_, 2, MouseButton::Right, &error)) << error;
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = FindPopupMenu(launcher_.id())) != nullptr; }, kDialogTimeoutMs))
        << "expected the context menu after a right-click on the selected row";
    ASSERT_TRUE(ClickPopupItem(popup, kViewItem, kItemCount, &error)) << error;

    bool wellFormed = true;
    const std::vector<StandinCall> calls = WaitForStandinCalls(logPath(), kStartTimeoutMs, &wellFormed);
    ASSERT_TRUE(wellFormed);
    ASSERT_EQ(calls.size(), 1u) << Describe(calls);
    EXPECT_EQ(calls[0].program, "Orbenix");
    EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(calls[0].tail, PassedPath(path));
    EXPECT_TRUE(launcher_.Running()) << "the launcher stays open after View";

    // The list has the focus since the click. A list view left to itself would select the row
    // whose name begins with the letter typed.
    ASSERT_TRUE(ClickRow(launcher_.process(), list_, 2, MouseButton::Left, &error)) << error;
    TypeKey('A');
    TypeKey('B');
    Sleep(500);
    EXPECT_EQ(SelectedRows(list_), std::vector<int>{2}) << "letters typed in the list change nothing";
    EXPECT_TRUE(launcher_.Running());
    TypeKey(VK_ESCAPE);
    DWORD code = 0;
    EXPECT_TRUE(launcher_.WaitForExit(kStartTimeoutMs, &code)) << "Esc typed in the list ends the launcher";
    EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace ui
