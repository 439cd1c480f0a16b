#include "ui/results_list.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <commctrl.h>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/source_entry.h"
#include "catalogue/source_store.h"
#include "ui/command_ids.h"
#include "ui/context_menu.h"
#include "ui/display_scale.h"
#include "ui/help_screen.h"

namespace {

struct ColumnSpec {
    const char* heading;
    int width;  // at 96 DPI
    bool withFormat;  // the first column carries only width and text
};

constexpr std::array<ColumnSpec, 4> kColumns = {{
    {"Filename", 150, false},
    {"  Date", 95, true},
    {"  Time", 85, true},
    {"Path", 400, true},
}};

// The list holds no rows of its own (LVS_OWNERDATA): it is told how many rows there are and asks
// for the texts of those it needs, which are read from the store. A copy of every line cost
// seconds and hundreds of megabytes at a million sources.
constexpr DWORD kResultsListStyle =
    WS_CHILD | WS_VISIBLE | WS_SYSMENU | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_OWNERDATA;
static_assert(kResultsListStyle == 0x50089009);

// The width of a character of the list's font: each column's width is reckoned from it.
int ListCharacterWidth()
{
    return CharacterWidth(reinterpret_cast<HFONT>(SendMessageA(appState.resultsList, WM_GETFONT, 0, 0)));
}

// The system's fixed-pitch font at the window's DPI; a font made for an earlier DPI is let go.
void SetListFont()
{
    const HFONT font = FixedFontAtDpi(appState.windowDpi);
    SendMessageA(appState.resultsList, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (appState.listFont)
        DeleteObject(appState.listFont);
    appState.listFont = font == GetStockObject(SYSTEM_FIXED_FONT) ? nullptr : font;
}

void InsertColumns()
{
    const int characterWidth = ListCharacterWidth();
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        if (kColumns[i].withFormat) {
            column.mask |= LVCF_FMT;
            column.fmt = LVCFMT_LEFT;
        }
        column.cx = ColumnWidthAtDpi(kColumns[i].width, characterWidth, appState.windowDpi);
        column.pszText = const_cast<char*>(kColumns[i].heading);
        SendMessageA(appState.resultsList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void CreateResultsList(HWND parent)
{
    appState.resultsList = CreateWindowExA(0, WC_LISTVIEWA, nullptr, kResultsListStyle, 0, 0, 0, 0, parent,
                                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_RESULTS_LIST)),
                                           appState.instance, nullptr);
    // Nothing of the list is drawn until the fill has given it its rows: each step of the set-up
    // below would otherwise invalidate it, at a cost of milliseconds under Wine.
    SendMessageA(appState.resultsList, WM_SETREDRAW, FALSE, 0);
    // A first scan that ends while the help screen is up fills the list behind it.
    ShowWindow(appState.resultsList, HelpScreenShown() ? SW_HIDE : SW_SHOWNORMAL);
    UpdateWindow(appState.resultsList);
    // An owner-data list's item count is its row count, not a hint: only the fill gives it.
    SendMessageA(appState.mainWindow, WM_SIZE, 0, 0);
    SendMessageA(appState.resultsList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    SetListFont();
    appState.resultsListPrevProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(appState.resultsList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResultsListProc)));
    InsertColumns();
}

}  // namespace

void FillResultsList(HWND parent)
{
    if (!appState.resultsList)
        CreateResultsList(parent);
    else
        EmptyResultsList();
    SendMessageA(appState.resultsList, WM_SETREDRAW, FALSE, 0);
    const int lines = std::max(StoreCount(), 0);
    const int rows = appState.rowLimit == kNoRowLimit ? lines : std::min(lines, static_cast<int>(appState.rowLimit));
    SendMessageA(appState.resultsList, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
    SendMessageA(appState.resultsList, WM_SETREDRAW, TRUE, 0);
    UpdateWindow(appState.resultsList);
}

void EmptyResultsList()
{
    if (appState.resultsList)
        SendMessageA(appState.resultsList, LVM_DELETEALLITEMS, 0, 0);
}

void GiveRowText(NMLVDISPINFOA* request)
{
    LVITEMA& item = request->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    const std::span<char> text(item.pszText, static_cast<std::size_t>(item.cchTextMax));
    text[0] = '\0';
    const int line = StoreCount() - 1 - item.iItem;
    SourceEntryFields fields;
    if (item.iItem < 0 || line < 0 || StoreGet(line, appState.entryText) < 0 ||
        !SplitSourceEntry(TextView(appState.entryText), &fields))
        return;
    const std::array<std::string_view, kColumns.size()> texts = {fields.filename, fields.date, fields.time,
                                                                 fields.path};
    if (item.iSubItem >= 0 && static_cast<std::size_t>(item.iSubItem) < texts.size())
        CopyText(text, texts[static_cast<std::size_t>(item.iSubItem)]);
}

void ScaleResultsList()
{
    if (!appState.resultsList)
        return;
    SetListFont();
    const int characterWidth = ListCharacterWidth();
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        const int width = ColumnWidthAtDpi(kColumns[i].width, characterWidth, appState.windowDpi);
        SendMessageA(appState.resultsList, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(width, 0));
    }
    // The font was set without a redraw; a layout that keeps the list's size would not draw it.
    InvalidateRect(appState.resultsList, nullptr, TRUE);
}

void ShowAllSources()
{
    appState.rowLimit = kNoRowLimit;
    FillResultsList(appState.mainWindow);
    EnableMenuItem(appState.popupMenu, IDM_SHOW_ALL, MF_BYCOMMAND | MF_GRAYED | MF_DISABLED);
}

int NextSelectedRow(int after)
{
    if (!appState.resultsList)
        return -1;
    return static_cast<int>(SendMessageA(appState.resultsList, LVM_GETNEXTITEM, static_cast<WPARAM>(after),
                                         MAKELPARAM(LVNI_SELECTED, 0)));
}

bool ReadRowText(int row, int column, std::span<char> text)
{
    text[0] = '\0';
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    return SendMessageA(appState.resultsList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}
