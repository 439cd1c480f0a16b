#include "catalogue/source_store.h"

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
