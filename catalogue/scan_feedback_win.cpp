#include "catalogue/scan_feedback.h"

#include "catalogue/app_state.h"

#include <commctrl.h>

void ScanStepProgress()
{
    SendMessageA(appState.progressBar, PBM_STEPIT, 0, 0);
}

void ScanShowStatus(const char* path)
{
    SetWindowTextA(appState.statusLine, path);
}
