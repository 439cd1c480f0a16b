// The catalogue store: SourceEntry lines kept in ascending case-insensitive order, so that the
// last line is the newest file. In the program it is the hidden sorted list box of the main
// window (source_store_win.cpp); the native build keeps the lines in memory, placed as the list
// box places them, in the catalogue's portable order (source_store_native.cpp).
#pragma once

#include <span>

// Removes every line.
void StoreReset();
// Inserts line at its sorted place. A line the store cannot take is dropped.
void StoreAdd(const char* line);
// Number of lines, or -1 when the store cannot be asked.
int StoreCount();
// Copies line index into buffer; its length, or -1 when the index is invalid or the line does not fit.
int StoreGet(int index, std::span<char> buffer);
