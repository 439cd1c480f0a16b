#include "ui/results_list.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <commctrl.h>

#include "catalogue/app_state.h"
#include "catalogue/source_entry.h"
#include "catalogue/source_store.h"
#include "ui/command_ids.h"
#include "ui/context_menu.h"
#include "ui/display_scale.h"
#include "ui/help_screen.h"

namespace {

enum class Column { Filename = 0, Date = 1, Time = 2, Path = 3 };

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

constexpr DWORD kResultsListStyle =
    WS_CHILD | WS_VISIBLE | WS_SYSMENU | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
static_assert(kResultsListStyle == 0x50088009);
constexpr WPARAM kItemCountHint = 400;

// The column's width in the list's font at the window's DPI.
int ColumnWidth(std::size_t column)
{
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(appState.resultsList, WM_GETFONT, 0, 0));
    return ColumnWidthAtDpi(kColumns[column].width, font, appState.windowDpi);
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
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        if (kColumns[i].withFormat) {
            column.mask |= LVCF_FMT;
            column.fmt = LVCFMT_LEFT;
        }
        column.cx = ColumnWidth(i);
        column.pszText = const_cast<char*>(kColumns[i].heading);
        SendMessageA(appState.resultsList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void CreateResultsList(HWND parent)
{
    appState.resultsList = CreateWindowExA(0, WC_LISTVIEWA, nullptr, kResultsListStyle, 0, 0, 0, 0, parent,
                                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_RESULTS_LIST)),
                                           appState.instance, nullptr);
    // A first scan that ends while the help screen is up fills the list behind it.
    ShowWindow(appState.resultsList, HelpScreenShown() ? SW_HIDE : SW_SHOWNORMAL);
    UpdateWindow(appState.resultsList);
    SendMessageA(appState.resultsList, LVM_SETITEMCOUNT, kItemCountHint, 0);
    SendMessageA(appState.mainWindow, WM_SIZE, 0, 0);
    SendMessageA(appState.resultsList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    SetListFont();
    appState.resultsListPrevProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(appState.resultsList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResultsListProc)));
    InsertColumns();
}

// The split fields are views into entryText; ending each in place gives the list zero-terminated texts.
const char* TerminatedField(std::string_view field)
{
    char* const text = appState.entryText.data() + (field.data() - appState.entryText.data());
    text[field.size()] = '\0';
    return text;
}

void SetRowText(int row, Column column, const char* text)
{
    LVITEMA item{};
    item.iSubItem = static_cast<int>(column);
    item.pszText = const_cast<char*>(text);
    SendMessageA(appState.resultsList, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void AddRow(int row, const SourceEntryFields& fields)
{
    // Path runs to the end of the line and is already terminated; the others end at a comma.
    const char* filename = TerminatedField(fields.filename);
    const char* date = TerminatedField(fields.date);
    const char* time = TerminatedField(fields.time);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(filename);
    SendMessageA(appState.resultsList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SetRowText(row, Column::Date, date);
    SetRowText(row, Column::Time, time);
    SetRowText(row, Column::Path, fields.path.data());
}

}  // namespace

void FillResultsList(HWND parent)
{
    if (!appState.resultsList)
        CreateResultsList(parent);
    else
        SendMessageA(appState.resultsList, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(appState.resultsList, WM_SETREDRAW, FALSE, 0);

    int remaining = StoreCount();
    std::int32_t rowsLeft = appState.rowLimit;  // kNoRowLimit is never counted down to 0
    // Told the row count first, the list can make room once instead of growing row by row.
    const int rows = rowsLeft == kNoRowLimit ? remaining : std::min(remaining, static_cast<int>(rowsLeft));
    SendMessageA(appState.resultsList, LVM_SETITEMCOUNT, static_cast<WPARAM>(std::max(rows, 0)), 0);
    int row = 0;
    while (rowsLeft != 0 && remaining > 0) {
        --remaining;
        if (StoreGet(remaining, appState.entryText) < 0)
            break;
        SourceEntryFields fields;
        if (SplitSourceEntry(appState.entryText.data(), &fields))
            AddRow(row++, fields);
        --rowsLeft;
    }

    SendMessageA(appState.resultsList, WM_SETREDRAW, TRUE, 0);
    UpdateWindow(appState.resultsList);
}

void ScaleResultsList()
{
    if (!appState.resultsList)
        return;
    SetListFont();
    for (std::size_t i = 0; i < kColumns.size(); ++i)
        SendMessageA(appState.resultsList, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(ColumnWidth(i), 0));
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
