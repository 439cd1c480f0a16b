// The program's own texts, used as they stand.
#pragma once

inline constexpr char kMainClassName[] = "Trawlbeck_Class";
inline constexpr char kMainTitle[] = "Choose Assembler File to Edit";
inline constexpr char kNewProjectButtonText[] = "Start  A  New  Project";
inline constexpr char kFolderBrowserTitle[] = "Select Folder with Source Files";

inline constexpr char kEditorMissingText[] =
    "Unable to locate Vantrel.exe\r\nThis loader program should be placed \r\nin the same folder as Vantrel.\r\n"
    "(Usually drive letter :\\Tolvaric.)";
inline constexpr char kStoreFailedText[] = "Unable to create the main listbox\r\nthe program cannot run.";
inline constexpr char kNoSourcesText[] =
    "No source files were found.\r\nPress OK to select another folder, or\r\nCancel to use existing search results.";
inline constexpr char kNameNotPassableText[] =
    "The name of this file has letters that cannot be passed to the editor.\r\n"
    "Rename the file, or open it from the editor.";
inline constexpr char kNameNotViewableText[] =
    "The name of this file has letters that cannot be passed to the viewer.\r\n"
    "Rename the file, or open it from the viewer.";

// Open dialog filter: label and pattern pairs, the list ended by an empty label.
inline constexpr char kOpenFilter[] =
    "Assembly Files *.ASM,*.RC,*.INC\0*.asm;*.inc;*.rc\0"
    "All Files      *.*\0*.*\0";
