// The recursive walk that turns every assembly source below a folder into a catalogue line.
#pragma once

#include <span>
#include <string_view>

// True when the UI thread has asked the running walk to end.
bool ScanStopRequested();

// Cuts the folder text in place to the longest folder that is walked (256 characters).
void CutToFolderLimit(std::span<char> folder);

// True for "." and for every name that begins with "..": such entries are never looked at.
bool IsSkippedDotName(std::string_view name);

// True for names ending in ".asm", ".inc" or ".rc", in any case.
bool IsSourceFileName(std::string_view name);

// Walks folder depth first and adds a line to the store for each source file, counting them in
// appState.foundCount. The folder text is cut to 256 characters in place; sub-folders whose path
// would be longer are not walked, nor a folder already on the path above (met again through a
// link). A name that does not survive the ANSI code page is shown with '?' for each lost letter
// and its short name stands in for it in paths; with no short name the Path holds the '?'.
// The first source found empties the store. The walk ends early once appState.scanStopRequested
// is set.
void FolderScan(std::span<char> folder);
