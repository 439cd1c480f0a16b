#include "catalogue/source_store.h"

#include "catalogue/source_store_win.h"

#include "catalogue/app_state.h"

// The worker calls these too: SendMessage runs each change on the UI thread that owns the list.

void StoreReset()
{
    SendMessageA(appState.storeList, LB_RESETCONTENT, 0, 0);
}

void StoreAdd(const char* line)
{
    SendMessageA(appState.storeList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
}

int StoreCount()
{
    return static_cast<int>(SendMessageA(appState.storeList, LB_GETCOUNT, 0, 0));
}

int StoreGet(int index, std::span<char> buffer)
{
    // LB_GETTEXT takes no buffer size, so the length is checked first.
    const LRESULT length = SendMessageA(appState.storeList, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || static_cast<std::size_t>(length) >= buffer.size())
        return -1;
    return static_cast<int>(SendMessageA(appState.storeList, LB_GETTEXT, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(buffer.data())));
}

HWND CreateSortedListBox(HWND parent, unsigned controlId)
{
    constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_DLGFRAME | WS_HSCROLL | WS_SYSMENU | LBS_NOSEL |
                             LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_SORT;
    static_assert(kStyle == 0x50D84142);
    return CreateWindowExA(WS_EX_STATICEDGE, "LISTBOX", nullptr, kStyle, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)), appState.instance, nullptr);
}
