#include "ui/main_menu.h"

#include <array>
#include <cstring>
#include <string_view>

#include "ui/command_ids.h"

namespace {

enum class MenuItemKind { Command, Separator, Popup };

struct MenuTemplateItem {
    std::string_view text;
    UINT id;
    MenuItemKind kind;
    bool lastInItsMenu;
};

// Template order is screen order: a popup's items follow it.
constexpr std::array kMainMenuItems = {
    MenuTemplateItem{"&File", IDM_FILE_MENU, MenuItemKind::Popup, false},
    MenuTemplateItem{"&New Project", IDM_FILE_NEW_PROJECT, MenuItemKind::Command, false},
    MenuTemplateItem{"New &Folder ", IDM_FILE_NEW_FOLDER, MenuItemKind::Command, false},
    MenuTemplateItem{"&Open...", IDM_FILE_OPEN, MenuItemKind::Command, false},
    MenuTemplateItem{"", 0, MenuItemKind::Separator, false},
    MenuTemplateItem{"E&xit", IDM_FILE_EXIT, MenuItemKind::Command, true},
    MenuTemplateItem{"&Help", IDM_HELP_MENU, MenuItemKind::Popup, true},
    MenuTemplateItem{"&Help...", IDM_HELP_HELP, MenuItemKind::Command, false},
    MenuTemplateItem{"&About...", IDM_HELP_ABOUT, MenuItemKind::Command, true},
};

constexpr WORD kTemplateVersion = 1;
constexpr WORD kItemsOffset = 4;  // from the end of the offset field, past the help id
constexpr WORD kResInfoPopup = 0x01;
constexpr WORD kResInfoLast = 0x80;

constexpr std::size_t AlignToDword(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

// Type, state, id, resource flags, text in UTF-16 with its terminator, padding; a popup's help id.
constexpr std::size_t ItemSize(const MenuTemplateItem& item)
{
    const std::size_t size = AlignToDword(4 + 4 + 4 + 2 + 2 * (item.text.size() + 1));
    return item.kind == MenuItemKind::Popup ? size + 4 : size;
}

constexpr std::size_t TemplateSize()
{
    std::size_t size = 2 + 2 + 4;
    for (const MenuTemplateItem& item : kMainMenuItems)
        size += ItemSize(item);
    return size;
}

struct TemplateWriter {
    BYTE* at;
};

template <typename T>
void Put(TemplateWriter* w, T value)
{
    std::memcpy(w->at, &value, sizeof value);
    w->at += sizeof value;
}

void PutItem(TemplateWriter* w, const MenuTemplateItem& item)
{
    BYTE* const start = w->at;
    Put<DWORD>(w, item.kind == MenuItemKind::Separator ? MFT_SEPARATOR : MFT_STRING);
    Put<DWORD>(w, MFS_ENABLED);
    Put<DWORD>(w, item.id);
    Put<WORD>(w, static_cast<WORD>((item.kind == MenuItemKind::Popup ? kResInfoPopup : 0) |
                                   (item.lastInItsMenu ? kResInfoLast : 0)));
    for (char c : item.text)
        Put<WCHAR>(w, static_cast<WCHAR>(static_cast<unsigned char>(c)));
    Put<WCHAR>(w, 0);
    while ((w->at - start) % 4 != 0)
        Put<BYTE>(w, 0);
    if (item.kind == MenuItemKind::Popup)
        Put<DWORD>(w, 0);
}

}  // namespace

HMENU BuildMainMenu()
{
    alignas(DWORD) static std::array<BYTE, TemplateSize()> menuTemplate;
    TemplateWriter writer{menuTemplate.data()};
    Put<WORD>(&writer, kTemplateVersion);
    Put<WORD>(&writer, kItemsOffset);
    Put<DWORD>(&writer, 0);
    for (const MenuTemplateItem& item : kMainMenuItems)
        PutItem(&writer, item);
    return LoadMenuIndirectA(menuTemplate.data());
}
