// The sorted list boxes of the program (the hidden catalogue store and the help screen), and the
// batches in which the scan worker hands its lines to the store.
#pragma once

#include "catalogue/catalogue_ids.h"

// A child list box that keeps its lines sorted, with a caption bar and close box. Null on failure.
HWND CreateSortedListBox(HWND parent, unsigned controlId);

// Worker: hands the lines added since the last batch to the UI thread and returns once the store
// holds every line added. Called when a walk is over, before anything reads the store.
void StoreFlush();

// UI thread, on WM_STORE_BATCH: adds the batch's lines to the store and gives the batch back.
void StoreTakeBatch(WPARAM batch);
