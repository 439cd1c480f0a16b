// The menu bar as the program builds it from its in-memory template: texts, ids, order and the
// separator, read back in-process (menus of another process cannot be read under Wine).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ui/main_menu.h"

namespace {

struct MenuItem {
    std::string text;
    UINT id;
    bool separator;
    HMENU popup;
};

MenuItem ReadItem(HMENU menu, UINT position)
{
    char text[64] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = sizeof text;
    EXPECT_TRUE(GetMenuItemInfoA(menu, position, TRUE, &info)) << "item " << position;
    EXPECT_EQ(info.fState & (MFS_GRAYED | MFS_DISABLED), 0u) << text << " starts enabled";
    return {text, info.wID, (info.fType & MFT_SEPARATOR) != 0, info.hSubMenu};
}

std::vector<MenuItem> ReadItems(HMENU menu)
{
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        items.push_back(ReadItem(menu, static_cast<UINT>(i)));
    return items;
}

TEST(MainMenu, BarHoldsFileThenHelpWithTheirIds)
{
    HMENU bar = BuildMainMenu();
    ASSERT_NE(bar, nullptr);
    const auto items = ReadItems(bar);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "&File");
    EXPECT_EQ(items[0].id, 5008u);
    EXPECT_NE(items[0].popup, nullptr);
    EXPECT_EQ(items[1].text, "&Help");
    EXPECT_EQ(items[1].id, 5403u);
    EXPECT_NE(items[1].popup, nullptr);
    DestroyMenu(bar);
}

TEST(MainMenu, FileAndHelpItemsInScreenOrder)
{
    HMENU bar = BuildMainMenu();
    ASSERT_NE(bar, nullptr);
    const auto file = ReadItems(GetSubMenu(bar, 0));
    ASSERT_EQ(file.size(), 5u);
    EXPECT_EQ(file[0].text, "&New Project");
    EXPECT_EQ(file[0].id, 5001u);
    EXPECT_EQ(file[1].text, "New &Folder ") << "the text ends with a space";
    EXPECT_EQ(file[1].id, 5003u);
    EXPECT_EQ(file[2].text, "&Open...");
    EXPECT_EQ(file[2].id, 5002u);
    EXPECT_TRUE(file[3].separator);
    EXPECT_EQ(file[4].text, "E&xit");
    EXPECT_EQ(file[4].id, 5007u);

    const auto help = ReadItems(GetSubMenu(bar, 1));
    ASSERT_EQ(help.size(), 2u);
    EXPECT_EQ(help[0].text, "&Help...");
    EXPECT_EQ(help[0].id, 5402u);
    EXPECT_EQ(help[1].text, "&About...");
    EXPECT_EQ(help[1].id, 5401u);
    DestroyMenu(bar);
}

}  // namespace
