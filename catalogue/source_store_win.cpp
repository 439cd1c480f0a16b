#include "catalogue/source_store.h"

#include "catalogue/source_store_win.h"

#include <array>
#include <atomic>
#include <cstring>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"

// The store is the sorted list box, owned by the UI thread. The walk runs on the worker, and a
// message from another thread costs a round trip through the system, so the worker does not send
// each line: it gathers them in a batch and hands the batch over with SendNotifyMessage, which
// does not wait. While the UI thread adds one batch the worker fills the next; it waits only when
// every batch is still being added. Sent messages are served in the order they were sent, so a
// synchronous send returns only after every batch handed over before it is in the store.

namespace {

// 256 lines a batch, three batches. Measured under Wine at 100,000 sources: batches of 64 and 256
// lines scan alike, 1,024 lines a batch is slower (the walk and the adds overlap less); with three
// batches the worker did not have to wait once.
constexpr std::uint32_t kBatchLines = 256;
constexpr std::size_t kBatchBytes = 64 * 1024;  // 256 lines of ~250 characters; a longer run ends the batch early
constexpr std::uint32_t kBatchCount = 3;
static_assert(kBatchBytes >= 2 * kEntryCapacity);

struct StoreBatch {
    std::array<char, kBatchBytes> text;  // worker: the lines one after another, each zero-terminated
    std::uint32_t used;                  // worker: characters of text in use
    std::uint32_t lines;                 // worker: lines in text
    std::uint32_t handedOver;            // 1 from hand-over until the UI thread has added the lines (atomic access)
};

struct StoreBatches {
    std::array<StoreBatch, kBatchCount> batches;
    std::uint32_t filling;  // worker: the batch new lines go to
};

// Beside the worker rather than in appState: only this file's two sides use it.
StoreBatches storeBatches;

std::atomic_ref<std::uint32_t> HandedOver(StoreBatch& batch)
{
    return std::atomic_ref<std::uint32_t>(batch.handedOver);
}

// Moves the worker on to the next batch, waiting until the UI thread has given it back.
void StartNextBatch()
{
    storeBatches.filling = (storeBatches.filling + 1) % kBatchCount;
    StoreBatch& next = storeBatches.batches[storeBatches.filling];
    if (HandedOver(next).load(std::memory_order_acquire) != 0) {
        // Returns once the UI thread has served every batch sent before it, this one included.
        SendMessageA(appState.mainWindow, WM_NULL, 0, 0);
        std::atomic_thread_fence(std::memory_order_acquire);
    }
    next.used = 0;
    next.lines = 0;
}

void HandOverBatch(bool wait)
{
    const std::uint32_t number = storeBatches.filling;
    HandedOver(storeBatches.batches[number]).store(1, std::memory_order_release);
    if (wait)
        SendMessageA(appState.mainWindow, WM_STORE_BATCH, number, 0);
    else
        SendNotifyMessageA(appState.mainWindow, WM_STORE_BATCH, number, 0);
    StartNextBatch();
}

}  // namespace

void StoreReset()
{
    // Synchronous, so it is served after every batch handed over before it.
    SendMessageA(appState.storeList, LB_RESETCONTENT, 0, 0);
}

void StoreAdd(const char* line)
{
    StoreBatch& batch = storeBatches.batches[storeBatches.filling];
    if (!CopyText(std::span(batch.text).subspan(batch.used), line))
        return;
    batch.used += static_cast<std::uint32_t>(std::strlen(batch.text.data() + batch.used) + 1);
    ++batch.lines;
    if (batch.lines == kBatchLines || kBatchBytes - batch.used < kEntryCapacity)
        HandOverBatch(false);
}

void StoreFlush()
{
    HandOverBatch(true);
}

void StoreTakeBatch(WPARAM number)
{
    if (number >= kBatchCount)
        return;
    StoreBatch& batch = storeBatches.batches[number];
    const char* line = batch.text.data();
    for (std::uint32_t i = 0; i < batch.lines; ++i) {
        SendMessageA(appState.storeList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
        line += std::strlen(line) + 1;
    }
    HandedOver(batch).store(0, std::memory_order_release);
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
