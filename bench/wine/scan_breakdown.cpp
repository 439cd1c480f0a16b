// Where the launcher's scan time goes under Wine, in one process with the library's real walk,
// the launcher's own worker (StartScan) and the real batch hand-over to this thread:
//
//   floor            the bare FindFirstFileA/FindNextFileA walk
//   walk, names      the catalogue's walk through its platform seam (the wide calls, each name
//                    in the ANSI code page) on this thread, sources only counted
//   walk, times      the same, each source's time converted to local broken-down time
//   walk, lines      the same, each source's date, time, key and whole line built
//   worker, counted  the worker with its progress bar and status line, its lines sorted and taken
//                    by this thread into a window that only counts them: walk, lines, feedback, sort
//   worker, sorted   the same into the sorted list box: the launcher's scan
//   store, counted   the same lines, in walk-like (shuffled) order, added to the store on this
//                    thread, sorted and taken by a window that only counts them: the store's
//                    memory, its sort and its messages, without the list box's own work
//   store alone      the same, appended to a new sorted list box: the store's own cost
//
// Each with wall time, this process's CPU time and the wineserver's, medians of RUNS runs.
//
// usage: wine_scan_breakdown.exe RUNS FOLDER SOURCES [FOLDER SOURCES ...]
#include "bench/wine/bench_common.h"

#include <commctrl.h>

#include <random>
#include <string>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/file_system.h"
#include "catalogue/folder_scan.h"
#include "catalogue/source_entry.h"
#include "catalogue/scan_worker.h"
#include "catalogue/source_store.h"
#include "catalogue/source_store_win.h"

namespace {

constexpr const char* kProgram = "wine_scan_breakdown";
constexpr const char* kMainClass = "TrawlbeckBenchMain";
constexpr const char* kCountingClass = "TrawlbeckBenchCountingStore";
constexpr unsigned kStoreId = 600;

[[noreturn]] void Fail(const std::string& what)
{
    bench::Fail(kProgram, what.c_str());
}

// Only this thread touches the count: window data would be a wineserver request of its own.
LRESULT countedLines = 0;

LRESULT CALLBACK CountingStoreProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
        return countedLines++;
    case LB_RESETCONTENT:
        countedLines = 0;
        return 0;
    case LB_GETCOUNT:
        return countedLines;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The launcher's main window as far as a scan needs it: it takes the scan's lines and ends the
// loop on WM_SCAN_DONE.
LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_STORE_BATCH:
        StoreTakeBatch(wParam);
        return 0;
    case WM_SCAN_DONE:
        PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        StoreContinueFill();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void RegisterClasses()
{
    WNDCLASSA main{};
    main.lpfnWndProc = MainProc;
    main.hInstance = appState.instance;
    main.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    main.lpszClassName = kMainClass;
    WNDCLASSA counting{};
    counting.lpfnWndProc = CountingStoreProc;
    counting.hInstance = appState.instance;
    counting.lpszClassName = kCountingClass;
    if (!RegisterClassA(&main) || !RegisterClassA(&counting))
        Fail("cannot register the window classes");
}

struct Cost {
    double seconds = 0;
    double cpu = 0;        // this process, every thread
    double serverCpu = 0;  // the wineserver; negative when unknown
};

template <typename Body>
Cost Measure(Body body)
{
    const double server = bench::ServerCpuSeconds();
    const double cpu = bench::ProcessCpuSeconds(GetCurrentProcess());
    const double start = bench::Now();
    body();
    Cost cost;
    cost.seconds = bench::Now() - start;
    cost.cpu = bench::ProcessCpuSeconds(GetCurrentProcess()) - cpu;
    cost.serverCpu = server >= 0 ? bench::ServerCpuSeconds() - server : -1;
    return cost;
}

// How much of the worker's per-source work a staged walk does.
enum class WalkWork { Names, Times, Lines };

// The catalogue's walk on this thread, without the worker, its controls or the store: what the
// seam and the line building cost a source. Counts the sources in sources.
void WalkInStages(std::string_view folderPrefix, FolderEnumeration* enumeration, FolderEntry* entry, WalkWork work,
                  unsigned long long* sources)
{
    do {
        const std::string_view name = TextView(entry->name);
        if (IsSkippedDotName(name))
            continue;
        if (entry->attributes & kAttributeFolder) {
            PathText subFolderPrefix;
            CopyText(subFolderPrefix, folderPrefix);
            AppendText(subFolderPrefix, PathNameOf(*entry));
            AppendText(subFolderPrefix, "\\");
            FolderEnumeration subFolder;
            FolderEntry first;
            if (OpenSubFolderEnumeration(*enumeration, *entry, &subFolder, &first)) {
                WalkInStages(TextView(subFolderPrefix), &subFolder, &first, work, sources);
                CloseFolderEnumeration(&subFolder);
            }
        } else if (IsSourceFileName(name)) {
            ++*sources;
            if (work == WalkWork::Names)
                continue;
            if (!FileTimeToLocalTime(entry->lastWriteTime, &appState.fileTime))
                appState.fileTime = SYSTEMTIME{};
            if (work == WalkWork::Times)
                continue;
            FormatEntryTimes(appState.fileTime, appState.dateText, appState.timeText, appState.keyText);
            BuildSourceEntry(appState.scanLineText, TextView(appState.keyText), name, TextView(appState.dateText),
                             TextView(appState.timeText), folderPrefix, PathNameOf(*entry));
        }
    } while (NextFolderEntry(enumeration, entry));
}

// The staged walk of folder; the sources it saw.
unsigned long long StagedWalk(const std::string& folder, WalkWork work)
{
    PathText pattern;
    CopyText(pattern, folder);
    AppendText(pattern, "\\*");
    FolderEnumeration enumeration;
    FolderEntry first;
    unsigned long long sources = 0;
    if (!OpenFolderEnumeration(pattern.data(), &enumeration, &first))
        return 0;
    const std::string_view prefix(pattern.data(), TextLength(pattern) - 1);
    WalkInStages(prefix, &enumeration, &first, work, &sources);
    CloseFolderEnumeration(&enumeration);
    return sources;
}

// The store list: the sorted list box, or a window that only counts the lines it is given.
HWND CreateStore(HWND main, bool sorted)
{
    return sorted ? CreateSortedListBox(main, kStoreId)
                  : CreateWindowExA(0, kCountingClass, nullptr, WS_CHILD, 0, 0, 0, 0, main,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kStoreId)), appState.instance,
                                    nullptr);
}

// The launcher's worker on folder, this thread serving its main window (shown, as the launcher's
// is) until WM_SCAN_DONE; the store is the sorted list box, or a window that only counts. The
// first call keeps the store's lines in lines.
Cost ScanWithWorker(bool sorted, const std::string& folder, unsigned long long sources,
                    std::vector<std::string>* lines)
{
    const HINSTANCE instance = appState.instance;
    ResetAppState();
    appState.instance = instance;
    HWND main = CreateWindowExA(0, kMainClass, "bench", WS_OVERLAPPEDWINDOW, 262, 209, 500, 350, nullptr, nullptr,
                                instance, nullptr);
    appState.mainWindow = main;
    appState.storeList = CreateStore(main, sorted);
    if (!main || !appState.storeList)
        Fail("cannot create the main window and its store");
    ShowWindow(appState.storeList, SW_HIDE);
    ShowWindow(main, SW_SHOWNORMAL);
    UpdateWindow(main);
    CopyText(appState.startFolder, folder);
    const Cost cost = Measure([] {
        StartScan();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    });
    WaitForScanWorker(INFINITE);
    CloseHandle(appState.scanThread);
    if (appState.foundCount != sources || static_cast<unsigned long long>(StoreCount()) != sources)
        Fail("the worker found " + std::to_string(appState.foundCount) + " and stored " +
             std::to_string(StoreCount()) + " sources, expected " + std::to_string(sources));
    if (lines && lines->empty()) {
        for (int i = 0; i < StoreCount(); ++i) {
            if (StoreGet(i, appState.entryText) < 0)
                Fail("cannot read a line back from the list box");
            lines->emplace_back(appState.entryText.data());
        }
        std::shuffle(lines->begin(), lines->end(), std::mt19937(static_cast<unsigned>(sources)));
    }
    DestroyWindow(main);
    return cost;
}

// The store on this thread, its hand-over served by the main window's procedure; the store is the
// sorted list box, or a window that only counts.
Cost StoreAlone(bool sorted, const std::vector<std::string>& lines)
{
    HWND main = CreateWindowExA(0, kMainClass, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 500, 350, nullptr, nullptr,
                                appState.instance, nullptr);
    appState.mainWindow = main;
    appState.storeList = main ? CreateStore(main, sorted) : nullptr;
    if (!appState.storeList)
        Fail("cannot create the store");
    ShowWindow(appState.storeList, SW_HIDE);
    const Cost cost = Measure([&] {
        StoreReset();
        for (const std::string& line : lines)
            StoreAdd(line.c_str());
        StoreFlush();
        // Every line into the list box, also those it takes on the timer after a scan.
        while (SendMessageA(appState.storeList, LB_GETCOUNT, 0, 0) < StoreCount())
            StoreContinueFill();
    });
    if (static_cast<std::size_t>(StoreCount()) != lines.size())
        Fail("the store did not take every line");
    DestroyWindow(main);
    return cost;
}

void Measure(const std::string& folder, unsigned long long sources, int runs)
{
    enum { kFloor, kNames, kTimes, kLines, kCounted, kSorted, kStoreCounted, kStore, kParts };
    constexpr const char* keys[kParts] = {"b_floor", "b_names", "b_times", "b_lines",
                                          "b_counted", "b_sorted", "b_store_counted", "b_store"};
    constexpr const char* labels[kParts] = {"bare walk (floor)",
                                            "walk, names",
                                            "walk, names and times",
                                            "walk, names, times and lines",
                                            "worker, lines counted",
                                            "worker, lines into the sorted list box",
                                            "store alone, lines counted",
                                            "store alone"};
    constexpr WalkWork stages[] = {WalkWork::Names, WalkWork::Times, WalkWork::Lines};
    std::vector<double> seconds[kParts], cpu[kParts], server[kParts];
    std::vector<std::string> lines;
    ScanWithWorker(true, folder, sources, &lines);  // untimed: warms the caches, keeps the lines
    for (int run = 0; run < runs; ++run) {
        Cost costs[kParts];
        costs[kFloor] = Measure([&] {
            if (bench::FloorWalk(folder.c_str()).sources != sources)
                Fail("the floor walk saw another count of sources");
        });
        for (int stage = 0; stage < 3; ++stage) {
            costs[kNames + stage] = Measure([&] {
                if (StagedWalk(folder, stages[stage]) != sources)
                    Fail("the staged walk saw another count of sources");
            });
        }
        costs[kCounted] = ScanWithWorker(false, folder, sources, nullptr);
        costs[kSorted] = ScanWithWorker(true, folder, sources, nullptr);
        costs[kStoreCounted] = StoreAlone(false, lines);
        costs[kStore] = StoreAlone(true, lines);
        for (int p = 0; p < kParts; ++p) {
            seconds[p].push_back(costs[p].seconds);
            cpu[p].push_back(costs[p].cpu);
            server[p].push_back(costs[p].serverCpu);
        }
    }
    const double perSource = 1e6 / static_cast<double>(sources);
    for (int p = 0; p < kParts; ++p) {
        const double wall = bench::Median(seconds[p]);
        const double processCpu = bench::Median(cpu[p]);
        const double serverCpu = bench::Median(server[p]);
        std::printf("  %-42s %8.1f ms %7.2f us/source (CPU us/source: this process %6.2f, wineserver %6.2f)\n",
                    labels[p], wall * 1e3, wall * perSource, processCpu * perSource, serverCpu * perSource);
        bench::Result(keys[p], sources, wall);
        bench::Result((std::string(keys[p]) + "_cpu").c_str(), sources, processCpu);
        if (serverCpu >= 0)
            bench::Result((std::string(keys[p]) + "_server").c_str(), sources, serverCpu);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || argc % 2 != 0)
        bench::Fail(kProgram, "usage: wine_scan_breakdown.exe RUNS FOLDER SOURCES [FOLDER SOURCES ...]");
    const int runs = static_cast<int>(bench::ParseCount(kProgram, argv[1]));
    if (runs < 1)
        bench::Fail(kProgram, "RUNS must be at least 1");
    appState.instance = GetModuleHandleA(nullptr);
    InitCommonControls();
    RegisterClasses();
    for (int i = 2; i + 1 < argc; i += 2) {
        const unsigned long long sources = bench::ParseCount(kProgram, argv[i + 1]);
        std::printf("\n%s: %llu sources\n", argv[i], sources);
        std::fflush(stdout);
        Measure(argv[i], sources, runs);
    }
    return 0;
}
