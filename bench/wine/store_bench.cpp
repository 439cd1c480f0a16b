// Where the launcher's scan time goes under Wine, measured in one process with the library's real
// walk (FolderScan), file system seam and list box store (appState.storeList):
//
//   list, same thread    the store is a sorted list box (CreateSortedListBox) owned by this thread
//   list, other thread   the list box is owned by a second thread that runs a message loop, so every
//                        LB_ADDSTRING is a cross-thread SendMessage, as in the launcher
//   count, same thread   the store is a window that only counts LB_ADDSTRING (the message alone)
//   count, other thread  that window owned by the second thread (the cross-thread message alone)
//   real worker          the launcher's own worker (StartScan, scan_worker_win.cpp: a thread with its
//                        progress bar and status line) started from this thread, which owns the
//                        main window and the list box and runs a message loop until WM_SCAN_DONE;
//                        with the main window hidden, and shown as the launcher shows it
//
// and, per tree, the tree's own lines (read back from the list, shuffled) added to a sorted list box
// as it grows to n, against an unsorted one, with the memory the sorted one takes per line; and once,
// a bare WM_NULL SendMessage to a window of this thread and of another thread.
//
// usage: wine_store_bench.exe RUNS FOLDER SOURCES [FOLDER SOURCES ...]
#include "bench/wine/bench_common.h"

#include <commctrl.h>

#include <random>
#include <string>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/folder_scan.h"
#include "catalogue/scan_worker.h"
#include "catalogue/source_store.h"
#include "catalogue/source_store_win.h"

namespace {

constexpr const char* kProgram = "wine_store_bench";
constexpr const char* kOwnerClass = "TrawlbeckBenchOwner";
constexpr const char* kCountingClass = "TrawlbeckBenchCountingStore";
constexpr const char* kMainClass = "TrawlbeckBenchMain";
constexpr unsigned kStoreId = 600;
constexpr DWORD kSortedListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_DLGFRAME | WS_HSCROLL | WS_SYSMENU |
                                   LBS_NOSEL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_SORT;
constexpr int kRoundTrips = 20000;
constexpr int kCheckpoints = 10;

[[noreturn]] void Fail(const std::string& what)
{
    bench::Fail(kProgram, what.c_str());
}

// ---- stores as windows ----------------------------------------------------------------------

// One counting window exists at a time, and only its own thread touches the count: a plain
// variable, since window data (SetWindowLongPtr) is a wineserver request of its own under Wine.
LRESULT countedLines = 0;

LRESULT CALLBACK CountingStoreProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case LB_ADDSTRING:
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

// The launcher's main window as far as a scan needs it: it ends the loop on WM_SCAN_DONE.
LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SCAN_DONE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClasses()
{
    WNDCLASSA owner{};
    owner.lpfnWndProc = DefWindowProcA;
    owner.hInstance = appState.instance;
    owner.lpszClassName = kOwnerClass;
    WNDCLASSA counting{};
    counting.lpfnWndProc = CountingStoreProc;
    counting.hInstance = appState.instance;
    counting.lpszClassName = kCountingClass;
    WNDCLASSA main{};
    main.lpfnWndProc = MainProc;
    main.hInstance = appState.instance;
    main.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    main.lpszClassName = kMainClass;
    if (!RegisterClassA(&owner) || !RegisterClassA(&counting) || !RegisterClassA(&main))
        Fail("cannot register the window classes");
}

enum class StoreKind { SortedList, UnsortedList, Counting };

struct StoreOwner {
    StoreKind kind = StoreKind::SortedList;
    HWND owner = nullptr;
    HWND store = nullptr;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE ready = nullptr;
};

// A hidden top-level window with the store as its hidden child, as the launcher's main window has.
void CreateStoreWindows(StoreOwner* o)
{
    o->owner = CreateWindowExA(0, kOwnerClass, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 500, 350, nullptr, nullptr,
                               appState.instance, nullptr);
    HMENU id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kStoreId));
    switch (o->kind) {
    case StoreKind::SortedList:
        o->store = CreateSortedListBox(o->owner, kStoreId);
        break;
    case StoreKind::UnsortedList:
        o->store = CreateWindowExA(WS_EX_STATICEDGE, "LISTBOX", nullptr, kSortedListStyle & ~LBS_SORT, 0, 0, 0, 0,
                                   o->owner, id, appState.instance, nullptr);
        break;
    case StoreKind::Counting:
        countedLines = 0;
        o->store = CreateWindowExA(0, kCountingClass, nullptr, WS_CHILD, 0, 0, 0, 0, o->owner, id, appState.instance,
                                   nullptr);
        break;
    }
    if (o->store)
        ShowWindow(o->store, SW_HIDE);
}

DWORD WINAPI OwnerThreadProc(LPVOID parameter)
{
    StoreOwner* o = static_cast<StoreOwner*>(parameter);
    CreateStoreWindows(o);
    SetEvent(o->ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DestroyWindow(o->owner);
    return 0;
}

void OpenStore(StoreOwner* o, StoreKind kind, bool otherThread)
{
    *o = StoreOwner{};
    o->kind = kind;
    if (otherThread) {
        o->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        o->thread = CreateThread(nullptr, 0, OwnerThreadProc, o, 0, &o->threadId);
        if (!o->thread)
            Fail("cannot start the owner thread");
        WaitForSingleObject(o->ready, INFINITE);
    } else {
        CreateStoreWindows(o);
    }
    if (!o->store)
        Fail("cannot create the store window");
}

void CloseStore(StoreOwner* o)
{
    if (o->thread) {
        PostThreadMessageA(o->threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(o->thread, INFINITE);
        CloseHandle(o->thread);
        CloseHandle(o->ready);
    } else {
        DestroyWindow(o->owner);
    }
    *o = StoreOwner{};
}

// ---- the walk -------------------------------------------------------------------------------

struct Cost {
    double seconds = 0;
    double cpu = 0;            // this process, both threads
    double cpuKernel = 0;      // the part of it spent in the kernel
    double serverCpu = 0;      // the wineserver; negative when unknown
    double serverKernel = 0;   // the part of it spent in the kernel
};

// Measures body: wall time, this process's CPU time and the wineserver's.
template <typename Body>
Cost Measure(Body body)
{
    double serverKernel = 0;
    double cpuKernel = 0;
    const double server = bench::ServerCpuSeconds(&serverKernel);
    const double cpu = bench::ProcessCpuSeconds(GetCurrentProcess(), &cpuKernel);
    const double start = bench::Now();
    body();
    Cost cost;
    cost.seconds = bench::Now() - start;
    cost.cpu = bench::ProcessCpuSeconds(GetCurrentProcess(), &cost.cpuKernel) - cpu;
    cost.cpuKernel -= cpuKernel;
    cost.serverCpu = server >= 0 ? bench::ServerCpuSeconds(&cost.serverKernel) - server : -1;
    cost.serverKernel -= serverKernel;
    return cost;
}

void PrepareScan(HWND store, const std::string& folder)
{
    const HINSTANCE instance = appState.instance;
    ResetAppState();
    appState.instance = instance;
    appState.storeList = store;
    CopyText(appState.startFolder, folder);
}

void CheckScan(unsigned long long sources)
{
    if (appState.foundCount != sources || static_cast<unsigned long long>(StoreCount()) != sources)
        Fail("the walk found " + std::to_string(appState.foundCount) + " and stored " + std::to_string(StoreCount()) +
             " sources, expected " + std::to_string(sources));
}

// FolderScan on this thread into store.
Cost ScanInto(HWND store, const std::string& folder, unsigned long long sources)
{
    PrepareScan(store, folder);
    PathText walked = appState.startFolder;
    const Cost cost = Measure([&] { FolderScan(walked); });
    CheckScan(sources);
    return cost;
}

// The launcher's worker, started from this thread as the UI thread, until its WM_SCAN_DONE arrives.
Cost ScanWithWorker(bool mainShown, const std::string& folder, unsigned long long sources)
{
    HWND main = CreateWindowExA(0, kMainClass, "bench", WS_OVERLAPPEDWINDOW, 262, 209, 500, 350, nullptr, nullptr,
                                appState.instance, nullptr);
    HWND store = main ? CreateSortedListBox(main, kStoreId) : nullptr;
    if (!store)
        Fail("cannot create the main window and its list box");
    ShowWindow(store, SW_HIDE);
    if (mainShown) {
        ShowWindow(main, SW_SHOWNORMAL);
        UpdateWindow(main);
    }
    PrepareScan(store, folder);
    appState.mainWindow = main;
    const Cost cost = Measure([&] {
        StartScan();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    });
    WaitForScanWorker();
    CloseHandle(appState.scanThread);
    appState.scanThread = nullptr;
    CheckScan(sources);
    DestroyWindow(main);
    return cost;
}

enum class Runner { ThisThread, RealWorker };

struct Variant {
    const char* key;
    const char* label;
    StoreKind kind;
    bool otherThread;  // ThisThread: the store belongs to another thread. RealWorker: the main window is shown.
    Runner runner;
};

constexpr Variant kVariants[] = {
    {"walk_count_same", "count, same thread  (message alone)", StoreKind::Counting, false, Runner::ThisThread},
    {"walk_count_cross", "count, other thread (cross-thread message alone)", StoreKind::Counting, true,
     Runner::ThisThread},
    {"walk_list_same", "list,  same thread  (a)", StoreKind::SortedList, false, Runner::ThisThread},
    {"walk_list_cross", "list,  other thread (b)", StoreKind::SortedList, true, Runner::ThisThread},
    {"walk_worker_hidden", "list,  real worker, main window hidden", StoreKind::SortedList, false, Runner::RealWorker},
    {"walk_worker_shown", "list,  real worker, main window shown (as the launcher)", StoreKind::SortedList, true,
     Runner::RealWorker},
};
constexpr int kVariantCount = sizeof kVariants / sizeof kVariants[0];

// The lines of a filled store, in store order.
std::vector<std::string> ReadLines(HWND store)
{
    appState.storeList = store;
    std::vector<std::string> lines;
    const int count = StoreCount();
    for (int i = 0; i < count; ++i) {
        if (StoreGet(i, appState.entryText) < 0)
            Fail("cannot read line " + std::to_string(i) + " back from the list");
        lines.emplace_back(appState.entryText.data());
    }
    return lines;
}

std::vector<std::string> MeasureWalks(const std::string& folder, unsigned long long sources, int runs)
{
    const double perSource = 1e6 / static_cast<double>(sources);
    std::vector<std::vector<double>> times(kVariantCount), cpu(kVariantCount), serverCpu(kVariantCount);
    std::vector<std::string> lines;
    StoreOwner store;
    OpenStore(&store, StoreKind::Counting, false);
    ScanInto(store.store, folder, sources);  // untimed: warms the caches
    CloseStore(&store);
    for (int run = 0; run < runs; ++run) {
        for (int k = 0; k < kVariantCount; ++k) {
            const Variant& v = kVariants[(k + run) % kVariantCount];
            const std::size_t slot = static_cast<std::size_t>((k + run) % kVariantCount);
            Cost cost;
            if (v.runner == Runner::RealWorker) {
                cost = ScanWithWorker(v.otherThread, folder, sources);
            } else {
                OpenStore(&store, v.kind, v.otherThread);
                cost = ScanInto(store.store, folder, sources);
                if (lines.empty() && v.kind == StoreKind::SortedList && !v.otherThread)
                    lines = ReadLines(store.store);
                CloseStore(&store);
            }
            times[slot].push_back(cost.seconds);
            cpu[slot].push_back(cost.cpu);
            serverCpu[slot].push_back(cost.serverCpu);
        }
    }
    for (int k = 0; k < kVariantCount; ++k) {
        const std::size_t slot = static_cast<std::size_t>(k);
        const double seconds = bench::Median(times[slot]);
        const double processCpu = bench::Median(cpu[slot]);
        const double server = bench::Median(serverCpu[slot]);
        std::printf("  walk into %-56s %9.1f ms  %8.2f us/source  (CPU us/source: this process %7.2f, wineserver %7.2f)\n",
                    kVariants[k].label, seconds * 1e3, seconds * perSource, processCpu * perSource, server * perSource);
        const std::string key = kVariants[k].key;
        bench::Result(key.c_str(), sources, seconds);
        bench::Result((key + "_cpu").c_str(), sources, processCpu);
        if (server >= 0)
            bench::Result((key + "_server").c_str(), sources, server);
    }
    return lines;
}

// ---- a list box as it grows -----------------------------------------------------------------

// Committed private memory of this process, summed over its regions: Wine's process counters
// follow the resident pages instead, which a heap that grows in place need not change.
SIZE_T PrivateBytes()
{
    SIZE_T total = 0;
    const char* address = nullptr;
    MEMORY_BASIC_INFORMATION region;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

// Adds every line by same-thread LB_ADDSTRING; the cumulative time at each tenth of the lines.
std::vector<double> Grow(HWND list, const std::vector<std::string>& lines, SIZE_T* bytesPerLine)
{
    const SIZE_T before = PrivateBytes();
    std::vector<double> checkpoints;
    const std::size_t n = lines.size();
    const double start = bench::Now();
    std::size_t next = 1;
    for (std::size_t i = 0; i < n; ++i) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines[i].c_str()));
        if (i + 1 == n * next / kCheckpoints) {
            checkpoints.push_back(bench::Now() - start);
            ++next;
        }
    }
    if (static_cast<std::size_t>(SendMessageA(list, LB_GETCOUNT, 0, 0)) != n)
        Fail("the list box did not take every line");
    const SIZE_T after = PrivateBytes();
    *bytesPerLine = after > before ? (after - before) / n : 0;
    return checkpoints;
}

void MeasureGrowth(std::vector<std::string> lines, int runs)
{
    const std::size_t n = lines.size();
    if (n < kCheckpoints)
        return;
    std::mt19937 rng(static_cast<std::mt19937::result_type>(n));
    std::shuffle(lines.begin(), lines.end(), rng);  // the walk meets the files in no time order
    const double tenth = static_cast<double>(n) / kCheckpoints;

    struct Kind {
        StoreKind kind;
        const char* key;
        const char* label;
    };
    const Kind kinds[] = {{StoreKind::SortedList, "lb_sorted", "sorted list box  "},
                          {StoreKind::UnsortedList, "lb_unsorted", "unsorted list box"}};
    for (const Kind& kind : kinds) {
        std::vector<std::vector<double>> at(kCheckpoints);
        std::vector<double> bytes;
        for (int run = 0; run < runs; ++run) {
            StoreOwner store;
            OpenStore(&store, kind.kind, false);
            SIZE_T perLine = 0;
            const std::vector<double> checkpoints = Grow(store.store, lines, &perLine);
            CloseStore(&store);
            for (int c = 0; c < kCheckpoints; ++c)
                at[static_cast<std::size_t>(c)].push_back(checkpoints[static_cast<std::size_t>(c)]);
            bytes.push_back(static_cast<double>(perLine));
        }
        std::vector<double> cumulative;
        for (const std::vector<double>& values : at)
            cumulative.push_back(bench::Median(values));
        const double total = cumulative.back();
        const double first = cumulative.front() / tenth;
        const double last = (cumulative[kCheckpoints - 1] - cumulative[kCheckpoints - 2]) / tenth;
        std::printf("  LB_ADDSTRING, same thread, %s growing to %llu: %9.1f ms = %6.2f us/add on average; "
                    "%6.2f us/add over the first tenth, %6.2f us/add over the last; %.0f bytes/line\n",
                    kind.label, static_cast<unsigned long long>(n), total * 1e3, total * 1e6 / static_cast<double>(n), first * 1e6, last * 1e6,
                    bench::Median(bytes));
        const unsigned long long size = n;
        bench::Result((std::string(kind.key) + "_total").c_str(), size, total);
        bench::Result((std::string(kind.key) + "_first").c_str(), size, first);
        bench::Result((std::string(kind.key) + "_last").c_str(), size, last);
        bench::Result((std::string(kind.key) + "_bytes").c_str(), size, bench::Median(bytes));
    }
}

// ---- bare messages --------------------------------------------------------------------------

void MeasureRoundTrips(int runs)
{
    const struct {
        bool otherThread;
        const char* key;
        const char* label;
    } kinds[] = {{false, "msg_same", "same thread "}, {true, "msg_cross", "other thread"}};
    for (const auto& kind : kinds) {
        std::vector<double> times, cpu, serverCpu, cpuKernel, serverKernel;
        for (int run = 0; run <= runs; ++run) {
            StoreOwner store;
            OpenStore(&store, StoreKind::Counting, kind.otherThread);
            const Cost cost = Measure([&] {
                for (int i = 0; i < kRoundTrips; ++i)
                    SendMessageA(store.store, WM_NULL, 0, 0);
            });
            CloseStore(&store);
            if (run > 0) {
                times.push_back(cost.seconds / kRoundTrips);
                cpu.push_back(cost.cpu / kRoundTrips);
                serverCpu.push_back(cost.serverCpu / kRoundTrips);
                cpuKernel.push_back(cost.cpuKernel / kRoundTrips);
                serverKernel.push_back(cost.serverKernel / kRoundTrips);
            }
        }
        std::printf("SendMessage(WM_NULL) to a window of the %s: %.2f us each (CPU: this process %.2f us, "
                    "%.2f us of it in the kernel; wineserver %.2f us, %.2f us of it in the kernel)\n",
                    kind.label, bench::Median(times) * 1e6, bench::Median(cpu) * 1e6, bench::Median(cpuKernel) * 1e6,
                    bench::Median(serverCpu) * 1e6, bench::Median(serverKernel) * 1e6);
        const std::string key = kind.key;
        bench::Result(key.c_str(), 0, bench::Median(times));
        bench::Result((key + "_cpu").c_str(), 0, bench::Median(cpu));
        bench::Result((key + "_cpu_kernel").c_str(), 0, bench::Median(cpuKernel));
        if (bench::Median(serverCpu) >= 0) {
            bench::Result((key + "_server").c_str(), 0, bench::Median(serverCpu));
            bench::Result((key + "_server_kernel").c_str(), 0, bench::Median(serverKernel));
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || argc % 2 != 0)
        bench::Fail(kProgram, "usage: wine_store_bench.exe RUNS FOLDER SOURCES [FOLDER SOURCES ...]");
    const int runs = static_cast<int>(bench::ParseCount(kProgram, argv[1]));
    if (runs < 1)
        bench::Fail(kProgram, "RUNS must be at least 1");
    appState.instance = GetModuleHandleA(nullptr);
    InitCommonControls();  // the worker's progress bar
    RegisterClasses();

    MeasureRoundTrips(runs);
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string folder = argv[i];
        const unsigned long long sources = bench::ParseCount(kProgram, argv[i + 1]);
        std::printf("\n%llu sources in %s\n", sources, folder.c_str());
        std::fflush(stdout);
        MeasureGrowth(MeasureWalks(folder, sources, runs), runs);
    }
    return 0;
}
