// The sorted list boxes of the program (the hidden catalogue store and the help screen), and the
// hand-over of the scan worker's lines to the store.
#pragma once

#include "catalogue/catalogue_ids.h"

// A child list box that keeps its lines sorted, with a caption bar and close box. Null on failure.
HWND CreateSortedListBox(HWND parent, unsigned controlId);

// Worker: hands the lines added since the last reset or flush to the UI thread (WM_STORE_BATCH)
// and returns once the store holds them all. Called when a walk is over, before anything reads
// the store. A large store gives the list box some of them later, on the timer kStoreFillTimer of
// the main window; they are read from the store meanwhile all the same.
void StoreFlush();

// UI thread, on WM_STORE_BATCH: carries out the worker's request, the message's wParam.
void StoreTakeBatch(WPARAM request);

// UI thread, on the main window's timer kStoreFillTimer: gives the list box more of its lines.
void StoreContinueFill();
