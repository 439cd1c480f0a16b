#include "catalogue/scan_worker.h"

#include <algorithm>
#include <atomic>

#include "catalogue/app_state.h"
#include "catalogue/folder_scan.h"
#include "catalogue/source_store_win.h"

// The walk makes the progress bar and status line on this thread at their first paint, so they
// belong to it; why they come then is in scan_feedback_win.cpp.
static DWORD WINAPI ScanWorker(LPVOID)
{
    appState.feedbackPaintedAt = GetTickCount();
    appState.storeResetDone = 0;
    if (appState.resultsList)
        ShowWindow(appState.resultsList, SW_HIDE);

    FolderScan(appState.startFolder);
    // Every line is in the store before WM_SCAN_DONE can be handled.
    StoreFlush();

    // Only the list this scan hid is shown again: one made once the walk is over is the UI thread's.
    const HWND hiddenList = appState.resultsList;
    PostMessageA(appState.mainWindow, WM_SCAN_DONE, 0, 0);
    for (HWND* control : {&appState.progressBar, &appState.statusLine}) {
        if (*control)
            DestroyWindow(*control);
        *control = nullptr;
    }
    if (hiddenList)
        ShowWindow(hiddenList, SW_SHOW);
    return 0;
}

void StartScan()
{
    std::atomic_ref<std::uint32_t>(appState.scanStopRequested).store(0);
    DWORD threadId = 0;
    appState.scanThread = CreateThread(nullptr, 0, ScanWorker, appState.mainWindow, 0, &threadId);
    appState.scanThreadId = threadId;
}

void RequestScanStop()
{
    std::atomic_ref<std::uint32_t>(appState.scanStopRequested).store(1);
}

bool WaitForScanWorker(DWORD timeoutMs)
{
    HANDLE worker = appState.scanThread;
    if (!worker)
        return true;
    const DWORD start = GetTickCount();
    // The worker sends to the store list and to the main window; those sends are served here.
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        const DWORD left = timeoutMs == INFINITE ? INFINITE : timeoutMs - std::min(waited, timeoutMs);
        const DWORD woken = MsgWaitForMultipleObjects(1, &worker, FALSE, left, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + 1)
            return woken == WAIT_OBJECT_0;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
