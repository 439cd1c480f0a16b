// The goal benchmark: drives the real launcher under Wine from another process and times what a
// user waits for, against the floors no launcher can beat on this machine, in the same run.
//
// Once per run:
//   window floor   wine_window_floor.exe (a window program with the launcher's imports) from
//                  CreateProcess until its window exists, and its working set then.
// For each package folder (trawlbeck.exe and Vantrel.exe beside a generated tree):
//   walk floor     a bare FindFirstFileA/FindNextFileA walk of the same folder in this process.
//   start-to-list  CreateProcess of trawlbeck.exe until its list view holds min(100, n) rows; split
//                  into the time until the main window exists, the scan (until the list view is
//                  created, on WM_SCAN_DONE) and the fill; the wineserver's CPU meanwhile (Wine's
//                  figure for another process's own CPU time is not usable: it exceeds the wall time
//                  of both cores).
//   Show All       once the launcher's store list box holds every line (it takes a large scan's
//                  lines after the list shows; the time until then is printed as "store full"),
//                  PostMessage(WM_COMMAND 303) until the list holds all n rows; meanwhile a thread
//                  of the driver asks the main window to answer (WM_NULL) every few ms, and the
//                  longest wait for an answer is the longest the window went without answering.
//                  The launcher's working set and peak working set just before it (the store full)
//                  and just after it tell what Show All added to each.
//   list floor     a list view of the launcher's style in this process, told the count first, then
//                  given the same n rows of four texts with redraw off (Show All's floor).
// Medians of RUNS timed runs after one untimed warm-up go out as result lines; the start-to-list
// floor is window floor + walk floor. With --start-to-list only, Show All and the list floor are
// left out (at a million rows they take minutes under Wine); with --show-all only the launcher is
// run (start-to-list and Show All), without the floors.
//
// usage: wine_launch_driver.exe [--start-to-list | --show-all] RUNS PACKAGE SOURCES FILES [PACKAGE SOURCES FILES ...]
//   FILES counts every file below PACKAGE, the two programs included.
#include "bench/wine/bench_common.h"

#include <commctrl.h>
#include <psapi.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <string_view>

namespace {

constexpr const char* kProgram = "wine_launch_driver";
constexpr const char* kMainClass = "Trawlbeck_Class";
constexpr const char* kWindowFloorClass = "TrawlbeckBenchWindowFloor";
constexpr WPARAM kShowAllCommand = 303;
constexpr WPARAM kExitCommand = 5007;
constexpr unsigned long long kDefaultRows = 100;
constexpr double kLaunchTimeout = 900;  // seconds
constexpr UINT kSendTimeoutMs = 300000;
constexpr DWORD kExitTimeoutMs = 60000;
constexpr DWORD kPollMs = 5;  // each poll is a wineserver request that competes with the launcher's
constexpr DWORD kPingMs = 5;  // between the answer to one ping of the main window and the next
constexpr double kMiB = 1024.0 * 1024.0;

PROCESS_INFORMATION child{};  // the one child alive at a time, ended on failure
bool childRunning = false;
bool showAllToo = true;  // false with --start-to-list
bool floorsToo = true;   // false with --show-all

[[noreturn]] void Fail(const std::string& what)
{
    if (childRunning) {
        TerminateProcess(child.hProcess, 99);
        WaitForSingleObject(child.hProcess, 5000);
    }
    bench::Fail(kProgram, what.c_str());
}

void Start(const std::string& commandLine, const char* folder)
{
    child = PROCESS_INFORMATION{};
    if (!bench::StartProcess(commandLine.c_str(), folder, &child))
        Fail("cannot start " + commandLine + " (error " + std::to_string(GetLastError()) + ")");
    childRunning = true;
}

bool Ended()
{
    return WaitForSingleObject(child.hProcess, 0) == WAIT_OBJECT_0;
}

DWORD WaitForEnd()
{
    if (WaitForSingleObject(child.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0)
        Fail("a child did not end within a minute");
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    childRunning = false;
    return code;
}

HWND FindTopWindow(const char* className, DWORD processId)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

// The count a window of another process gives for countMessage (a list view's rows, a list box's
// lines); -1 when it does not answer.
long long CountOf(HWND window, UINT countMessage)
{
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(window, countMessage, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &count))
        return -1;
    return static_cast<long long>(count);
}

// PeakWorkingSetSize is a true peak under Wine; its PeakPagefileUsage is only the current figure.
PROCESS_MEMORY_COUNTERS MemoryCounters(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        Fail("GetProcessMemoryInfo failed (error " + std::to_string(GetLastError()) + ")");
    return counters;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// ---- floors ---------------------------------------------------------------------------------

double WindowFloor(const std::string& binFolder, double* workingSet)
{
    const double start = bench::Now();
    Start(Quoted(binFolder + "\\wine_window_floor.exe"), nullptr);
    HWND window = nullptr;
    while (!(window = FindTopWindow(kWindowFloorClass, child.dwProcessId))) {
        if (Ended() || bench::Now() - start > 60)
            Fail("wine_window_floor.exe showed no window");
        Sleep(kPollMs);
    }
    const double shown = bench::Now() - start;
    *workingSet = static_cast<double>(MemoryCounters(child.hProcess).WorkingSetSize);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForEnd() != 0)
        Fail("wine_window_floor.exe did not end with 0");
    return shown;
}

double WalkFloor(const std::string& package, unsigned long long sources, unsigned long long files)
{
    const double start = bench::Now();
    const bench::FloorCounts counts = bench::FloorWalk(package.c_str());
    const double seconds = bench::Now() - start;
    if (counts.sources != sources || counts.files != files)
        Fail("the floor walk saw " + std::to_string(counts.sources) + " sources in " + std::to_string(counts.files) +
             " files, expected " + std::to_string(sources) + " in " + std::to_string(files));
    return seconds;
}

// The four texts of each source row, zero-separated, as the list shows them.
struct RowTexts {
    std::vector<char> text;
    std::vector<std::array<std::size_t, 4>> rows;  // where each row's texts start
};

void CollectRows(const char* folder, RowTexts* out)
{
    const std::string pattern = std::string(folder) + "\\*";
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = std::string(folder) + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectRows(path.c_str(), out);
            continue;
        }
        if (!bench::HasSourceExtension(name.c_str(), name.size()))
            continue;
        FILETIME local;
        SYSTEMTIME t{};
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        FileTimeToSystemTime(&local, &t);
        char date[16], clock[16];
        std::snprintf(date, sizeof date, "%2u/%02u/%04u", t.wDay, t.wMonth, t.wYear);
        std::snprintf(clock, sizeof clock, "%2u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
        std::array<std::size_t, 4> at{};
        const std::array<const std::string, 4> texts = {name, date, clock, path};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            at[i] = out->text.size();
            out->text.insert(out->text.end(), texts[i].c_str(), texts[i].c_str() + texts[i].size() + 1);
        }
        out->rows.push_back(at);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// A list view of the launcher's style, columns and font on a shown window of this process.
HWND CreateFloorList(HWND* owner)
{
    *owner = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 262, 209, 500, 350, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ShowWindow(*owner, SW_SHOWNORMAL);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, nullptr, 0x50088009, 10, 0, 475, 260, *owner, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (!list)
        Fail("cannot create the floor's list view");
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT)), FALSE);
    const std::array<std::pair<const char*, int>, 4> columns = {
        {{"Filename", 150}, {"  Date", 95}, {"  Time", 85}, {"Path", 400}}};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_FMT;
        column.cx = columns[i].second;
        column.pszText = const_cast<char*>(columns[i].first);
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

// Fills a new list view with every row; the time from the count until it is drawn, and the
// working set the rows added.
double ListFloor(RowTexts& rows, double* addedBytes)
{
    HWND owner = nullptr;
    HWND list = CreateFloorList(&owner);
    PROCESS_MEMORY_COUNTERS before{}, after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    const double start = bench::Now();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, rows.rows.size(), 0);
    for (std::size_t r = 0; r < rows.rows.size(); ++r) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(r);
        item.pszText = rows.text.data() + rows.rows[r][0];
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < 4; ++column) {
            item.iSubItem = column;
            item.pszText = rows.text.data() + rows.rows[r][static_cast<std::size_t>(column)];
            SendMessageA(list, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&item));
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    UpdateWindow(list);
    const double seconds = bench::Now() - start;
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    *addedBytes = static_cast<double>(after.WorkingSetSize) - static_cast<double>(before.WorkingSetSize);
    if (CountOf(list, LVM_GETITEMCOUNT) != static_cast<long long>(rows.rows.size()))
        Fail("the floor's list view did not take every row");
    DestroyWindow(owner);
    return seconds;
}

// ---- the launcher ---------------------------------------------------------------------------

struct LaunchRun {
    double window = 0;       // CreateProcess until the main window exists
    double listCreated = 0;  // until the list view exists (the scan has ended)
    double listFull = 0;     // until it holds its rows: start-to-list
    double serverCpu = -1;   // the wineserver's CPU time from CreateProcess to start-to-list
    double storeFull = 0;    // until the store list box holds every line (with Show All only)
    double wsBeforeShowAll = 0;
    double peakWsBeforeShowAll = 0;
    double showAll = 0;     // Show All until every row is there
    double unanswered = 0;  // the longest the main window took to answer a ping during Show All
    double wsAfterShowAll = 0;
    double peakWs = 0;  // after Show All
};

// Pings a window from a thread of its own until stopped; the longest wait for an answer.
class WindowPinger {
public:
    explicit WindowPinger(HWND window)
        : thread_([this, window] {
              while (!stop_) {
                  const double sent = bench::Now();
                  DWORD_PTR answer = 0;
                  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &answer);
                  longest_ = std::max(longest_.load(), bench::Now() - sent);
                  Sleep(kPingMs);
              }
          })
    {
    }
    ~WindowPinger() { Stop(); }
    double Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return longest_;
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<double> longest_{0};
    std::thread thread_;
};

// Waits until window's count (countMessage) is rows.
void WaitForCount(HWND window, UINT countMessage, unsigned long long rows, double start, const char* stage)
{
    for (;;) {
        const long long count = CountOf(window, countMessage);
        if (count >= 0 && static_cast<unsigned long long>(count) == rows)
            return;
        if (Ended())
            Fail(std::string("the launcher ended during ") + stage);
        if (bench::Now() - start > kLaunchTimeout)
            Fail(std::string("no count of ") + std::to_string(rows) + " in time during " + stage + " (last count " +
                 std::to_string(count) + ")");
        Sleep(kPollMs);
    }
}

LaunchRun RunLauncher(const std::string& package, unsigned long long sources)
{
    LaunchRun result;
    const double serverStart = bench::ServerCpuSeconds();
    const double start = bench::Now();
    Start(Quoted(package + "\\trawlbeck.exe"), package.c_str());
    HWND main = nullptr;
    HWND list = nullptr;
    while (!list) {
        if (!main && (main = FindTopWindow(kMainClass, child.dwProcessId)) != nullptr)
            result.window = bench::Now() - start;
        if (main && (list = FindWindowExA(main, nullptr, "SysListView32", nullptr)) != nullptr)
            result.listCreated = bench::Now() - start;
        if (list)
            break;
        if (Ended())
            Fail("the launcher ended before its list appeared");
        if (bench::Now() - start > kLaunchTimeout)
            Fail("the launcher's list did not appear in time");
        Sleep(kPollMs);
    }
    WaitForCount(list, LVM_GETITEMCOUNT, sources < kDefaultRows ? sources : kDefaultRows, start, "start-up");
    result.listFull = bench::Now() - start;
    if (serverStart >= 0)
        result.serverCpu = bench::ServerCpuSeconds() - serverStart;

    // The store list box takes a large scan's lines after the list shows, while the window has
    // nothing else to do: Show All, the memory and the window's answers are measured once it holds
    // every line, so that they are Show All's alone.
    if (showAllToo) {
        constexpr int kStoreListId = 600;
        WaitForCount(GetDlgItem(main, kStoreListId), LB_GETCOUNT, sources, start, "the store's fill");
        result.storeFull = bench::Now() - start;
    }
    const PROCESS_MEMORY_COUNTERS before = MemoryCounters(child.hProcess);
    result.wsBeforeShowAll = static_cast<double>(before.WorkingSetSize);
    result.peakWsBeforeShowAll = static_cast<double>(before.PeakWorkingSetSize);
    if (showAllToo) {
        WindowPinger pinger(main);
        const double showAllStart = bench::Now();
        PostMessageA(main, WM_COMMAND, kShowAllCommand, 0);
        WaitForCount(list, LVM_GETITEMCOUNT, sources, showAllStart, "Show All");
        result.showAll = bench::Now() - showAllStart;
        result.unanswered = pinger.Stop();
    }
    const PROCESS_MEMORY_COUNTERS after = MemoryCounters(child.hProcess);
    result.wsAfterShowAll = static_cast<double>(after.WorkingSetSize);
    result.peakWs = static_cast<double>(after.PeakWorkingSetSize);

    PostMessageA(main, WM_COMMAND, kExitCommand, 0);
    if (const DWORD code = WaitForEnd(); code != 0)
        Fail("the launcher ended with exit code " + std::to_string(code));
    return result;
}

// Runs every measurement of one package RUNS times after a warm-up, interleaved so that a change
// of load hits each alike, and prints the medians.
void MeasurePackage(const std::string& binFolder, const std::string& package, unsigned long long sources,
                    unsigned long long files, int runs)
{
    RowTexts rows;
    if (showAllToo && floorsToo)
        CollectRows(package.c_str(), &rows);
    if (showAllToo && floorsToo && rows.rows.size() != sources)
        Fail("the floor's rows: " + std::to_string(rows.rows.size()) + " sources, expected " + std::to_string(sources));
    std::vector<double> windowFloor, windowWs, walkFloor, listFloor, listBytes, stl, window, scan, fill, server,
        wsBeforeShowAll, peakWsBeforeShowAll, showAll, unanswered, wsAfterShowAll, peakWs;
    for (int run = 0; run <= runs; ++run) {
        double ws = 0;
        const double w = floorsToo ? WindowFloor(binFolder, &ws) : 0;
        const double walk = floorsToo ? WalkFloor(package, sources, files) : 0;
        double bytes = 0;
        const double list = showAllToo && floorsToo ? ListFloor(rows, &bytes) : 0;
        const LaunchRun r = RunLauncher(package, sources);
        std::printf("  %-7s floor: window %6.1f + walk %7.1f ms, list view %7.1f ms | launcher: window %6.1f + scan "
                    "%7.1f + fill %5.1f = start-to-list %7.1f ms (wineserver CPU %6.1f ms); "
                    "Show All %7.1f ms, peak WS %6.1f MiB (%5.1f before Show All; list view's rows %6.1f, window "
                    "program %5.1f)\n",
                    run == 0 ? "warm-up" : ("run " + std::to_string(run)).c_str(), w * 1e3, walk * 1e3, list * 1e3,
                    r.window * 1e3, (r.listCreated - r.window) * 1e3, (r.listFull - r.listCreated) * 1e3,
                    r.listFull * 1e3, r.serverCpu * 1e3, r.showAll * 1e3, r.peakWs / kMiB, r.wsBeforeShowAll / kMiB,
                    bytes / kMiB, ws / kMiB);
        if (showAllToo)
            std::printf("          store full at %7.1f ms; Show All: longest unanswered %7.1f ms; working set %6.1f -> "
                        "%6.1f MiB, peak %6.1f -> %6.1f MiB\n",
                        r.storeFull * 1e3, r.unanswered * 1e3, r.wsBeforeShowAll / kMiB, r.wsAfterShowAll / kMiB,
                        r.peakWsBeforeShowAll / kMiB, r.peakWs / kMiB);
        std::fflush(stdout);
        if (run == 0)
            continue;
        windowFloor.push_back(w);
        windowWs.push_back(ws);
        walkFloor.push_back(walk);
        listFloor.push_back(list);
        listBytes.push_back(bytes);
        stl.push_back(r.listFull);
        window.push_back(r.window);
        scan.push_back(r.listCreated - r.window);
        fill.push_back(r.listFull - r.listCreated);
        server.push_back(r.serverCpu);
        wsBeforeShowAll.push_back(r.wsBeforeShowAll);
        peakWsBeforeShowAll.push_back(r.peakWsBeforeShowAll);
        showAll.push_back(r.showAll);
        unanswered.push_back(r.unanswered);
        wsAfterShowAll.push_back(r.wsAfterShowAll);
        peakWs.push_back(r.peakWs);
    }
    const std::array<std::pair<const char*, const std::vector<double>*>, 16> results = {{
        {"floor_window", &windowFloor},
        {"floor_window_ws", &windowWs},
        {"floor_walk", &walkFloor},
        {"floor_list", &listFloor},
        {"floor_list_bytes", &listBytes},
        {"stl", &stl},
        {"stl_window", &window},
        {"stl_scan", &scan},
        {"stl_fill", &fill},
        {"stl_server_cpu", &server},
        {"ws_before_showall", &wsBeforeShowAll},
        {"peak_ws_before_showall", &peakWsBeforeShowAll},
        {"showall", &showAll},
        {"showall_unanswered", &unanswered},
        {"ws_after_showall", &wsAfterShowAll},
        {"peak_ws", &peakWs},
    }};
    for (const auto& [key, values] : results) {
        const std::string_view name = key;
        const bool ofShowAll = name.starts_with("showall") || name == "ws_after_showall" ||
                               name == "floor_list" || name == "floor_list_bytes" || name == "peak_ws";
        const bool ofFloors = name.starts_with("floor");
        if ((showAllToo || !ofShowAll) && (floorsToo || !ofFloors))
            bench::Result(key, sources, bench::Median(*values));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && (std::string_view(argv[1]) == "--start-to-list" || std::string_view(argv[1]) == "--show-all")) {
        showAllToo = std::string_view(argv[1]) == "--show-all";
        floorsToo = !showAllToo;
        --argc;
        ++argv;
    }
    if (argc < 5 || (argc - 2) % 3 != 0)
        bench::Fail(kProgram, "usage: wine_launch_driver.exe [--start-to-list | --show-all] RUNS PACKAGE SOURCES "
                              "FILES [PACKAGE SOURCES FILES ...]");
    const int runs = static_cast<int>(bench::ParseCount(kProgram, argv[1]));
    if (runs < 1)
        bench::Fail(kProgram, "RUNS must be at least 1");
    char binFolder[MAX_PATH];
    bench::OwnFolder(binFolder, sizeof binFolder);
    InitCommonControls();
    for (int i = 2; i + 2 < argc; i += 3) {
        const std::string package = argv[i];
        const unsigned long long sources = bench::ParseCount(kProgram, argv[i + 1]);
        const unsigned long long files = bench::ParseCount(kProgram, argv[i + 2]);
        std::printf("\n%s: %llu sources in %llu files\n", package.c_str(), sources, files);
        std::fflush(stdout);
        MeasurePackage(binFolder, package, sources, files, runs);
    }
    return 0;
}
