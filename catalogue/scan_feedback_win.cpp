#include "catalogue/scan_feedback.h"

#include "catalogue/app_state.h"

#include <commctrl.h>

// The worker owns these controls but runs no message loop, so it paints them itself. Under Wine
// each control also paints itself at every step and every new text, and a paint costs a few
// hundred microseconds to several milliseconds (it goes out through the X server), while a walk
// finds a source every few microseconds. So the controls keep their redraw off between paints:
// they take every step and every text as it comes, and are painted at most ten times a second.
// The first step of a scan is painted at once.

namespace {

constexpr DWORD kPaintIntervalMs = 100;

void PaintFeedbackWhenDue()
{
    const DWORD now = GetTickCount();
    if (appState.foundCount != 1 && now - appState.feedbackPaintedAt < kPaintIntervalMs)
        return;
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
    SendMessageA(appState.progressBar, PBM_STEPIT, 0, 0);
    PaintFeedbackWhenDue();
}

void ScanShowStatus(const char* path)
{
    SetWindowTextA(appState.statusLine, path);
    PaintFeedbackWhenDue();
}
