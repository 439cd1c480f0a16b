// The launcher's walk (FolderScan with the real Win32 file system seam, line building included)
// into a store that only counts, against the bare floor walk of the same folder in this process:
// the difference is what the catalogue itself costs per file, with no window message at all.
//
// This program defines the store's four procedures, so the library's list box store is not linked.
//
// usage: wine_count_bench.exe RUNS FOLDER SOURCES FILES [FOLDER SOURCES FILES ...]
#include "bench/wine/bench_common.h"

#include <string>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/folder_scan.h"
#include "catalogue/source_store.h"

namespace {

constexpr const char* kProgram = "wine_count_bench";

int countedLines = 0;

}  // namespace

void StoreReset()
{
    countedLines = 0;
}

void StoreAdd(const char*)
{
    ++countedLines;
}

int StoreCount()
{
    return countedLines;
}

int StoreGet(int, std::span<char>)
{
    return -1;
}

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    bench::Fail(kProgram, what.c_str());
}

double CountingWalk(const std::string& folder, unsigned long long sources)
{
    ResetAppState();
    appState.instance = GetModuleHandleA(nullptr);
    StoreReset();
    CopyText(appState.startFolder, folder);
    PathText walked = appState.startFolder;
    const double start = bench::Now();
    FolderScan(walked);
    const double seconds = bench::Now() - start;
    if (appState.foundCount != sources || static_cast<unsigned long long>(countedLines) != sources)
        Fail("the walk found " + std::to_string(appState.foundCount) + " and stored " + std::to_string(countedLines) +
             " sources, expected " + std::to_string(sources));
    return seconds;
}

double Floor(const std::string& folder, unsigned long long sources, unsigned long long files)
{
    const double start = bench::Now();
    const bench::FloorCounts counts = bench::FloorWalk(folder.c_str());
    const double seconds = bench::Now() - start;
    if (counts.sources != sources || counts.files != files)
        Fail("the floor walk saw " + std::to_string(counts.sources) + " sources in " + std::to_string(counts.files) +
             " files, expected " + std::to_string(sources) + " in " + std::to_string(files));
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5 || (argc - 2) % 3 != 0)
        bench::Fail(kProgram, "usage: wine_count_bench.exe RUNS FOLDER SOURCES FILES [FOLDER SOURCES FILES ...]");
    const int runs = static_cast<int>(bench::ParseCount(kProgram, argv[1]));
    if (runs < 1)
        bench::Fail(kProgram, "RUNS must be at least 1");
    for (int i = 2; i + 2 < argc; i += 3) {
        const std::string folder = argv[i];
        const unsigned long long sources = bench::ParseCount(kProgram, argv[i + 1]);
        const unsigned long long files = bench::ParseCount(kProgram, argv[i + 2]);
        // Untimed pass of each first; then interleaved, alternating which goes first.
        Floor(folder, sources, files);
        CountingWalk(folder, sources);
        std::vector<double> floorTimes, walkTimes;
        for (int run = 0; run < runs; ++run) {
            if (run % 2 == 0) {
                floorTimes.push_back(Floor(folder, sources, files));
                walkTimes.push_back(CountingWalk(folder, sources));
            } else {
                walkTimes.push_back(CountingWalk(folder, sources));
                floorTimes.push_back(Floor(folder, sources, files));
            }
        }
        const double floor = bench::Median(floorTimes);
        const double walk = bench::Median(walkTimes);
        const double perSource = 1e6 / static_cast<double>(sources);
        std::printf("%llu sources: bare floor walk %.1f ms (%.2f us/source); walk into a counting store %.1f ms "
                    "(%.2f us/source, %.2f us/source over the floor)\n",
                    sources, floor * 1e3, floor * perSource, walk * 1e3, walk * perSource, (walk - floor) * perSource);
        bench::Result("c_floor", sources, floor);
        bench::Result("c_count", sources, walk);
    }
    return 0;
}
