// The commands that start the editor or choose something new.
#pragma once

#include <span>
#include <string_view>

#include "catalogue/app_state.h"
#include "catalogue/platform_types.h"

// Starts the editor on parameter (a full path, or empty for a new project) and ends the launcher.
// When the shell cannot start it, the user is told why and the launcher stays as it was.
LRESULT LaunchEditor(const char* parameter);

// Reads the whole Path of the first selected row. False when no row is selected.
bool ReadSelectedPath(std::span<char, kEntryPathLimit + 1> path);

// True when path can be handed to another program. A Path that holds '?', a letter no file name
// can hold, stands for a file whose name the ANSI code page cannot give: it names no file. Nor
// does one with a name that path handling would change (another reserved letter, a trailing dot
// or space) and that no short name stood in for.
bool CanPassPathToProgram(std::string_view path);

// Starts the editor on the path of the first selected row (its short form when it is too long
// for the editor), or, when that path cannot be passed to it, tells the user so and starts
// nothing. False when no row is selected.
bool LaunchEditorOnSelectedRow();

// Opens the first selected row's file in the viewer, its path passed as to the editor; the
// launcher stays, and tells the user when the viewer cannot be started.
void ViewSelectedFile();

// Selects every row of the results list and gives it the focus.
void SelectAllRows();

// Lets the user choose any file to edit; a cancelled dialog leaves everything as it was.
void OpenFileToEdit();

// Lets the user choose another folder and scans it. A scan still running is asked to stop and the
// chosen folder is scanned when it has ended.
void ChooseFolderAndRescan(HWND owner);

// Starts the scan of a folder chosen while the previous scan was running. False when none waits.
bool StartPendingScan();
