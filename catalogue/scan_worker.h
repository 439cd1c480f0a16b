// The scan worker: walks appState.startFolder on a thread of its own with a progress bar and a
// status line on the main window, and posts WM_SCAN_DONE when the walk is over.
#pragma once

#include "catalogue/catalogue_ids.h"

// Starts a worker on appState.startFolder. The caller sets startFolder (and resets foundCount
// for a rescan) first. One scan at a time: a scan lasts from here until the UI thread has handled
// its WM_SCAN_DONE and cleared appState.scanThread, and no other may start meanwhile.
void StartScan();

// Asks the running walk to end early; it still posts WM_SCAN_DONE.
void RequestScanStop();

// Waits on the UI thread, at most timeoutMs (or INFINITE), for the last started worker to end,
// serving the messages the worker sends to the UI thread's windows meanwhile, so neither waits for
// the other. True when it has ended (at once when there is none).
bool WaitForScanWorker(DWORD timeoutMs);
