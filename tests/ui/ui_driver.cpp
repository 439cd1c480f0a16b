#include "ui_driver.h"

#include <commctrl.h>

#include <array>
#include <cstdio>
#include <set>

namespace ui {

namespace {

std::string programFolder;

constexpr std::size_t kCellCapacity = 1024;  // a Path can reach 512 characters
constexpr std::int64_t kFileTimeTicksPerSecond = 10000000;

std::wstring Widen(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// The ANSI file functions stop at 260 characters; the "\\?\" form of the wide ones does not.
std::wstring LongPath(const std::string& path)
{
    return L"\\\\?\\" + Widen(path);
}

SYSTEMTIME ToSystemTime(const LocalTime& time)
{
    SYSTEMTIME system{};
    system.wYear = static_cast<WORD>(time.year);
    system.wMonth = static_cast<WORD>(time.month);
    system.wDay = static_cast<WORD>(time.day);
    system.wHour = static_cast<WORD>(time.hour);
    system.wMinute = static_cast<WORD>(time.minute);
    system.wSecond = static_cast<WORD>(time.second);
    return system;
}

std::string Format(const char* format, int a, int b, int c)
{
    char text[32];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

}  // namespace

void SetProgramFolder(const std::string& folder)
{
    programFolder = folder;
}

const std::string& ProgramFolder()
{
    return programFolder;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG start = GetTickCount64();
    while (!condition()) {
        if (GetTickCount64() - start >= timeoutMs)
            return condition();
        Sleep(10);
    }
    return true;
}

LocalTime AddSeconds(const LocalTime& time, std::int64_t seconds)
{
    const SYSTEMTIME system = ToSystemTime(time);
    FILETIME fileTime;
    SystemTimeToFileTime(&system, &fileTime);
    ULARGE_INTEGER ticks;
    ticks.LowPart = fileTime.dwLowDateTime;
    ticks.HighPart = fileTime.dwHighDateTime;
    ticks.QuadPart += static_cast<ULONGLONG>(seconds * kFileTimeTicksPerSecond);
    fileTime.dwLowDateTime = ticks.LowPart;
    fileTime.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME later;
    FileTimeToSystemTime(&fileTime, &later);
    return {later.wYear, later.wMonth, later.wDay, later.wHour, later.wMinute, later.wSecond};
}

std::string DateText(const LocalTime& time)
{
    return Format("%2d/%02d/%04d", time.day, time.month, time.year);
}

std::string TimeText(const LocalTime& time)
{
    return Format("%2d:%02d:%02d", time.hour, time.minute, time.second);
}

bool MakeFolders(const std::string& path)
{
    for (std::size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        const std::string part = path.substr(0, at);
        if (!CreateDirectoryW(LongPath(part).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (at == std::string::npos)
            return true;
    }
}

bool WriteFileAt(const std::string& path, const LocalTime& lastWrite)
{
    return WriteFileAt(LongPath(path), lastWrite);
}

bool WriteFileAt(const std::wstring& path, const LocalTime& lastWrite)
{
    const SYSTEMTIME local = ToSystemTime(lastWrite);
    SYSTEMTIME utc;
    FILETIME fileTime;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &fileTime))
        return false;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static const char kContent[] = "; test source\r\n";
    DWORD written = 0;
    bool ok = WriteFile(file, kContent, sizeof kContent - 1, &written, nullptr) != 0;
    ok = SetFileTime(file, nullptr, nullptr, &fileTime) != 0 && ok;
    return CloseHandle(file) != 0 && ok;
}

bool CopyProgram(const std::string& exeName, const std::string& toFolder)
{
    const std::string from = programFolder + "\\" + exeName;
    const std::string to = toFolder + "\\" + exeName;
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

std::string PassedPath(const std::string& path)
{
    if (path.size() < MAX_PATH)
        return path;
    std::array<wchar_t, 1024> wide{};
    if (!GetShortPathNameW(LongPath(path).c_str(), wide.data(), static_cast<DWORD>(wide.size())))
        return "";
    std::array<char, 1024> narrow{};
    WideCharToMultiByte(CP_ACP, 0, wide.data() + 4, -1, narrow.data(), static_cast<int>(narrow.size()), nullptr, nullptr);
    return narrow.data();
}

std::set<std::string> ImportedDlls(const std::string& exePath)
{
    std::set<std::string> names;
    const HMODULE image = LoadLibraryExA(exePath.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!image)
        return names;
    const auto* base = reinterpret_cast<const char*>(image);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         imports.Size != 0 && entry->Name != 0; ++entry) {
        std::string name = base + entry->Name;
        CharLowerA(name.data());
        names.insert(name);
    }
    FreeLibrary(image);
    return names;
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

bool RemoveTreeOnce(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    bool ok = true;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring full = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ok = RemoveTreeOnce(full) && ok;
            } else if (!DeleteFileW(full.c_str())) {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ok = DeleteFileW(full.c_str()) && ok;
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return RemoveDirectoryW(path.c_str()) && ok;
}

}  // namespace

bool RemoveTree(const std::string& path)
{
    const std::wstring longPath = LongPath(path);
    return WaitUntil([&] { return RemoveTreeOnce(longPath) || !PathExists(path); }, 5000);
}

LauncherProcess::~LauncherProcess()
{
    Release();
}

void LauncherProcess::Release()
{
    Terminate();
    if (info_.hProcess)
        CloseHandle(info_.hProcess);
    if (info_.hThread)
        CloseHandle(info_.hThread);
    info_ = {};
}

bool LauncherProcess::Start(const std::string& exePath, const std::string& logPath, const std::string& workFolder,
                            std::string* error)
{
    Release();
    // The stand-ins the launcher starts inherit these, and so log and end at once.
    SetEnvironmentVariableA("TRAWLBECK_STANDIN_LOG", logPath.c_str());
    SetEnvironmentVariableA("TRAWLBECK_STANDIN_EXIT", "1");
    std::string commandLine = "\"" + exePath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workFolder.c_str(), &startup, &info_)) {
        *error = "CreateProcess(" + exePath + ") failed with error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

HWND LauncherProcess::WaitForMainWindow(DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w = FindWindowExA(nullptr, nullptr, "Trawlbeck_Class", nullptr); w;
                 w = FindWindowExA(nullptr, w, "Trawlbeck_Class", nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == info_.dwProcessId && IsWindowVisible(w)) {
                    found = w;
                    return true;
                }
            }
            return !Running();
        },
        timeoutMs);
    return found;
}

bool LauncherProcess::WaitForExit(DWORD timeoutMs, DWORD* code)
{
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(info_.hProcess, code);
    return true;
}

bool LauncherProcess::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void LauncherProcess::Terminate()
{
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

std::string WindowText(HWND window)
{
    char text[2048] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             5000, &length))
        return "<no answer to WM_GETTEXT>";
    return std::string(text, length < sizeof text ? length : sizeof text - 1);
}

std::string ClassName(HWND window)
{
    char name[256];
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

namespace {

struct DialogSearch {
    DWORD processId;
    const char* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || ClassName(window) != "#32770")
        return TRUE;
    if (!search->caption || WindowText(window) == search->caption)
        search->found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    const char* className;
    int id;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM data)
{
    ChildSearch* search = reinterpret_cast<ChildSearch*>(data);
    if (ClassName(window) == search->className && (search->id == -1 || GetDlgCtrlID(window) == search->id))
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

HWND FindDialog(DWORD processId, const char* caption)
{
    DialogSearch search{processId, caption, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found.empty() ? nullptr : search.found.front();
}

std::vector<std::string> DialogCaptions(DWORD processId)
{
    DialogSearch search{processId, nullptr, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    std::vector<std::string> captions;
    for (HWND dialog : search.found)
        captions.push_back(WindowText(dialog));
    return captions;
}

std::vector<HWND> FindDescendants(HWND parent, const char* className, int id)
{
    ChildSearch search{className, id, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindResultsList(HWND main)
{
    return FindWindowExA(main, nullptr, WC_LISTVIEWA, nullptr);
}

HWND FindProgressBar(HWND main)
{
    const HWND child = GetDlgItem(main, 1);
    return child && ClassName(child) == PROGRESS_CLASSA ? child : nullptr;
}

namespace {

// The item texts of a combo box or list box of another process, given its three messages.
std::vector<std::string> ItemTexts(HWND window, UINT countMessage, UINT lengthMessage, UINT textMessage)
{
    // Wine carries list texts of another process as UTF-16 only: ask for them in UTF-16.
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(window, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(window, lengthMessage, static_cast<WPARAM>(i), 0);
        if (length < 0 || length > 1024) {
            items.push_back("<unreadable>");
            continue;
        }
        std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(window, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()));
        wide.resize(static_cast<std::size_t>(length));
        char narrow[2048] = {};
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
        items.push_back(narrow);
    }
    return items;
}

}  // namespace

std::vector<std::string> ComboItems(HWND combo)
{
    return ItemTexts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

RECT RectInParent(HWND child)
{
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RemoteMemory::RemoteMemory(HANDLE process, std::size_t size)
    : process_(process), at_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
{
}

RemoteMemory::~RemoteMemory()
{
    if (at_)
        VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
}

bool RemoteMemory::Write(std::size_t offset, const void* data, std::size_t size)
{
    SIZE_T done = 0;
    return WriteProcessMemory(process_, at() + offset, data, size, &done) && done == size;
}

bool RemoteMemory::Read(std::size_t offset, void* data, std::size_t size) const
{
    SIZE_T done = 0;
    return ReadProcessMemory(process_, at() + offset, data, size, &done) && done == size;
}

int RowCount(HWND list)
{
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string CellText(HANDLE process, HWND list, int row, int column)
{
    RemoteMemory memory(process, sizeof(LVITEMA) + kCellCapacity);
    if (!memory.ok())
        return "<no memory in the launcher>";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = memory.at() + sizeof(LVITEMA);
    item.cchTextMax = static_cast<int>(kCellCapacity);
    const char empty = '\0';
    memory.Write(0, &item, sizeof item);
    memory.Write(sizeof(LVITEMA), &empty, 1);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.at()));
    char text[kCellCapacity];
    if (!memory.Read(sizeof(LVITEMA), text, sizeof text))
        return "<unreadable>";
    text[kCellCapacity - 1] = '\0';
    return text;
}

std::vector<Row> ReadRows(HANDLE process, HWND list)
{
    std::vector<Row> rows;
    const int count = RowCount(list);
    for (int i = 0; i < count; ++i)
        rows.push_back({CellText(process, list, i, 0), CellText(process, list, i, 1), CellText(process, list, i, 2),
                        CellText(process, list, i, 3)});
    return rows;
}

std::string ColumnHeading(HANDLE process, HWND list, int column)
{
    RemoteMemory memory(process, sizeof(LVCOLUMNA) + kCellCapacity);
    if (!memory.ok())
        return "<no memory in the launcher>";
    LVCOLUMNA heading{};
    heading.mask = LVCF_TEXT;
    heading.pszText = memory.at() + sizeof(LVCOLUMNA);
    heading.cchTextMax = static_cast<int>(kCellCapacity);
    memory.Write(0, &heading, sizeof heading);
    if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(memory.at())))
        return "<no column " + std::to_string(column) + ">";
    char text[kCellCapacity];
    if (!memory.Read(sizeof(LVCOLUMNA), text, sizeof text))
        return "<unreadable>";
    text[kCellCapacity - 1] = '\0';
    return text;
}

int ColumnWidth(HWND list, int column)
{
    return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

int TextWidth(HANDLE process, HWND list, const std::string& text)
{
    RemoteMemory memory(process, text.size() + 1);
    if (!memory.ok() || !memory.Write(0, text.c_str(), text.size() + 1))
        return -1;
    return static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(memory.at())));
}

int FindRowByPath(HANDLE process, HWND list, const std::string& path)
{
    const int count = RowCount(list);
    for (int i = 0; i < count; ++i)
        if (CellText(process, list, i, 3) == path)
            return i;
    return -1;
}

namespace {

// Every event carries the point: a button event alone would use wherever the cursor is, and the
// cursor of a newly started Wine process is not where it was last put.
void SendMouseAt(POINT at, DWORD flags)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (at.x * 65536 + width - 1) / width;
    input.mi.dy = (at.y * 65536 + height - 1) / height;
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

bool CursorAt(POINT at)
{
    POINT now{};
    return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
}

// Moves the cursor to a point of the screen where window (its frame, caption or menu bar included)
// is on top.
bool MoveToScreenPoint(HWND window, POINT point, std::string* error)
{
    if (WindowFromPoint(point) != window) {
        *error = "another window covers the point to click";
        return false;
    }
    SendMouseAt(point, 0);
    if (!WaitUntil([&] { return CursorAt(point); }, 2000)) {
        *error = "the cursor did not move to the point to click";
        return false;
    }
    return true;
}

// Moves the cursor to a point of the window's client area that the window itself shows; the
// point in screen coordinates.
bool MoveTo(HWND window, POINT* point, std::string* error)
{
    RECT client{};
    GetClientRect(window, &client);
    if (!PtInRect(&client, *point)) {
        *error = "the point (" + std::to_string(point->x) + "," + std::to_string(point->y) + ") is outside the window";
        return false;
    }
    ClientToScreen(window, point);
    return MoveToScreenPoint(window, *point, error);
}

void Click(POINT at, MouseButton button)
{
    SendMouseAt(at, button == MouseButton::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
    SendMouseAt(at, button == MouseButton::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
}

}  // namespace

bool DoubleClickAt(HWND window, POINT point, std::string* error)
{
    if (!MoveTo(window, &point, error))
        return false;
    for (int click = 0; click < 2; ++click)
        Click(point, MouseButton::Left);
    return true;
}

bool ClickAt(HWND window, POINT point, MouseButton button, std::string* error)
{
    if (!MoveTo(window, &point, error))
        return false;
    Click(point, button);
    return true;
}

bool ClickMenuBar(HWND window, int x, std::string* error)
{
    POINT clientOrigin = {0, 0};
    ClientToScreen(window, &clientOrigin);
    const POINT at = {clientOrigin.x + x, clientOrigin.y - GetSystemMetrics(SM_CYMENU) / 2};
    if (!MoveToScreenPoint(window, at, error))
        return false;
    Click(at, MouseButton::Left);
    return true;
}

void TypeKey(WORD virtualKey, WORD modifier)
{
    const WORD order[4] = {modifier, virtualKey, virtualKey, modifier};
    INPUT keys[4] = {};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki = {order[i], 0, i < 2 ? 0u : KEYEVENTF_KEYUP, 0, 0};
    }
    SendInput(modifier ? 4 : 2, modifier ? keys : keys + 1, sizeof keys[0]);
}

bool RowRect(HANDLE process, HWND list, int row, RECT* rect)
{
    RemoteMemory memory(process, sizeof(RECT));
    *rect = {};
    rect->left = LVIR_LABEL;
    return memory.ok() && memory.Write(0, rect, sizeof *rect) &&
           SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.at())) &&
           memory.Read(0, rect, sizeof *rect);
}

namespace {

// The centre of a row's first column, scrolled into view, in the list's client coordinates.
bool RowCentre(HANDLE process, HWND list, int row, POINT* centre, std::string* error)
{
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT rect{};
    if (!RowRect(process, list, row, &rect)) {
        *error = "could not read the rectangle of row " + std::to_string(row);
        return false;
    }
    *centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return true;
}

}  // namespace

bool DoubleClickRow(HANDLE process, HWND list, int row, std::string* error)
{
    POINT centre{};
    if (!RowCentre(process, list, row, &centre, error))
        return false;
    if (!DoubleClickAt(list, centre, error)) {
        *error = "row " + std::to_string(row) + ": " + *error;
        return false;
    }
    return true;
}

bool ClickRow(HANDLE process, HWND list, int row, MouseButton button, std::string* error)
{
    POINT centre{};
    if (!RowCentre(process, list, row, &centre, error))
        return false;
    if (!ClickAt(list, centre, button, error)) {
        *error = "row " + std::to_string(row) + ": " + *error;
        return false;
    }
    return true;
}

std::vector<int> SelectedRows(HWND list)
{
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                MAKELPARAM(LVNI_SELECTED, 0)))) >= 0)
        rows.push_back(row);
    return rows;
}

bool SelectRows(HANDLE process, HWND list, const std::vector<int>& rows)
{
    RemoteMemory memory(process, sizeof(LVITEMA));
    if (!memory.ok())
        return false;
    auto setState = [&](int row, UINT state) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = state;
        return memory.Write(0, &item, sizeof item) &&
               SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.at()));
    };
    bool ok = setState(-1, 0);
    for (int row : rows)
        ok = setState(row, LVIS_SELECTED) && ok;
    return ok;
}

namespace {

BOOL CALLBACK CollectPopupMenu(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<std::pair<DWORD, HWND>*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->first && IsWindowVisible(window) && ClassName(window) == "#32768") {
        search->second = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindPopupMenu(DWORD processId)
{
    std::pair<DWORD, HWND> search{processId, nullptr};
    EnumWindows(CollectPopupMenu, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

bool ClickPopupItem(HWND popup, int index, int count, std::string* error)
{
    RECT client{};
    GetClientRect(popup, &client);
    const int itemHeight = (client.bottom - client.top) / count;
    const POINT centre = {(client.left + client.right) / 2, client.top + itemHeight * index + itemHeight / 2};
    return ClickAt(popup, centre, MouseButton::Left, error);
}

std::vector<std::string> ListBoxLines(HWND list)
{
    return ItemTexts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

bool ReadClipboard(UINT format, std::string* bytes)
{
    bytes->clear();
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000))
        return false;
    const HANDLE data = GetClipboardData(format);
    const void* at = data ? GlobalLock(data) : nullptr;
    if (at) {
        bytes->assign(static_cast<const char*>(at), GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return at != nullptr;
}

bool EmptyTheClipboard()
{
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000))
        return false;
    const bool emptied = EmptyClipboard() != FALSE;
    return CloseClipboard() && emptied;
}

int DistinctColours(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::set<std::uint32_t> colours;
    if (bitmap) {
        const HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            GdiFlush();
            const std::uint32_t* pixel = static_cast<const std::uint32_t*>(bits);
            for (int i = 0; i < width * height; ++i)
                colours.insert(pixel[i] & 0xFFFFFF);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return static_cast<int>(colours.size());
}

namespace {

std::string SelectedTreeText(HANDLE process, HWND tree)
{
    const LRESULT item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (!item)
        return std::string();
    RemoteMemory memory(process, sizeof(TVITEMA) + kCellCapacity);
    if (!memory.ok())
        return std::string();
    TVITEMA request{};
    request.mask = TVIF_TEXT;
    request.hItem = reinterpret_cast<HTREEITEM>(item);
    request.pszText = memory.at() + sizeof(TVITEMA);
    request.cchTextMax = static_cast<int>(kCellCapacity);
    char text[kCellCapacity] = {};
    if (!memory.Write(0, &request, sizeof request) ||
        !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.at())) ||
        !memory.Read(sizeof(TVITEMA), text, sizeof text))
        return std::string();
    text[kCellCapacity - 1] = '\0';
    return text;
}

}  // namespace

bool SelectInFolderBrowser(HANDLE process, HWND browser, const std::string& folder, std::string* error)
{
    const HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    RemoteMemory path(process, folder.size() + 1);
    if (!tree || !path.ok() || !path.Write(0, folder.c_str(), folder.size() + 1)) {
        *error = "could not reach the folder browser's tree or write the path into the launcher";
        return false;
    }
    // Wine's browser often misses the first request while it is still filling the tree: repeat it
    // until the tree's selection is the folder itself.
    constexpr UINT kSetSelection = WM_USER + 102;  // BFFM_SETSELECTIONA
    const std::string name = folder.substr(folder.rfind('\\') + 1);
    std::string selected;
    const bool done = WaitUntil(
        [&] {
            SendMessageA(browser, kSetSelection, TRUE, reinterpret_cast<LPARAM>(path.at()));
            selected = SelectedTreeText(process, tree);
            return selected == name;
        },
        5000);
    if (!done)
        *error = "expected the folder browser to select " + Shown(folder) + "; its selection is " + Shown(selected);
    return done;
}

std::vector<StandinCall> ReadStandinLog(const std::string& logPath, bool* wellFormed)
{
    *wellFormed = true;
    std::vector<StandinCall> calls;
    const HANDLE file = CreateFileA(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return calls;
    std::string content;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        content.append(chunk, got);
    CloseHandle(file);

    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find("\r\n", start);
        if (end == std::string::npos) {
            *wellFormed = false;
            break;
        }
        const std::string line = content.substr(start, end - start);
        start = end + 2;
        const std::size_t bar1 = line.find('|');
        const std::size_t bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
        if (bar2 == std::string::npos) {
            *wellFormed = false;
            continue;
        }
        StandinCall call;
        call.program = line.substr(0, bar1);
        call.show = std::atoi(line.substr(bar1 + 1, bar2 - bar1 - 1).c_str());
        call.tail = line.substr(bar2 + 1);
        calls.push_back(call);
    }
    return calls;
}

std::vector<StandinCall> WaitForStandinCalls(const std::string& logPath, DWORD timeoutMs, bool* wellFormed)
{
    std::vector<StandinCall> calls;
    WaitUntil(
        [&] {
            calls = ReadStandinLog(logPath, wellFormed);
            return !calls.empty();
        },
        timeoutMs);
    return calls;
}

std::string Shown(const std::string& text)
{
    std::string shown = "\"";
    for (unsigned char c : text) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\\')
            shown += "\\\\";
        else if (c == '"')
            shown += "\\\"";
        else if (c < 0x20 || c >= 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            shown += escape;
        } else
            shown += static_cast<char>(c);
    }
    return shown + "\"";
}

}  // namespace ui
