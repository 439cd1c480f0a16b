#include "catalogue/scan_feedback.h"

#include "catalogue/app_state.h"

#include <algorithm>
#include <commctrl.h>

#include "catalogue/bounded_text.h"

// The worker owns these controls but runs no message loop, so it paints them itself. Under Wine
// each control also paints itself at every step and every new text, and a paint costs a few
// hundred microseconds to several milliseconds (it goes out through the X server), while a walk
// finds a source every few microseconds. So the controls keep their redraw off between paints,
// and are painted at most five times a second, the first time a fifth of a second after they were
// made: a scan that ends sooner never pays for a paint.
//
// Even with its redraw off, the bar spends about 0.1 ms on each step (an invalidation and an
// update of a window), a quarter of the walk's own time at one step per 16 sources. So the steps
// are counted as they are taken and given to the bar before each paint and at the end of the walk.
// A new text costs the status line about as much (the wineserver keeps a window's text): only the
// last one before each paint is given to it.

namespace {

constexpr DWORD kPaintIntervalMs = 200;

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

// The steps and the status text that the controls have not yet been given.
void GivePendingFeedback()
{
    if (appState.progressStepsPending > 0)
        GivePendingSteps();
    if (appState.statusTextPending) {
        SetWindowTextA(appState.statusLine, appState.pendingStatusText.data());
        appState.statusTextPending = false;
    }
}

void PaintFeedbackWhenDue()
{
    const DWORD now = GetTickCount();
    if (now - appState.feedbackPaintedAt < kPaintIntervalMs)
        return;
    GivePendingFeedback();
    for (HWND control : {appState.progressBar, appState.statusLine}) {
        SendMessageA(control, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        SendMessageA(control, WM_SETREDRAW, FALSE, 0);
    }
    appState.feedbackPaintedAt = now;
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

void ScanFeedbackSettle()
{
    GivePendingFeedback();
}
