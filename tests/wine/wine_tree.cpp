#include "wine_tree.h"

#include "catalogue/bounded_text.h"
#include "catalogue/folder_scan.h"
#include "catalogue/source_store.h"
#include "catalogue/source_store_win.h"

namespace {

constexpr char kTreeRoot[] = "C:\\trawlbeck-wine";
// CreateDirectoryA leaves room for an 8.3 name below the folder.
constexpr std::size_t kAnsiFolderLimit = MAX_PATH - 12;

// The ANSI text of the tests (ASCII) as wide characters.
std::wstring Widened(const std::string& text)
{
    std::wstring wide;
    for (char c : text)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

std::wstring LongPath(const std::string& path)
{
    return L"\\\\?\\" + Widened(path);
}

std::string Narrow(const std::wstring& wide)
{
    std::string narrow;
    for (wchar_t c : wide)
        narrow.push_back(static_cast<char>(c));
    return narrow;
}

void RemoveTreeWide(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_TRUE(DeleteFileW(path.c_str())) << Narrow(path) << ": error " << GetLastError();
        return;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..")
                RemoveTreeWide(path + L"\\" + name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(RemoveDirectoryW(path.c_str())) << Narrow(path) << ": error " << GetLastError();
}

DWORD WINAPI ScanWorker(void* folder)
{
    FolderScan(*static_cast<PathText*>(folder));
    StoreFlush();
    return 0;
}

// The owner of the store list stands in for the main window: it takes the store's batches.
LRESULT CALLBACK StoreOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_STORE_BATCH) {
        StoreTakeBatch(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* StoreOwnerClass()
{
    static const ATOM registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = StoreOwnerProc;
        windowClass.lpszClassName = "TrawlbeckTestStoreOwner";
        return RegisterClassA(&windowClass);
    }();
    return registered ? "TrawlbeckTestStoreOwner" : nullptr;
}

}  // namespace

FILETIME UtcFileTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD milliseconds)
{
    SYSTEMTIME utc{};
    utc.wYear = year;
    utc.wMonth = month;
    utc.wDay = day;
    utc.wHour = hour;
    utc.wMinute = minute;
    utc.wSecond = second;
    utc.wMilliseconds = milliseconds;
    FILETIME time{};
    EXPECT_TRUE(SystemTimeToFileTime(&utc, &time));
    return time;
}

void MakeFolder(const std::string& path)
{
    const BOOL made = path.size() < kAnsiFolderLimit ? CreateDirectoryA(path.c_str(), nullptr)
                                                     : CreateDirectoryW(LongPath(path).c_str(), nullptr);
    ASSERT_TRUE(made) << path << ": error " << GetLastError();
}

void MakeFolder(const std::wstring& path)
{
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << Narrow(path) << ": error " << GetLastError();
}

void MakeFile(const std::wstring& path, const FILETIME& lastWrite)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(path) << ": error " << GetLastError();
    const char content[] = "; source\r\n";
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, content, sizeof content - 1, &written, nullptr));
    // Set last, since the write above changes the time.
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &lastWrite)) << Narrow(path);
    CloseHandle(file);
}

void MakeFile(const std::string& path, const FILETIME& lastWrite)
{
    MakeFile(path.size() < MAX_PATH ? Widened(path) : LongPath(path), lastWrite);
}

void RemoveTree(const std::string& path)
{
    RemoveTreeWide(LongPath(path));
}

void StoreListTest::SetUp()
{
    ResetAppState();
    ASSERT_NE(StoreOwnerClass(), nullptr) << "error " << GetLastError();
    owner_ = CreateWindowExA(0, StoreOwnerClass(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner_, nullptr) << "error " << GetLastError();
    appState.mainWindow = owner_;
    appState.storeList = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_SORT | LBS_HASSTRINGS | LBS_NOSEL, 0, 0, 0,
                                         0, owner_, reinterpret_cast<HMENU>(600), nullptr, nullptr);
    ASSERT_NE(appState.storeList, nullptr) << "error " << GetLastError();
}

void StoreListTest::TearDown()
{
    if (owner_)
        DestroyWindow(owner_);
}

std::vector<std::string> StoreListTest::StoreLines()
{
    std::vector<std::string> lines;
    EntryText line;
    const int count = StoreCount();
    for (int i = 0; i < count; ++i) {
        EXPECT_GE(StoreGet(i, line), 0) << "line " << i;
        lines.emplace_back(line.data());
    }
    return lines;
}

void WineTreeTest::SetUp()
{
    StoreListTest::SetUp();
    if (HasFatalFailure())
        return;
    root_ = kTreeRoot;
    RemoveTree(root_);
    MakeFolder(root_);
}

void WineTreeTest::TearDown()
{
    RemoveTree(root_);
    StoreListTest::TearDown();
}

std::wstring WineTreeTest::Path(const std::wstring& relative) const
{
    return Widened(root_) + L"\\" + relative;
}

void StoreListTest::RunOnWorker(LPTHREAD_START_ROUTINE work, void* parameter)
{
    HANDLE worker = CreateThread(nullptr, 0, work, parameter, 0, nullptr);
    ASSERT_NE(worker, nullptr) << "error " << GetLastError();
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    CloseHandle(worker);
}

void WineTreeTest::Scan(const std::string& folder)
{
    PathText buffer{};
    ASSERT_TRUE(CopyText(buffer, folder)) << folder;
    RunOnWorker(ScanWorker, &buffer);
}
