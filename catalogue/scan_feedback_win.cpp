#include "catalogue/scan_feedback.h"

#include "catalogue/app_state.h"

#include <algorithm>
#include <atomic>
#include <commctrl.h>

#include "catalogue/bounded_text.h"
#include "catalogue/catalogue_ids.h"

// The worker owns these controls but runs no message loop, so it paints them itself. Under Wine
// each control also paints itself at every step and every new text, and a paint costs a few
// hundred microseconds to several milliseconds (it goes out through the X server), while a walk
// finds a source every few microseconds. So the controls keep their redraw off between paints,
// and are painted at most five times a second. The first time is half a second into the walk,
// when they are made: a scan that ends sooner makes none, so that neither a bar that flashes up
// as the scan ends nor the cost of making it (under Wine 25 to 30 ms, the thread's first windows)
// comes with a short scan. The walk asks for a paint at every step and every new text, and as it
// goes into each folder, so that a walk through folders without sources shows them too, and one
// that goes on to hang in a folder shows them first.
//
// Even with its redraw off, the bar spends about 0.1 ms on each step (an invalidation and an
// update of a window), a quarter of the walk's own time at one step per 16 sources. So the steps
// are counted as they are taken and given to the bar before each paint and at the end of the walk.
// A new text costs the status line about as much (the wineserver keeps a window's text): only the
// last one before each paint is given to it.

namespace {

constexpr DWORD kPaintIntervalMs = 200;
constexpr DWORD kFirstPaintDelayMs = 500;  // from the walk's start, when the controls are made

constexpr int kProgressRange = 1000;
constexpr int kProgressStep = 10;
constexpr COLORREF kProgressColour = RGB(50, 0, 255);
static_assert(kProgressColour == 0x00FF0032);

// The controls' place at 96 DPI: left edge, width, height and the two tops.
constexpr int kFeedbackLeft = 100;
constexpr int kFeedbackWidth = 300;
constexpr int kFeedbackHeight = 20;
constexpr int kProgressTop = 180;
constexpr int kStatusTop = 210;

// The controls notify their parent as they come and go (no WS_EX_NOPARENTNOTIFY), although each
// notice waits for the UI thread: without them, under Wine, a way out taken while the walk was
// stuck in a folder that never answers often left the process running for seconds.
HWND CreateFeedbackControl(const char* className, int y, unsigned controlId)
{
    const std::uint32_t dpi = std::atomic_ref<std::uint32_t>(appState.windowDpi).load();
    return CreateWindowExA(0, className, nullptr, WS_CHILD | WS_VISIBLE, ScaledToDpi(kFeedbackLeft, dpi),
                           ScaledToDpi(y, dpi), ScaledToDpi(kFeedbackWidth, dpi), ScaledToDpi(kFeedbackHeight, dpi),
                           appState.mainWindow,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)), appState.instance, nullptr);
}

bool FeedbackControlsMade()
{
    return appState.progressBar && appState.statusLine;
}

// Makes those of the two controls that are missing, on the main window; true when both are there
// (a walk without a main window has none).
bool HaveFeedbackControls()
{
    if (appState.mainWindow && !appState.progressBar) {
        appState.progressBar = CreateFeedbackControl(PROGRESS_CLASSA, kProgressTop, IDC_PROGRESS);
        SendMessageA(appState.progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressRange));
        SendMessageA(appState.progressBar, PBM_SETSTEP, kProgressStep, 0);
        SendMessageA(appState.progressBar, PBM_SETBARCOLOR, 0, kProgressColour);
    }
    if (appState.mainWindow && !appState.statusLine)
        appState.statusLine = CreateFeedbackControl("Static", kStatusTop, IDC_STATUS_LINE);
    return FeedbackControlsMade();
}

// Steps that stay within the bar's range only add to its position: they are given in one message.
// A step past the maximum is the bar's own, so that it starts again as the platform's step does.
void GivePendingSteps()
{
    HWND bar = appState.progressBar;
    std::uint32_t steps = appState.progressStepsPending;
    appState.progressStepsPending = 0;
    const LRESULT step = SendMessageA(bar, PBM_GETSTEP, 0, 0);
    const LRESULT highest = SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
    while (steps > 0) {
        const LRESULT position = SendMessageA(bar, PBM_GETPOS, 0, 0);
        const LRESULT room = step > 0 && position <= highest ? (highest - position) / step : 0;
        const std::uint32_t within = static_cast<std::uint32_t>(std::min<LRESULT>(room, steps));
        if (within > 0) {
            SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position + static_cast<LRESULT>(within) * step), 0);
            steps -= within;
        }
        if (steps > 0) {
            SendMessageA(bar, PBM_STEPIT, 0, 0);
            --steps;
        }
    }
}

// The steps and the status text that the controls have not yet been given, if they are there.
void GivePendingFeedback()
{
    if (appState.progressStepsPending > 0 && appState.progressBar)
        GivePendingSteps();
    if (appState.statusTextPending && appState.statusLine) {
        SetWindowTextA(appState.statusLine, appState.pendingStatusText.data());
        appState.statusTextPending = false;
    }
}

void PaintFeedbackWhenDue()
{
    const DWORD now = GetTickCount();
    const DWORD wait = FeedbackControlsMade() ? kPaintIntervalMs : kFirstPaintDelayMs;
    if (now - appState.feedbackPaintedAt < wait)
        return;
    appState.feedbackPaintedAt = now;
    if (!HaveFeedbackControls())
        return;
    GivePendingFeedback();
    for (HWND control : {appState.progressBar, appState.statusLine}) {
        SendMessageA(control, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        SendMessageA(control, WM_SETREDRAW, FALSE, 0);
    }
}

}  // namespace

void ScanStepProgress()
{
    ++appState.progressStepsPending;
    PaintFeedbackWhenDue();
}

void ScanShowStatus(const char* path)
{
    // The status line holds at most a Path, which the text always fits.
    CopyText(appState.pendingStatusText, path);
    appState.statusTextPending = true;
    PaintFeedbackWhenDue();
}

void ScanEnteredFolder()
{
    PaintFeedbackWhenDue();
}

void ScanFeedbackSettle()
{
    GivePendingFeedback();
}
