// The results list's context menu as the program builds it: items, texts, order and the rules
// that enable them, read back in-process (menus of another process cannot be read under Wine).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "ui/context_menu.h"

namespace {

struct Item {
    UINT id;
    std::string text;
    bool grayed;
};

std::vector<Item> Items(HMENU menu)
{
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = sizeof text;
        EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) << "item " << i;
        items.push_back({info.wID, text, (info.fState & MFS_GRAYED) != 0});
    }
    return items;
}

bool Grayed(UINT id)
{
    return (GetMenuState(appState.popupMenu, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

class ContextMenu : public ::testing::Test {
protected:
    void SetUp() override { ResetAppState(); }
    void TearDown() override
    {
        DestroyMenu(appState.popupMenu);
        ResetAppState();
    }
};

TEST_F(ContextMenu, WithAViewerSixItemsInOrderWithTheirTexts)
{
    CopyText(appState.viewerPath, "C:\\pkg\\Orbenix.exe");
    BuildContextMenu();
    ASSERT_NE(appState.popupMenu, nullptr);
    const std::vector<Item> items = Items(appState.popupMenu);
    ASSERT_EQ(items.size(), 6u);
    const std::vector<std::pair<UINT, std::string>> expected = {
        {302, "   View Selected File."},
        {5002, "   Choose the file to edit."},
        {5003, "   Choose a different folder to search."},
        {300, "   Copy selected items to the ClipBoard.   "},
        {301, "   Select All Items."},
        {303, "   Show All Source Files.   "},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(items[i].id, expected[i].first) << "item " << i;
        EXPECT_EQ(items[i].text, expected[i].second) << "item " << i;
        EXPECT_FALSE(items[i].grayed) << "item " << i << " starts enabled";
    }

    // Built once: a second call keeps the same menu.
    const HMENU built = appState.popupMenu;
    BuildContextMenu();
    EXPECT_EQ(appState.popupMenu, built);
    EXPECT_EQ(GetMenuItemCount(built), 6);
}

TEST_F(ContextMenu, WithoutAViewerFiveItemsFromOpen)
{
    BuildContextMenu();
    const std::vector<Item> items = Items(appState.popupMenu);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].id, 5002u);
    EXPECT_EQ(items[4].id, 303u);
    EnableContextMenuItems(3, 1);
    EXPECT_EQ(GetMenuState(appState.popupMenu, 302, MF_BYCOMMAND), static_cast<UINT>(-1)) << "no View item";
}

// Select All by the store, Copy by any selection, View by exactly one selected row.
TEST_F(ContextMenu, EnablingFollowsTheStoreAndTheSelection)
{
    CopyText(appState.viewerPath, "C:\\pkg\\Orbenix.exe");
    BuildContextMenu();
    struct Case {
        int store, selected;
        bool selectAll, copy, view;
    };
    for (const Case& c : {Case{0, 0, false, false, false}, Case{250, 0, true, false, false},
                          Case{250, 1, true, true, true}, Case{250, 2, true, true, false}, Case{1, 1, true, true, true}}) {
        EnableContextMenuItems(c.store, c.selected);
        SCOPED_TRACE("store " + std::to_string(c.store) + ", selected " + std::to_string(c.selected));
        EXPECT_EQ(!Grayed(301), c.selectAll) << "Select All";
        EXPECT_EQ(!Grayed(300), c.copy) << "Copy";
        EXPECT_EQ(!Grayed(302), c.view) << "View";
        EXPECT_FALSE(Grayed(303)) << "Show All while the row limit holds";
    }
}

// Once the limit is lifted Show All stays gray, also in a menu built after that and through
// every later enabling.
TEST_F(ContextMenu, ShowAllStaysGrayOnceTheLimitIsLifted)
{
    appState.rowLimit = kNoRowLimit;
    BuildContextMenu();
    EXPECT_TRUE(Grayed(303));
    EnableContextMenuItems(250, 1);
    EXPECT_TRUE(Grayed(303));
}

}  // namespace
