#include "ui/commands.h"

#include <array>
#include <charconv>
#include <commctrl.h>
#include <commdlg.h>
#include <cstddef>
#include <shellapi.h>
#include <shlobj.h>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/file_system.h"
#include "catalogue/scan_worker.h"
#include "ui/main_window.h"
#include "ui/results_list.h"
#include "ui/texts.h"

namespace {

constexpr int kPathColumn = 3;
// An ANSI program opens paths of up to 259 characters.
constexpr std::size_t kLongestOpenablePath = kPathCapacity - 1;
// The failure text, the program's path and the reason, each on a line of its own.
constexpr std::size_t kStartFailureCapacity = 2 * kPathCapacity;

// The Open dialog's record in its original, shorter form (up to lpTemplateName), as every version
// of the platform accepts it. The headers' OPENFILENAME_SIZE_VERSION_400A is the same size but not
// a constant expression.
constexpr DWORD kOpenDialogRecordSize =
    offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName);
#if defined(__i386__)
static_assert(kOpenDialogRecordSize == 76, "the 32-bit platform takes the short Open dialog record as 76 bytes");
#endif

int CALLBACK FolderBrowserCallback(HWND browser, UINT, LPARAM, LPARAM title)
{
    SetWindowTextA(browser, reinterpret_cast<const char*>(title));
    return 0;
}

// The chosen folder's path in folder, or an empty text when the user cancelled.
void AskForFolder(HWND owner, std::span<char, kPathCapacity> folder)
{
    folder[0] = '\0';
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    browse.lpfn = FolderBrowserCallback;
    browse.lParam = reinterpret_cast<LPARAM>(kFolderBrowserTitle);
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (chosen && !SHGetPathFromIDListA(chosen, folder.data()))
        folder[0] = '\0';
    CoTaskMemFree(chosen);
}

void StartScanOf(std::string_view folder)
{
    appState.foundCount = 0;
    CopyText(appState.startFolder, folder);
    StartScan();
}

// The shell's failure code in words.
void AppendStartFailureReason(std::span<char> text, INT_PTR code)
{
    for (const StartFailureReason& reason : kStartFailureReasons)
        if (reason.code == code) {
            AppendText(text, reason.text);
            return;
        }
    std::array<char, 24> digits{};
    std::to_chars(digits.data(), digits.data() + digits.size() - 1, static_cast<long long>(code));
    AppendText(text, kStartFailedOtherText);
    AppendText(text, TextView(digits));
    AppendText(text, ").");
}

// Asks the shell to open program with parameter. When it cannot, the user is told which program
// it was and why, and nothing else changes. True when the program was started.
bool StartProgram(const char* program, const char* parameter, int show, const char* failureText)
{
    const INT_PTR result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(appState.mainWindow, "open", program, parameter, nullptr, show));
    if (result > 32)
        return true;
    std::array<char, kStartFailureCapacity> text;
    CopyText(text, failureText);
    AppendText(text, "\r\n");
    AppendText(text, program);
    AppendText(text, "\r\n");
    AppendStartFailureReason(text, result);
    ShowLauncherMessage(appState.mainWindow, text.data(), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// Makes path, in place, one the editor and the viewer can open: a Path too long for an ANSI
// program becomes its short form, which names the same file. False when it cannot be passed.
bool MakePathPassable(std::span<char, kEntryPathLimit + 1> path)
{
    if (!CanPassPathToProgram(TextView(path)))
        return false;
    if (TextLength(path) <= kLongestOpenablePath)
        return true;
    PathText shortForm;
    return ShortFormOfPath(TextView(path), shortForm) && CopyText(path, TextView(shortForm));
}

enum class SelectedPath { None, Refused, Ready };

// Reads the first selected row's Path in the form a program can open. A Path that cannot be
// passed is refused with the refusal text.
SelectedPath ReadPassableSelectedPath(std::span<char, kEntryPathLimit + 1> path, const char* refusal)
{
    if (!ReadSelectedPath(path))
        return SelectedPath::None;
    if (!MakePathPassable(path)) {
        ShowLauncherMessage(appState.mainWindow, refusal, MB_OK | MB_ICONEXCLAMATION);
        return SelectedPath::Refused;
    }
    return SelectedPath::Ready;
}

}  // namespace

LRESULT LaunchEditor(const char* parameter)
{
    if (StartProgram(appState.editorPath.data(), parameter, SW_SHOWMAXIMIZED, kEditorNotStartedText))
        SendMessageA(appState.mainWindow, WM_DESTROY, 0, 0);
    return 0;
}

bool ReadSelectedPath(std::span<char, kEntryPathLimit + 1> path)
{
    const int row = NextSelectedRow(-1);
    if (row < 0)
        return false;
    // The whole Path, up to 512 characters: a cut path would name another file, or none.
    ReadRowText(row, kPathColumn, path);
    return true;
}

bool CanPassPathToProgram(std::string_view path)
{
    // A drive's colon is the one reserved letter a Path holds; past it, each name must be one the
    // platform takes as it is, or the path names another file, or none.
    if (path.size() >= 2 && path[1] == ':')
        path.remove_prefix(2);
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find('\\', start);
        if (!PathHandlingTakesName(path.substr(start, end - start)))
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

bool LaunchEditorOnSelectedRow()
{
    std::array<char, kEntryPathLimit + 1> path;
    const SelectedPath selected = ReadPassableSelectedPath(path, kNameNotPassableText);
    if (selected == SelectedPath::Ready)
        LaunchEditor(path.data());
    return selected != SelectedPath::None;
}

void ViewSelectedFile()
{
    std::array<char, kEntryPathLimit + 1> path;
    if (appState.viewerPath[0] != '\0' && ReadPassableSelectedPath(path, kNameNotViewableText) == SelectedPath::Ready)
        StartProgram(appState.viewerPath.data(), path.data(), SW_SHOWNORMAL, kViewerNotStartedText);
}

void SelectAllRows()
{
    SetFocus(appState.resultsList);
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageA(appState.resultsList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

void OpenFileToEdit()
{
    OPENFILENAMEA dialog{};
    dialog.lStructSize = kOpenDialogRecordSize;
    dialog.hwndOwner = appState.mainWindow;
    dialog.hInstance = appState.instance;
    dialog.lpstrFilter = kOpenFilter;
    appState.openFileName[0] = '\0';
    dialog.lpstrFile = appState.openFileName.data();
    dialog.nMaxFile = static_cast<DWORD>(appState.openFileName.size());
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (GetOpenFileNameA(&dialog))
        LaunchEditor(appState.openFileName.data());
    else
        SetFocus(appState.resultsList);
}

void ChooseFolderAndRescan(HWND owner)
{
    PathText folder;
    AskForFolder(owner, folder);
    if (folder[0] == '\0') {
        SetFocus(appState.resultsList);
        return;
    }
    // Only one worker may use the worker's fields: a running scan is stopped first, and the
    // new one starts when its end has been handled.
    if (appState.scanThread) {
        CopyText(appState.pendingFolder, TextView(folder));
        RequestScanStop();
        return;
    }
    StartScanOf(TextView(folder));
}

bool StartPendingScan()
{
    if (appState.pendingFolder[0] == '\0')
        return false;
    PathText folder = appState.pendingFolder;
    appState.pendingFolder[0] = '\0';
    StartScanOf(TextView(folder));
    return true;
}
