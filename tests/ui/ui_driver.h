// Drives the real launcher from outside, as a user would: its files, its process, its windows,
// the list view rows of its process, real mouse clicks, and what the stand-in editor was asked.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace ui {

// Folder (Windows path) holding trawlbeck.exe and the stand-ins; set once by main.
void SetProgramFolder(const std::string& folder);
const std::string& ProgramFolder();

// Polls condition every few milliseconds until it holds or timeoutMs has passed; the last answer.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// ---- Files (long paths allowed) ----

// A local date and time, as the launcher shows it.
struct LocalTime {
    int year, month, day, hour, minute, second;
};

LocalTime AddSeconds(const LocalTime& time, std::int64_t seconds);
// " 5/03/2026" and " 9:05:07": how the list shows the date and the time of a local time.
std::string DateText(const LocalTime& time);
std::string TimeText(const LocalTime& time);

bool MakeFolders(const std::string& path);
// Creates (or replaces) a small file and sets its last-write time to the given local time.
bool WriteFileAt(const std::string& path, const LocalTime& lastWrite);
// The same for a wide path, for names outside the ANSI code page.
bool WriteFileAt(const std::wstring& path, const LocalTime& lastWrite);
bool CopyProgram(const std::string& exeName, const std::string& toFolder);
// Removes a folder and everything in it; retries while a just-ended process still holds a file.
bool RemoveTree(const std::string& path);
bool PathExists(const std::string& path);
// The path as the editor and the viewer get it: a path too long for an ANSI program in its short
// form (empty when it has none), any other unchanged.
std::string PassedPath(const std::string& path);
// The names of the DLLs an exe imports, in lower case.
std::set<std::string> ImportedDlls(const std::string& exePath);

// ---- The launcher process ----

class LauncherProcess {
public:
    LauncherProcess() = default;
    LauncherProcess(const LauncherProcess&) = delete;
    LauncherProcess& operator=(const LauncherProcess&) = delete;
    ~LauncherProcess();

    // Starts exePath with the stand-ins logging to logPath and ending at once; cwd is workFolder.
    // A process started before by this object is ended first.
    bool Start(const std::string& exePath, const std::string& logPath, const std::string& workFolder,
               std::string* error);
    // The launcher's visible main window ("Trawlbeck_Class" of this process), or null on timeout.
    HWND WaitForMainWindow(DWORD timeoutMs);
    // True when the process ended within the time; its exit code in *code.
    bool WaitForExit(DWORD timeoutMs, DWORD* code);
    bool Running() const;
    void Terminate();

    HANDLE process() const { return info_.hProcess; }
    DWORD id() const { return info_.dwProcessId; }

private:
    void Release();

    PROCESS_INFORMATION info_{};
};

// ---- Windows of another process ----

std::string WindowText(HWND window);
std::string ClassName(HWND window);
// A visible top-level dialog (#32770) of the process; with a caption given, only one with that caption.
HWND FindDialog(DWORD processId, const char* caption);
// Every visible top-level dialog's caption of the process, for failure messages.
std::vector<std::string> DialogCaptions(DWORD processId);
// Descendants of parent of the given class (and control id, unless id is -1).
std::vector<HWND> FindDescendants(HWND parent, const char* className, int id);
// The launcher's results list: the child list view, or null.
HWND FindResultsList(HWND main);
// The progress bar a running scan shows (control id 1), or null when no scan runs.
HWND FindProgressBar(HWND main);
// The item texts of a combo box of another process.
std::vector<std::string> ComboItems(HWND combo);
// A rectangle of child in its parent's client coordinates.
RECT RectInParent(HWND child);

// ---- Memory of another process ----

class RemoteMemory {
public:
    RemoteMemory(HANDLE process, std::size_t size);
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory();
    bool ok() const { return at_ != nullptr; }
    char* at() const { return static_cast<char*>(at_); }
    bool Write(std::size_t offset, const void* data, std::size_t size);
    bool Read(std::size_t offset, void* data, std::size_t size) const;

private:
    HANDLE process_;
    void* at_;
};

// ---- The results list of another process ----

struct Row {
    std::string filename, date, time, path;
};

int RowCount(HWND list);
std::string CellText(HANDLE process, HWND list, int row, int column);
std::vector<Row> ReadRows(HANDLE process, HWND list);
std::string ColumnHeading(HANDLE process, HWND list, int column);
int ColumnWidth(HWND list, int column);
// The width of text in the list's font, as the list measures it; -1 when it cannot be asked.
int TextWidth(HANDLE process, HWND list, const std::string& text);
// Index of the row whose Path is path, or -1.
int FindRowByPath(HANDLE process, HWND list, const std::string& path);
// The rectangle of a row's first column in the list's client coordinates.
bool RowRect(HANDLE process, HWND list, int row, RECT* rect);
// Double-clicks with the real mouse at a point of the window's client area, or on a row; false
// (with a reason) when the point cannot be reached.
bool DoubleClickAt(HWND window, POINT point, std::string* error);
bool DoubleClickRow(HANDLE process, HWND list, int row, std::string* error);
// One click of the real mouse's left or right button at a point of the window's client area, or
// on a row (which is scrolled into view first).
enum class MouseButton { Left, Right };
bool ClickAt(HWND window, POINT point, MouseButton button, std::string* error);
bool ClickRow(HANDLE process, HWND list, int row, MouseButton button, std::string* error);
// Clicks the menu bar of a top-level window, x pixels from the left of its client area.
bool ClickMenuBar(HWND window, int x, std::string* error);
// Presses and releases a key on the real keyboard, with a modifier key (VK_CONTROL, VK_SHIFT,
// VK_MENU) held around it unless 0; it goes to the window with the focus.
void TypeKey(WORD virtualKey, WORD modifier = 0);
// The selected rows of a list view, from the top.
std::vector<int> SelectedRows(HWND list);
// Selects exactly these rows of a list view of another process.
bool SelectRows(HANDLE process, HWND list, const std::vector<int>& rows);
// How many colours the window shows on screen: 1 when nothing has been drawn over its background.
int DistinctColours(HWND window);

// ---- Menus and list boxes of another process ----

// The visible popup menu window (#32768) of the process, or null.
HWND FindPopupMenu(DWORD processId);
// Clicks item index (from the top, all items of one height) of a popup menu of count items.
bool ClickPopupItem(HWND popup, int index, int count, std::string* error);
// The lines of a list box of another process.
std::vector<std::string> ListBoxLines(HWND list);

// ---- The clipboard ----

// The bytes of the clipboard's data in format (its whole block), or false when there is none.
bool ReadClipboard(UINT format, std::string* bytes);
// Empties the clipboard, so that a copy that does nothing leaves nothing.
bool EmptyTheClipboard();

// ---- The folder browser of another process ----

// Selects folder in the browser's tree; false (with a reason) when the tree does not take it.
bool SelectInFolderBrowser(HANDLE process, HWND browser, const std::string& folder, std::string* error);

// ---- What the stand-ins were asked ----

struct StandinCall {
    std::string program;
    int show = -2;
    std::string tail;
};

// The calls logged so far; *wellFormed is false when a line does not follow "name|show|tail\r\n".
std::vector<StandinCall> ReadStandinLog(const std::string& logPath, bool* wellFormed);
// Waits until at least one call is logged; the calls (possibly none on timeout).
std::vector<StandinCall> WaitForStandinCalls(const std::string& logPath, DWORD timeoutMs, bool* wellFormed);

// Quoted text with control characters shown as escapes, for failure messages.
std::string Shown(const std::string& text);

}  // namespace ui
