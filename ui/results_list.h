// The report list that shows the catalogue, newest first.
#pragma once

#include <span>

#include "catalogue/platform_types.h"

// Creates the list on first use, then replaces its rows with the newest lines of the store, at
// most appState.rowLimit of them.
void FillResultsList(HWND parent);

// Gives the list its font and column widths at appState.windowDpi anew, once it exists.
void ScaleResultsList();

// Lifts the row limit for the rest of the run and rebuilds the list with every source.
void ShowAllSources();

// Index of the first selected row below row after (from the top with -1), or -1 when there is none.
int NextSelectedRow(int after);

// Reads the text of column (sub-item) of row into text, cut to fit and zero-terminated. False
// (text empty) when the list cannot give it.
bool ReadRowText(int row, int column, std::span<char> text);
