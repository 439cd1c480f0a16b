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

// A program the shell could not start: the first line says which, the next gives its path and the
// last the reason.
inline constexpr char kEditorNotStartedText[] = "Unable to start the editor:";
inline constexpr char kViewerNotStartedText[] = "Unable to start the viewer:";
inline constexpr char kStartFailedOtherText[] = "The system could not start it (error ";

// The shell's failure codes, in words.
struct StartFailureReason {
    long code;
    const char* text;
};
inline constexpr StartFailureReason kStartFailureReasons[] = {
    {0, "The system is out of memory or resources."},
    {2, "The program file was not found."},
    {3, "The folder of the program was not found."},
    {5, "Access to the program file was denied."},
    {8, "There is not enough memory to start it."},
    {11, "The program file is not a valid program."},
    {26, "The program file is in use (sharing violation)."},
    {27, "The program's file association is incomplete."},
    {31, "No program is associated with this kind of file."},
    {32, "A library the program needs was not found."},
};

// Open dialog filter: label and pattern pairs, the list ended by an empty label.
inline constexpr char kOpenFilter[] =
    "Assembly Files *.ASM,*.RC,*.INC\0*.asm;*.inc;*.rc\0"
    "All Files      *.*\0*.*\0";
