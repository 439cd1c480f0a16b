// The report list that shows the catalogue, newest first.
#pragma once

#include <span>

#include "catalogue/platform_types.h"

#include <commctrl.h>

// Creates the list on first use, then shows the newest lines of the store in it, at most
// appState.rowLimit of them: the list is given their count, the rows themselves stay in the store.
void FillResultsList(HWND parent);

// Lets go of the list's rows, once it exists: the store is about to let go of the lines they show.
void EmptyResultsList();

// Answers the list's LVN_GETDISPINFOA: row i shows the store's i-th line from the newest, split
// into its four columns. The list asks only for the rows it draws, and Copy, View and Enter for
// the rows they read; each answer reads one line of the store by its index.
void GiveRowText(NMLVDISPINFOA* request);

// Gives the list its font and column widths at appState.windowDpi anew, once it exists.
void ScaleResultsList();

// Lifts the row limit for the rest of the run and rebuilds the list with every source.
void ShowAllSources();

// Index of the first selected row below row after (from the top with -1), or -1 when there is none.
int NextSelectedRow(int after);

// Reads the text of column (sub-item) of row into text, cut to fit and zero-terminated. False
// (text empty) when the list cannot give it.
bool ReadRowText(int row, int column, std::span<char> text);
