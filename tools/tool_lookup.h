// Finding the editor and the viewer at start-up. Lookups return 0 on success and -1 on failure.
#pragma once

#include <span>
#include <string_view>

#include "catalogue/app_state.h"

inline constexpr std::string_view kEditorFileName = "Vantrel.exe";
inline constexpr std::string_view kViewerFileName = "Orbenix.exe";
inline constexpr std::string_view kPackageFolderName = "tolvaric";

// Looks directly in folder (cut to 256 characters in place) for a file named wantedName, in any
// case. On success writes its full path, as the file system spells it, to outPath. A path that
// would not fit outPath counts as not found: a cut path would name another file.
int FindFileInFolder(std::span<char> folder, std::string_view wantedName, std::span<char, kPathCapacity> outPath);

// Sweeps the fixed drives from C: up to the first missing letter for the package folder holding
// the editor; on success startFolder is that folder and editorPath the editor.
int LocateEditorOnDrives();

// Fills startFolder, editorPath and viewerPath: the editor beside the program, else on a drive.
int LocateTools();
