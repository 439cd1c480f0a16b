// The private messages and the control ids that the catalogue's worker and store share with the
// main window. ui/command_ids.h lists them with the program's other ids.
#pragma once

#include "catalogue/platform_types.h"

// Posted to appState.mainWindow when a walk is over and the store holds its lines.
inline constexpr UINT WM_SCAN_DONE = WM_USER + 262;
static_assert(WM_SCAN_DONE == 1286);

// Sent to appState.mainWindow by the worker, so that the store's work is done on the UI thread:
// wParam kStoreTakeLinesRequest when a walk is over and its lines are ready, kStoreResetRequest
// when a scan empties the store.
inline constexpr UINT WM_STORE_BATCH = WM_USER + 263;
inline constexpr WPARAM kStoreTakeLinesRequest = 1;
inline constexpr WPARAM kStoreResetRequest = 2;

// The main window's timer on which the store gives the list box the rest of a large scan's lines.
inline constexpr UINT_PTR kStoreFillTimer = 1;

// The worker's progress bar and status line, and the hidden store list.
inline constexpr unsigned IDC_PROGRESS = 1;
inline constexpr unsigned IDC_STATUS_LINE = 599;
inline constexpr unsigned IDC_STORE_LIST = 600;
