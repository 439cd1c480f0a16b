// The keyboard does what the mouse does: real keys typed into the launcher in the foreground.
#include "launcher_fixture.h"

namespace ui {
namespace {

using LauncherKeyboard = LauncherCase;

// Shift+F10 and the context-menu key open the menu at the row they act on (the list's corner with
// none), never at the pointer; a letter and a digit change nothing; Ctrl+C and Ctrl+A copy and
// select as the menu does; F1 opens help, which Space and Enter leave and where Esc ends the
// launcher. Enter then starts the editor on rows chosen with the arrow keys, whose Paths have
// more than 255 characters and a space.
TEST_F(LauncherKeyboard, EveryKeyDoesWhatTheMouseDoes)
{
    ASSERT_TRUE(InstallPrograms(package(), true));
    const std::string names[] = {"k.asm", std::string(120, 'f') + "\\" + std::string(140, 'g') + ".inc", "a b\\c d.asm"};
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(AddFile(package(), names[i], {2026, 3, 9, 8, 3 - i, 0}));
    const std::vector<Row> rows = ExpectedRows(3);
    const auto startInFront = [&] {
        ASSERT_TRUE(StartLauncher(package()));
        ASSERT_TRUE(WaitForList(3));
        ASSERT_TRUE(WaitUntil([&] { return SetForegroundWindow(main_) && GetForegroundWindow() == main_; }, 5000));
    };
    // Where the menu a key opened stands in the list's coordinates; Esc then closes it.
    const auto menuCorner = [&] {
        HWND popup = nullptr;
        RECT rect{};
        WaitUntil([&] { return (popup = FindPopupMenu(launcher_.id())) != nullptr; }, kDialogTimeoutMs);
        GetWindowRect(popup, &rect);
        MapWindowPoints(nullptr, list_, reinterpret_cast<POINT*>(&rect), 1);
        TypeKey(VK_ESCAPE);
        WaitUntil([&] { return !FindPopupMenu(launcher_.id()); }, kDialogTimeoutMs);
        return std::make_pair(rect.left, rect.top);
    };

    ASSERT_NO_FATAL_FAILURE(startInFront());
    ASSERT_TRUE(EmptyTheClipboard());
    SetCursorPos(5, 5);
    TypeKey(VK_F10, VK_SHIFT);
    EXPECT_EQ(menuCorner(), std::make_pair(0L, 0L)) << "Shift+F10 with nothing selected";
    TypeKey(VK_HOME);
    TypeKey(VK_DOWN);
    TypeKey('K');
    TypeKey('7');
    RECT label{};
    ASSERT_TRUE(RowRect(launcher_.process(), list_, 1, &label));
    TypeKey(VK_APPS);
    EXPECT_EQ(menuCorner(), std::make_pair(label.left, label.bottom)) << "the context-menu key on row 1";
    EXPECT_EQ(SelectedRows(list_), std::vector<int>{1}) << "after a letter, a digit and the menu";
    const std::string line = rows[1].filename + "," + rows[1].date + "," + rows[1].time + "," + rows[1].path + ",\r\n";
    TypeKey('C', VK_CONTROL);
    EXPECT_TRUE(WaitUntil([&] { std::string copied; return ReadClipboard(CF_OEMTEXT, &copied) && copied.c_str() == line; },
                          kDialogTimeoutMs)) << "Ctrl+C";
    TypeKey('A', VK_CONTROL);
    EXPECT_TRUE(WaitUntil([&] { return SelectedRows(list_).size() == 3; }, kDialogTimeoutMs)) << "Ctrl+A";
    for (const WORD key : {VK_SPACE, VK_RETURN, VK_ESCAPE}) {
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(list_); }, kDialogTimeoutMs)) << "help left";
        TypeKey(VK_F1);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(GetDlgItem(main_, 602)); }, kDialogTimeoutMs)) << "F1";
        TypeKey(key);
    }
    EXPECT_TRUE(ExpectLauncherEndedAlone()) << "Esc on the help screen";

    for (const int row : {1, 2}) {
        DeleteFileA(logPath().c_str());
        ASSERT_NO_FATAL_FAILURE(startInFront());
        for (int key = 0; key <= row; ++key)
            TypeKey(key == 0 ? VK_HOME : VK_DOWN);
        TypeKey(VK_RETURN);
        EXPECT_TRUE(ExpectEditorStartedAndLauncherEnded(PassedPath(rows[row].path))) << "Enter on row " << row;
    }
}

}  // namespace
}  // namespace ui
