#include "catalogue/scan_feedback.h"

#include "catalogue/app_state.h"

#include <commctrl.h>

// The worker owns these controls but runs no message loop, so it paints them itself. Under Wine a
// paint of either costs several milliseconds (it goes out through the X server) while a walk finds
// a source every few microseconds: the controls take every step and every text as it comes, but
// are painted at most ten times a second, so a fast walk is not held up by its own feedback. The
// first step of a scan is painted at once.

namespace {

constexpr DWORD kPaintIntervalMs = 100;

DWORD feedbackPaintedAt;  // worker: tick count of the last paint of the controls

void PaintFeedbackWhenDue()
{
    const DWORD now = GetTickCount();
    if (appState.foundCount != 1 && now - feedbackPaintedAt < kPaintIntervalMs)
        return;
    UpdateWindow(appState.progressBar);
    UpdateWindow(appState.statusLine);
    feedbackPaintedAt = now;
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
