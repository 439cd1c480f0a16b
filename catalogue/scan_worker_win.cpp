#include "catalogue/scan_worker.h"

#include <algorithm>
#include <atomic>
#include <commctrl.h>

#include "catalogue/app_state.h"
#include "catalogue/catalogue_ids.h"
#include "catalogue/folder_scan.h"
#include "catalogue/source_store_win.h"

inline constexpr int kProgressRange = 1000;
inline constexpr int kProgressStep = 10;
inline constexpr COLORREF kProgressColour = RGB(50, 0, 255);
static_assert(kProgressColour == 0x00FF0032);

// The controls' place at 96 DPI: left edge, width, height and the two tops.
inline constexpr int kFeedbackLeft = 100;
inline constexpr int kFeedbackWidth = 300;
inline constexpr int kFeedbackHeight = 20;
inline constexpr int kProgressTop = 180;
inline constexpr int kStatusTop = 210;

// The controls notify their parent as they come and go (no WS_EX_NOPARENTNOTIFY), although each
// notice waits for the UI thread: without them, under Wine, a way out taken while the walk was
// stuck in a folder that never answers often left the process running for seconds.
static HWND CreateFeedbackControl(const char* className, int y, unsigned controlId)
{
    const std::uint32_t dpi = std::atomic_ref<std::uint32_t>(appState.windowDpi).load();
    return CreateWindowExA(0, className, nullptr, WS_CHILD | WS_VISIBLE, ScaledToDpi(kFeedbackLeft, dpi),
                           ScaledToDpi(y, dpi), ScaledToDpi(kFeedbackWidth, dpi), ScaledToDpi(kFeedbackHeight, dpi),
                           appState.mainWindow,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)), appState.instance, nullptr);
}

static DWORD WINAPI ScanWorker(LPVOID)
{
    appState.progressBar = CreateFeedbackControl(PROGRESS_CLASSA, kProgressTop, IDC_PROGRESS);
    SendMessageA(appState.progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressRange));
    SendMessageA(appState.progressBar, PBM_SETSTEP, kProgressStep, 0);
    SendMessageA(appState.progressBar, PBM_SETBARCOLOR, 0, kProgressColour);
    appState.statusLine = CreateFeedbackControl("Static", kStatusTop, IDC_STATUS_LINE);
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
    DestroyWindow(appState.progressBar);
    DestroyWindow(appState.statusLine);
    appState.progressBar = nullptr;
    appState.statusLine = nullptr;
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
