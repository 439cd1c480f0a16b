// Drives the real launcher under Wine from another process and times what a user waits for.
//
// For each package folder (trawlbeck.exe and Vantrel.exe beside a generated tree):
//   start-to-list  CreateProcess of trawlbeck.exe until its list view (class SysListView32, child
//                  of the "Trawlbeck_Class" window) holds min(100, n) rows; split into the time
//                  until the main window exists, the scan (until the list view is created, on
//                  WM_SCAN_DONE) and the fill. Polled every POLL_MS: FindWindowEx, then LVM_GETITEMCOUNT.
//   Show All       PostMessage(WM_COMMAND 303) until the list holds all n rows.
//   memory         GetProcessMemoryInfo of the launcher after the list is shown, and again after
//                  Show All, just before PostMessage(WM_COMMAND 5007) asks it to exit.
//   floor          the bare FindFirstFileA/FindNextFileA walk of the same folder in this process,
//                  and wine_floor_walk.exe as a process (start + walk + exit).
// Once per run: wine_nop.exe (a console program that returns at once) from CreateProcess to its
// end, and wine_window_nop.exe (a window like the launcher's) and wine_imports_nop.exe (the same
// with the launcher's other DLL imports) until their window exists, with their memory, so the
// fixed cost of a Wine process is visible.
//
// Each measurement: one untimed warm-up, then RUNS timed runs; medians go out as result lines.
//
// The polling is not free under Wine: each FindWindowEx is a wineserver request, and the server also
// carries the launcher's cross-thread messages. The driver measures what one poll costs first.
//
// usage: wine_launch_driver.exe RUNS POLL_MS PACKAGE SOURCES FILES [PACKAGE SOURCES FILES ...]
//   POLL_MS is the polling interval (1 to 5); FILES counts every file below PACKAGE, the two
//   programs included.
#include "bench/wine/bench_common.h"

#include <commctrl.h>
#include <psapi.h>

#include <string>

namespace {

constexpr const char* kProgram = "wine_launch_driver";
constexpr const char* kMainClass = "Trawlbeck_Class";
constexpr const char* kWindowNopClass = "TrawlbeckBenchWindowNop";
constexpr WPARAM kShowAllCommand = 303;
constexpr WPARAM kExitCommand = 5007;
constexpr unsigned long long kDefaultRows = 100;
constexpr double kLaunchTimeout = 900;  // seconds; a 100,000-file scan takes minutes at worst
constexpr UINT kSendTimeoutMs = 300000;
constexpr DWORD kExitTimeoutMs = 60000;
constexpr double kMiB = 1024.0 * 1024.0;

struct Process {
    PROCESS_INFORMATION info{};
    bool running = false;
};

Process current;  // the one child alive at a time, ended on failure
DWORD pollMs = 1;

[[noreturn]] void Fail(const std::string& what)
{
    if (current.running) {
        TerminateProcess(current.info.hProcess, 99);
        WaitForSingleObject(current.info.hProcess, 5000);
    }
    bench::Fail(kProgram, what.c_str());
}

void Start(const std::string& commandLine, const char* folder)
{
    current = Process{};
    if (!bench::StartProcess(commandLine.c_str(), folder, &current.info))
        Fail("cannot start " + commandLine + " (error " + std::to_string(GetLastError()) + ")");
    current.running = true;
}

bool Ended()
{
    return WaitForSingleObject(current.info.hProcess, 0) == WAIT_OBJECT_0;
}

DWORD WaitForEnd(DWORD timeoutMs)
{
    if (WaitForSingleObject(current.info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        Fail("a child did not end within " + std::to_string(timeoutMs) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(current.info.hProcess, &code);
    CloseHandle(current.info.hThread);
    CloseHandle(current.info.hProcess);
    current.running = false;
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

long long ItemCount(HWND list)
{
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &count))
        return -1;
    return static_cast<long long>(count);
}

PROCESS_MEMORY_COUNTERS Memory(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        Fail("GetProcessMemoryInfo failed (error " + std::to_string(GetLastError()) + ")");
    return counters;
}

double MiB(SIZE_T bytes)
{
    return static_cast<double>(bytes) / kMiB;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// ---- what the counters mean under this Wine -------------------------------------------------

// A peak counter must keep a block that was touched and freed again; reports whether each does.
void CheckMemoryCounters()
{
    constexpr SIZE_T kBlock = 64u << 20;
    const PROCESS_MEMORY_COUNTERS before = Memory(GetCurrentProcess());
    void* block = VirtualAlloc(nullptr, kBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block)
        Fail("cannot allocate the memory check's block");
    std::memset(block, 1, kBlock);
    const PROCESS_MEMORY_COUNTERS during = Memory(GetCurrentProcess());
    VirtualFree(block, 0, MEM_RELEASE);
    const PROCESS_MEMORY_COUNTERS after = Memory(GetCurrentProcess());
    const auto keeps = [](SIZE_T peakAfter, SIZE_T duringValue) { return peakAfter + kBlock / 2 >= duringValue; };
    std::printf("memory counters (64 MiB touched, then freed, in this process):\n"
                "  WorkingSet       %7.1f -> %7.1f -> %7.1f MiB;  PeakWorkingSet  %7.1f -> %7.1f -> %7.1f MiB: %s\n"
                "  PagefileUsage    %7.1f -> %7.1f -> %7.1f MiB;  PeakPagefile    %7.1f -> %7.1f -> %7.1f MiB: %s\n",
                MiB(before.WorkingSetSize), MiB(during.WorkingSetSize), MiB(after.WorkingSetSize),
                MiB(before.PeakWorkingSetSize), MiB(during.PeakWorkingSetSize), MiB(after.PeakWorkingSetSize),
                keeps(after.PeakWorkingSetSize, during.WorkingSetSize) ? "a true peak" : "NOT a peak (current value)",
                MiB(before.PagefileUsage), MiB(during.PagefileUsage), MiB(after.PagefileUsage),
                MiB(before.PeakPagefileUsage), MiB(during.PeakPagefileUsage), MiB(after.PeakPagefileUsage),
                keeps(after.PeakPagefileUsage, during.PagefileUsage) ? "a true peak" : "NOT a peak (current value)");
    bench::Result("counter_peak_ws_is_peak", 0, keeps(after.PeakWorkingSetSize, during.WorkingSetSize) ? 1 : 0);
    bench::Result("counter_peak_pf_is_peak", 0, keeps(after.PeakPagefileUsage, during.PagefileUsage) ? 1 : 0);
}

// What one poll of the scan phase costs: FindWindowEx for a child class that is not there.
void MeasurePollCost()
{
    constexpr int kPolls = 5000;
    HWND desktop = GetDesktopWindow();
    const double server = bench::ServerCpuSeconds();
    const double start = bench::Now();
    for (int i = 0; i < kPolls; ++i)
        FindWindowExA(desktop, nullptr, "TrawlbeckBenchNoSuchClass", nullptr);
    const double seconds = (bench::Now() - start) / kPolls;
    const double serverSeconds = server >= 0 ? (bench::ServerCpuSeconds() - server) / kPolls : -1;
    std::printf("one poll (FindWindowEx): %.1f us", seconds * 1e6);
    if (serverSeconds >= 0)
        std::printf(", %.1f us of wineserver CPU: polling every %lu ms takes %.1f%% of a CPU from the server",
                    serverSeconds * 1e6, static_cast<unsigned long>(pollMs), serverSeconds * 1e3 / pollMs * 100);
    std::printf("\n");
    bench::Result("poll", 0, seconds);
    bench::Result("poll_ms", 0, pollMs);
    if (serverSeconds >= 0)
        bench::Result("poll_server_cpu", 0, serverSeconds);
}

// ---- baselines ------------------------------------------------------------------------------

// A window program from CreateProcess until its window exists, and its memory once it is idle.
void MeasureWindowStart(const std::string& binFolder, const char* exe, const std::string& key, const char* label,
                        int runs)
{
    const std::string commandLine = Quoted(binFolder + "\\" + exe);
    std::vector<double> windowTimes, peakWs, peakPf;
    for (int run = 0; run <= runs; ++run) {
        const double start = bench::Now();
        Start(commandLine, nullptr);
        HWND window = nullptr;
        while (!(window = FindTopWindow(kWindowNopClass, current.info.dwProcessId))) {
            if (Ended() || bench::Now() - start > 60)
                Fail(std::string(exe) + " showed no window");
            Sleep(pollMs);
        }
        const double shown = bench::Now() - start;
        // Its window is shown and updated before its loop starts: a reply means it is idle.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &ignored);
        const PROCESS_MEMORY_COUNTERS memory = Memory(current.info.hProcess);
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (WaitForEnd(kExitTimeoutMs) != 0)
            Fail(std::string(exe) + " did not end with 0");
        if (run > 0) {
            windowTimes.push_back(shown);
            peakWs.push_back(static_cast<double>(memory.PeakWorkingSetSize));
            peakPf.push_back(static_cast<double>(memory.PeakPagefileUsage));
        }
    }
    std::printf("process start alone: %s %.1f ms until its window exists (peak working set %.1f MiB, pagefile %.1f "
                "MiB)\n",
                label, bench::Median(windowTimes) * 1e3, bench::Median(peakWs) / kMiB, bench::Median(peakPf) / kMiB);
    bench::Result((key + "_window").c_str(), 0, bench::Median(windowTimes));
    bench::Result((key + "_peak_ws").c_str(), 0, bench::Median(peakWs));
    bench::Result((key + "_peak_pf").c_str(), 0, bench::Median(peakPf));
}

void MeasureProcessStarts(const std::string& binFolder, int runs)
{
    const std::string nop = Quoted(binFolder + "\\wine_nop.exe");
    std::vector<double> nopTimes;
    for (int run = 0; run <= runs; ++run) {
        const double start = bench::Now();
        Start(nop, nullptr);
        if (WaitForEnd(kExitTimeoutMs) != 0)
            Fail("wine_nop.exe did not end with 0");
        if (run > 0)
            nopTimes.push_back(bench::Now() - start);
    }

    std::printf("process start alone: console program %.1f ms to its end\n", bench::Median(nopTimes) * 1e3);
    bench::Result("nop_proc", 0, bench::Median(nopTimes));
    MeasureWindowStart(binFolder, "wine_window_nop.exe", "gui", "a window program", runs);
    MeasureWindowStart(binFolder, "wine_imports_nop.exe", "imports", "the same with the launcher's imports", runs);
}

// ---- floors ---------------------------------------------------------------------------------

void MeasureFloors(const std::string& binFolder, const std::string& package, unsigned long long sources,
                   unsigned long long files, int runs)
{
    std::vector<double> walkTimes;
    for (int run = 0; run <= runs; ++run) {
        const double start = bench::Now();
        const bench::FloorCounts counts = bench::FloorWalk(package.c_str());
        const double seconds = bench::Now() - start;
        if (counts.sources != sources || counts.files != files)
            Fail("the floor walk saw " + std::to_string(counts.sources) + " sources in " +
                 std::to_string(counts.files) + " files, expected " + std::to_string(sources) + " in " +
                 std::to_string(files));
        if (run > 0)
            walkTimes.push_back(seconds);
    }

    const std::string walker = Quoted(binFolder + "\\wine_floor_walk.exe") + " " + Quoted(package) + " " +
                               std::to_string(sources) + " " + std::to_string(files);
    std::vector<double> processTimes;
    for (int run = 0; run <= runs; ++run) {
        const double start = bench::Now();
        Start(walker, nullptr);
        const DWORD code = WaitForEnd(kExitTimeoutMs * 10);
        if (code != 0)
            Fail("wine_floor_walk.exe ended with " + std::to_string(code) + " (2: it saw other counts)");
        if (run > 0)
            processTimes.push_back(bench::Now() - start);
    }
    std::printf("  floor: bare walk %.1f ms in-process, %.1f ms as a process of its own\n",
                bench::Median(walkTimes) * 1e3, bench::Median(processTimes) * 1e3);
    bench::Result("floor_walk", sources, bench::Median(walkTimes));
    bench::Result("floor_proc", sources, bench::Median(processTimes));
}

// ---- the launcher ---------------------------------------------------------------------------

struct LaunchRun {
    double window = 0;       // CreateProcess until the main window exists
    double listCreated = 0;  // until the list view exists (the scan has ended)
    double listFull = 0;     // until it holds its rows: start-to-list
    double showAll = 0;      // Show All until every row is there
    double exit = 0;         // exit command until the process has ended
    double cpu = 0;          // the launcher's CPU time at start-to-list
    double serverCpu = -1;   // the wineserver's CPU time from CreateProcess to start-to-list
    PROCESS_MEMORY_COUNTERS afterList{};
    PROCESS_MEMORY_COUNTERS beforeExit{};
};

void WaitForRows(HWND list, unsigned long long rows, double start, const char* stage)
{
    for (;;) {
        const long long count = ItemCount(list);
        if (count >= 0 && static_cast<unsigned long long>(count) == rows)
            return;
        if (Ended())
            Fail(std::string("the launcher ended during ") + stage);
        if (bench::Now() - start > kLaunchTimeout)
            Fail(std::string("no ") + std::to_string(rows) + " rows within the time limit during " + stage +
                 " (last count " + std::to_string(count) + ")");
        Sleep(pollMs);
    }
}

LaunchRun RunLauncher(const std::string& package, unsigned long long sources)
{
    LaunchRun result;
    const unsigned long long rows = sources < kDefaultRows ? sources : kDefaultRows;
    const std::string launcher = Quoted(package + "\\trawlbeck.exe");

    const double serverStart = bench::ServerCpuSeconds();
    const double start = bench::Now();
    Start(launcher, package.c_str());
    const DWORD processId = current.info.dwProcessId;
    HWND main = nullptr;
    HWND list = nullptr;
    while (!list) {
        if (!main && (main = FindTopWindow(kMainClass, processId)) != nullptr)
            result.window = bench::Now() - start;
        if (main && (list = FindWindowExA(main, nullptr, "SysListView32", nullptr)) != nullptr)
            result.listCreated = bench::Now() - start;
        if (list)
            break;
        if (Ended())
            Fail("the launcher ended before its list appeared");
        if (bench::Now() - start > kLaunchTimeout)
            Fail(main ? "the launcher's list view did not appear" : "the launcher's window did not appear");
        Sleep(pollMs);
    }
    WaitForRows(list, rows, start, "start-up");
    result.listFull = bench::Now() - start;
    result.cpu = bench::ProcessCpuSeconds(current.info.hProcess);
    if (serverStart >= 0)
        result.serverCpu = bench::ServerCpuSeconds() - serverStart;
    result.afterList = Memory(current.info.hProcess);

    const double showAllStart = bench::Now();
    PostMessageA(main, WM_COMMAND, kShowAllCommand, 0);
    WaitForRows(list, sources, showAllStart, "Show All");
    result.showAll = bench::Now() - showAllStart;
    result.beforeExit = Memory(current.info.hProcess);

    const double exitStart = bench::Now();
    PostMessageA(main, WM_COMMAND, kExitCommand, 0);
    const DWORD code = WaitForEnd(kExitTimeoutMs);
    result.exit = bench::Now() - exitStart;
    if (code != 0)
        Fail("the launcher ended with exit code " + std::to_string(code));
    return result;
}

void PrintRun(const char* label, const LaunchRun& r)
{
    std::printf("  %-7s window %7.1f ms, scan %8.1f ms, fill %6.1f ms = start-to-list %8.1f ms (CPU: launcher %7.1f ms, "
                "wineserver %7.1f ms); Show All %8.1f ms; peak WS %6.1f MiB, peak pagefile %6.1f MiB; exit %5.1f ms\n",
                label, r.window * 1e3, (r.listCreated - r.window) * 1e3, (r.listFull - r.listCreated) * 1e3,
                r.listFull * 1e3, r.cpu * 1e3, r.serverCpu * 1e3, r.showAll * 1e3, MiB(r.beforeExit.PeakWorkingSetSize),
                MiB(r.beforeExit.PeakPagefileUsage), r.exit * 1e3);
    std::fflush(stdout);
}

void MeasureLauncher(const std::string& package, unsigned long long sources, int runs)
{
    std::vector<LaunchRun> timed;
    for (int run = 0; run <= runs; ++run) {
        const LaunchRun r = RunLauncher(package, sources);
        const std::string label = run == 0 ? std::string("warm-up") : "run " + std::to_string(run);
        PrintRun(label.c_str(), r);
        if (run == 0)
            bench::Result("stl_first", sources, r.listFull);
        else
            timed.push_back(r);
    }
    const auto median = [&](auto field) {
        std::vector<double> values;
        for (const LaunchRun& r : timed)
            values.push_back(field(r));
        return bench::Median(values);
    };
    bench::Result("stl", sources, median([](const LaunchRun& r) { return r.listFull; }));
    const auto [fastest, slowest] = std::minmax_element(
        timed.begin(), timed.end(), [](const LaunchRun& a, const LaunchRun& b) { return a.listFull < b.listFull; });
    bench::Result("stl_min", sources, fastest->listFull);
    bench::Result("stl_max", sources, slowest->listFull);
    bench::Result("stl_cpu", sources, median([](const LaunchRun& r) { return r.cpu; }));
    if (timed.front().serverCpu >= 0)
        bench::Result("stl_server_cpu", sources, median([](const LaunchRun& r) { return r.serverCpu; }));
    bench::Result("stl_window", sources, median([](const LaunchRun& r) { return r.window; }));
    bench::Result("stl_scan", sources, median([](const LaunchRun& r) { return r.listCreated - r.window; }));
    bench::Result("stl_fill", sources, median([](const LaunchRun& r) { return r.listFull - r.listCreated; }));
    bench::Result("showall", sources, median([](const LaunchRun& r) { return r.showAll; }));
    bench::Result("peak_ws", sources,
                  median([](const LaunchRun& r) { return static_cast<double>(r.beforeExit.PeakWorkingSetSize); }));
    bench::Result("peak_pf", sources,
                  median([](const LaunchRun& r) { return static_cast<double>(r.beforeExit.PeakPagefileUsage); }));
    bench::Result("list_peak_ws", sources,
                  median([](const LaunchRun& r) { return static_cast<double>(r.afterList.PeakWorkingSetSize); }));
    bench::Result("list_pf", sources,
                  median([](const LaunchRun& r) { return static_cast<double>(r.afterList.PagefileUsage); }));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6 || (argc - 3) % 3 != 0)
        bench::Fail(kProgram,
                    "usage: wine_launch_driver.exe RUNS POLL_MS PACKAGE SOURCES FILES [PACKAGE SOURCES FILES ...]");
    const int runs = static_cast<int>(bench::ParseCount(kProgram, argv[1]));
    if (runs < 1)
        bench::Fail(kProgram, "RUNS must be at least 1");
    const unsigned long long poll = bench::ParseCount(kProgram, argv[2]);
    if (poll < 1 || poll > 5)
        bench::Fail(kProgram, "POLL_MS must be 1 to 5");
    pollMs = static_cast<DWORD>(poll);
    char binFolder[MAX_PATH];
    bench::OwnFolder(binFolder, sizeof binFolder);

    CheckMemoryCounters();
    MeasurePollCost();
    MeasureProcessStarts(binFolder, runs);
    for (int i = 3; i + 2 < argc; i += 3) {
        const std::string package = argv[i];
        const unsigned long long sources = bench::ParseCount(kProgram, argv[i + 1]);
        const unsigned long long files = bench::ParseCount(kProgram, argv[i + 2]);
        std::printf("\n%s: %llu sources in %llu files\n", package.c_str(), sources, files);
        std::fflush(stdout);
        MeasureFloors(binFolder, package, sources, files, runs);
        MeasureLauncher(package, sources, runs);
    }
    return 0;
}
