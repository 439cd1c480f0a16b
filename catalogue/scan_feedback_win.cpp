#include "catalogue/scan_feedback.h"

#include "catalogue/app_state.h"

#include <commctrl.h>

// The worker owns these controls but runs no message loop, so each change is painted at once.

void ScanStepProgress()
{
    SendMessageA(appState.progressBar, PBM_STEPIT, 0, 0);
    UpdateWindow(appState.progressBar);
}

void ScanShowStatus(const char* path)
{
    SetWindowTextA(appState.statusLine, path);
    UpdateWindow(appState.statusLine);
}
