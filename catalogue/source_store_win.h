// The sorted list boxes of the program (the hidden catalogue store and the help screen), and the
// hand-over of the scan worker's lines to the store.
#pragma once

#include "catalogue/catalogue_ids.h"

// A child list box that keeps its lines sorted, with a caption bar and close box. Null on failure.
HWND CreateSortedListBox(HWND parent, unsigned controlId);

// Worker: hands the lines added since the last reset or flush to the UI thread (WM_STORE_BATCH)
// and returns once the store holds them all. Called when a walk is over, before anything reads
// the store.
void StoreFlush();

// UI thread, on WM_STORE_BATCH: puts the worker's lines into the store; batch is the message's wParam.
void StoreTakeBatch(WPARAM batch);
