// Speed of the catalogue walk against the bare cost of reading the same folder tree.
//
// The walk is the program's own: FolderScan through the native file system seam into the native
// store, plus the store's first read (the newest line), which is where the native store orders its
// lines. The floor is a plain recursive readdir + fstatat over the same tree in the same process,
// with no line building. A third pass, the seam walk, enumerates through the native seam alone and
// splits the difference between the two. All run on warm caches, interleaved; medians are compared.
//
// Usage: catalogue_bench [--root FOLDER] [--runs N] [--sizes N,N,...]
// Trees are generated once per size below FOLDER (default /tmp/trawlbeck-bench) and reused.

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/file_system.h"
#include "catalogue/file_system_native.h"
#include "catalogue/folder_scan.h"
#include "catalogue/scan_feedback_native.h"
#include "catalogue/source_store.h"

namespace {

constexpr double kGoalRatio = 1.3;
// Wall time this much above processor time means the walks waited for a processor.
constexpr double kBusyFactor = 1.2;
// Bumped whenever the generator changes, so an old tree is not measured as a new one.
constexpr int kTreeVersion = 2;

struct Options {
    std::string root = "/tmp/trawlbeck-bench";
    int runs = 9;
    std::vector<std::uint32_t> sizes = {10000, 100000};
};

// What a tree holds, as written next to it once it is complete.
struct TreeCounts {
    std::uint64_t sources = 0;
    std::uint64_t others = 0;
    std::uint64_t folders = 0;
};

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "catalogue_bench: %s\n", what.c_str());
    std::exit(1);
}

// ---- tree generation ------------------------------------------------------------------------

constexpr int kMinFileDepth = 2;
constexpr int kMaxFileDepth = 6;
constexpr int kMinFilesPerFolder = 10;
constexpr int kMaxFilesPerFolder = 60;
constexpr double kOtherShare = 0.2;      // of all files
constexpr double kUpperCaseShare = 0.03;  // names written all in capitals
constexpr std::int64_t kFirstTime = 1546300800;        // 2019-01-01 UTC
constexpr std::int64_t kTimeSpan = 6LL * 365 * 86400;  // about six years

const char* const kFolderWords[] = {"src",  "lib",   "include", "macros", "drivers", "boot",  "kernel",
                                    "util", "tests", "gfx",     "Sound",  "net",     "fs",    "mm",
                                    "io",   "demo",  "Samples", "old",    "backup",  "proj",  "res"};
const char* const kFileWords[] = {"main",   "start", "init",    "video",   "keyboard", "mouse",  "timer",
                                  "irq",    "dma",   "string",  "memory",  "heap",     "print",  "parse",
                                  "token",  "lexer", "macros",  "WinMain", "kernel32", "user32", "gdi32",
                                  "dialog", "menu",  "icons",   "version", "crt0",     "math",   "float"};
const char* const kSourceExtensions[] = {".asm", ".asm", ".asm", ".asm", ".asm", ".asm", ".inc", ".inc", ".inc", ".rc"};
const char* const kOtherExtensions[] = {".txt", ".obj", ".exe", ".lst", ".map", ".asm.bak", ".res", ".as"};

template <typename T, std::size_t N>
const T& Pick(std::mt19937_64& rng, const T (&table)[N])
{
    return table[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

struct GenFolder {
    std::string path;  // host path
    int depth;         // 0 for the tree's root
    std::vector<std::size_t> children;
    bool hasFiles;
};

std::string UpperCased(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void MakeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) != 0)
        Fail("cannot create folder " + path + ": " + std::strerror(errno));
}

void MakeFile(const std::string& path, std::int64_t seconds, long nanoseconds)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("cannot create file " + path + ": " + std::strerror(errno));
    close(fd);
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        Fail("cannot set the time of " + path + ": " + std::strerror(errno));
}

std::size_t NewChild(std::vector<GenFolder>& folders, std::size_t parent, std::mt19937_64& rng)
{
    const std::size_t ordinal = folders[parent].children.size() + 1;
    GenFolder child{folders[parent].path + "/" + Pick(rng, kFolderWords) + std::to_string(ordinal),
                    folders[parent].depth + 1, {}, false};
    MakeFolder(child.path);
    folders.push_back(child);
    folders[parent].children.push_back(folders.size() - 1);
    return folders.size() - 1;
}

// A sub-folder of parent for the next group of files: an existing one, more often the more it
// already has, so folders fan out a few ways each; a new one otherwise.
std::size_t ChildFor(std::vector<GenFolder>& folders, std::size_t parent, std::mt19937_64& rng)
{
    const std::size_t existing = folders[parent].children.size();
    const double reuse = existing == 0 ? 0.0 : 1.0 - 1.0 / static_cast<double>(existing + 1);
    if (std::bernoulli_distribution(reuse)(rng))
        return folders[parent].children[std::uniform_int_distribution<std::size_t>(0, existing - 1)(rng)];
    return NewChild(folders, parent, rng);
}

// Fills folder with 10 to 60 files, about a fifth of them not sources, until `sources` are made.
void FillFolder(GenFolder& folder, std::uint64_t wantedSources, TreeCounts& counts, std::mt19937_64& rng)
{
    folder.hasFiles = true;
    const int files = std::uniform_int_distribution<int>(kMinFilesPerFolder, kMaxFilesPerFolder)(rng);
    std::uniform_int_distribution<std::int64_t> when(0, kTimeSpan);
    std::uniform_int_distribution<long> fraction(0, 999999999);
    for (int i = 0; i < files && counts.sources < wantedSources; ++i) {
        const bool other = std::bernoulli_distribution(kOtherShare)(rng);
        std::string name = std::string(Pick(rng, kFileWords)) + std::to_string(i + 1) +
                           (other ? Pick(rng, kOtherExtensions) : Pick(rng, kSourceExtensions));
        if (std::bernoulli_distribution(kUpperCaseShare)(rng))
            name = UpperCased(name);
        MakeFile(folder.path + "/" + name, kFirstTime + when(rng), fraction(rng));
        ++(other ? counts.others : counts.sources);
    }
}

TreeCounts GenerateTree(const std::string& root, std::uint64_t wantedSources)
{
    std::mt19937_64 rng(wantedSources);
    std::vector<GenFolder> folders;
    folders.push_back(GenFolder{root, 0, {}, false});
    MakeFolder(root);
    TreeCounts counts;
    while (counts.sources < wantedSources) {
        const int depth = std::uniform_int_distribution<int>(kMinFileDepth, kMaxFileDepth)(rng);
        std::size_t parent = 0;
        for (int level = 1; level < depth; ++level)
            parent = ChildFor(folders, parent, rng);
        // A folder that already has its files gets a fresh sibling, so none passes 60.
        std::size_t at = ChildFor(folders, parent, rng);
        if (folders[at].hasFiles)
            at = NewChild(folders, parent, rng);
        FillFolder(folders[at], wantedSources, counts, rng);
    }
    counts.folders = folders.size() - 1;
    return counts;
}

std::string ManifestLine(const TreeCounts& c)
{
    return "trawlbeck-bench-tree " + std::to_string(kTreeVersion) + " " + std::to_string(c.sources) + " " +
           std::to_string(c.others) + " " + std::to_string(c.folders);
}

bool ReadManifest(const std::string& path, std::uint64_t wantedSources, TreeCounts* counts)
{
    std::ifstream in(path);
    std::string tag;
    int version = 0;
    TreeCounts c;
    if (!(in >> tag >> version >> c.sources >> c.others >> c.folders))
        return false;
    if (tag != "trawlbeck-bench-tree" || version != kTreeVersion || c.sources != wantedSources)
        return false;
    *counts = c;
    return true;
}

// The tree of wantedSources sources below root: reused when a complete one is there, else made.
TreeCounts PrepareTree(const std::string& root, std::uint64_t wantedSources, const std::string& tree, bool* reused)
{
    const std::string manifest = tree + ".manifest";
    TreeCounts counts;
    *reused = ReadManifest(manifest, wantedSources, &counts);
    if (*reused)
        return counts;
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    std::filesystem::remove(manifest, ec);
    // Only a tree this program made is removed: a half-made one has no manifest yet.
    std::filesystem::remove_all(tree, ec);
    if (ec)
        Fail("cannot remove the old tree " + tree + ": " + ec.message());
    std::printf("generating %s ...\n", tree.c_str());
    std::fflush(stdout);
    counts = GenerateTree(tree, wantedSources);
    std::ofstream(manifest) << ManifestLine(counts) << "\n";
    return counts;
}

// ---- the two walks --------------------------------------------------------------------------

struct FloorResult {
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    std::uint64_t timeSum = 0;  // keeps the stat results live
};

// Takes ownership of folderFd.
void FloorWalk(int folderFd, FloorResult* result)
{
    DIR* dir = fdopendir(folderFd);
    if (!dir) {
        close(folderFd);
        return;
    }
    const int fd = dirfd(dir);
    while (const dirent* d = readdir(dir)) {
        if (d->d_name[0] == '.' && (d->d_name[1] == '\0' || (d->d_name[1] == '.' && d->d_name[2] == '\0')))
            continue;
        struct stat st;
        if (fstatat(fd, d->d_name, &st, 0) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            ++result->folders;
            const int sub = openat(fd, d->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (sub >= 0)
                FloorWalk(sub, result);
        } else {
            ++result->files;
            result->timeSum += static_cast<std::uint64_t>(st.st_mtim.tv_sec);
        }
    }
    closedir(dir);
}

FloorResult RunFloor(const std::string& tree)
{
    FloorResult result;
    const int fd = open(tree.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        Fail("cannot open " + tree);
    FloorWalk(fd, &result);
    return result;
}

// The enumeration alone, driven through the native seam as the walk drives it (Windows folder
// texts, the seam's own reads), with no line building. It splits the walk's cost into what the
// seam adds to the floor and what making and storing lines adds to that.
void SeamWalk(const FolderEnumeration* parent, const FolderEntry* folder, FloorResult* result)
{
    FolderEnumeration enumeration;
    FolderEntry entry;
    const bool opened = parent ? OpenSubFolderEnumeration(*parent, *folder, &enumeration, &entry)
                               : OpenFolderEnumeration("C:\\*", &enumeration, &entry);
    if (!opened)
        return;
    do {
        const std::string_view name = TextView(entry.name);
        if (name == "." || name.starts_with(".."))
            continue;
        if (entry.attributes & kAttributeFolder) {
            ++result->folders;
            SeamWalk(&enumeration, &entry, result);
        } else {
            ++result->files;
            result->timeSum += entry.lastWriteTime;
        }
    } while (NextFolderEntry(&enumeration, &entry));
    CloseFolderEnumeration(&enumeration);
}

// Wall-clock time, and this thread's processor time, which a busy machine disturbs far less.
struct Instant {
    double wall;
    double cpu;
};

Instant Now()
{
    timespec wall{}, cpu{};
    clock_gettime(CLOCK_MONOTONIC, &wall);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    return {static_cast<double>(wall.tv_sec) + static_cast<double>(wall.tv_nsec) * 1e-9,
            static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) * 1e-9};
}

struct Samples {
    std::vector<double> wall;
    std::vector<double> cpu;
};

void AddSample(Samples* samples, const Instant& start, const Instant& end)
{
    samples->wall.push_back(end.wall - start.wall);
    samples->cpu.push_back(end.cpu - start.cpu);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct WalkResult {
    std::uint32_t found = 0;
    int stored = 0;
    int newestLength = 0;
};

// The program's walk of drive C: (mapped to the tree), then its first read of the store, which
// reads the newest line as the results list does. readSamples gets the read's share.
WalkResult RunWalk(Samples* readSamples)
{
    PathText folder{};
    CopyText(folder, "C:\\");
    FolderScan(folder);
    const Instant readStart = Now();
    WalkResult result;
    EntryText newest;
    result.stored = StoreCount();
    result.newestLength = StoreGet(result.stored - 1, newest);
    if (readSamples)
        AddSample(readSamples, readStart, Now());
    result.found = appState.foundCount;
    return result;
}

FloorResult RunSeam()
{
    FloorResult result;
    SeamWalk(nullptr, nullptr, &result);
    return result;
}

void ResetProgram(const std::string& tree)
{
    ResetAppState();
    StoreReset();
    nativeScanFeedback = NativeScanFeedback{};
    NativeResetFileSystem();
    NativeMapDrive('C', tree, DriveKind::Fixed);
}

void CheckWalk(const WalkResult& walk, const TreeCounts& counts)
{
    if (walk.found != counts.sources)
        Fail("the walk found " + std::to_string(walk.found) + " sources, the tree has " + std::to_string(counts.sources));
    if (static_cast<std::uint64_t>(walk.stored) != counts.sources)
        Fail("the store holds " + std::to_string(walk.stored) + " lines, expected " + std::to_string(counts.sources));
    if (walk.newestLength <= 0)
        Fail("the store's newest line could not be read (got " + std::to_string(walk.newestLength) + ")");
}

void CheckFloor(const FloorResult& floor, const TreeCounts& counts, const char* which)
{
    if (floor.files != counts.sources + counts.others || floor.folders != counts.folders)
        Fail(std::string(which) + " saw " + std::to_string(floor.files) + " files in " + std::to_string(floor.folders) +
             " folders, the tree has " + std::to_string(counts.sources + counts.others) + " in " +
             std::to_string(counts.folders));
}

long PeakRssKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Walk and floor of the same run ran back to back, so their ratio shares that moment's load.
std::vector<double> PairedRatios(const std::vector<double>& walk, const std::vector<double>& floor)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < walk.size() && i < floor.size(); ++i)
        ratios.push_back(walk[i] / floor[i]);
    return ratios;
}

void PrintTimes(const char* label, const Samples& samples, std::uint64_t files)
{
    const double wall = Median(samples.wall);
    std::printf("  %-6s %9.2f ms %11.0f files/s   cpu %9.2f ms   (wall range %.2f-%.2f ms)\n", label, wall * 1e3,
                static_cast<double>(files) / wall, Median(samples.cpu) * 1e3,
                *std::min_element(samples.wall.begin(), samples.wall.end()) * 1e3,
                *std::max_element(samples.wall.begin(), samples.wall.end()) * 1e3);
}

void BenchSize(const Options& options, std::uint32_t sources)
{
    const std::string tree = options.root + "/trawlbeck-tree-" + std::to_string(sources);
    bool reused = false;
    const TreeCounts counts = PrepareTree(options.root, sources, tree, &reused);
    const std::uint64_t files = counts.sources + counts.others;
    std::printf("\n%s (%s): %" PRIu64 " sources + %" PRIu64 " other files = %" PRIu64 " files in %" PRIu64
                " folders\n",
                tree.c_str(), reused ? "reused" : "new", counts.sources, counts.others, files, counts.folders);

    // One untimed pass of each warms the caches and checks every walk sees the whole tree. The
    // floor goes first, so the program's first walk finds the file caches warm and differs from
    // the later ones only by touching the store's memory for the first time.
    CheckFloor(RunFloor(tree), counts, "the floor");
    ResetProgram(tree);
    const Instant firstStart = Now();
    CheckWalk(RunWalk(nullptr), counts);
    const double firstWalk = Now().wall - firstStart.wall;
    CheckFloor(RunSeam(), counts, "the seam walk");

    Samples walk, read, seam, floor;
    for (int run = 0; run < options.runs; ++run) {
        // The order rotates, so none always runs right after another's allocations.
        for (int turn = 0; turn < 3; ++turn) {
            const int which = (run + turn) % 3;
            if (which == 0) {
                ResetProgram(tree);
                const Instant start = Now();
                const WalkResult result = RunWalk(&read);
                AddSample(&walk, start, Now());
                CheckWalk(result, counts);
            } else if (which == 1) {
                const Instant start = Now();
                const FloorResult result = RunSeam();
                AddSample(&seam, start, Now());
                CheckFloor(result, counts, "the seam walk");
            } else {
                const Instant start = Now();
                const FloorResult result = RunFloor(tree);
                AddSample(&floor, start, Now());
                CheckFloor(result, counts, "the floor");
            }
        }
    }
    ResetProgram(tree);

    PrintTimes("walk", walk, files);
    PrintTimes("floor", floor, files);
    const double ratio = Median(walk.wall) / Median(floor.wall);
    std::printf("  ratio walk/floor: %.3f  goal at most %.1f: %s\n", ratio, kGoalRatio,
                ratio <= kGoalRatio ? "met" : "NOT met");
    std::printf("    cpu %.3f; median of each run's own ratio %.3f (cpu %.3f)\n", Median(walk.cpu) / Median(floor.cpu),
                Median(PairedRatios(walk.wall, floor.wall)), Median(PairedRatios(walk.cpu, floor.cpu)));
    if (Median(floor.wall) > kBusyFactor * Median(floor.cpu))
        std::printf("    the machine is busy: wall times include waiting for a processor; the cpu figures are steadier\n");
    std::printf("  split (cpu): seam walk alone %.2f ms = %.3f x floor; lines and store %.2f ms, of which the first "
                "store read %.2f ms\n",
                Median(seam.cpu) * 1e3, Median(seam.cpu) / Median(floor.cpu), (Median(walk.cpu) - Median(seam.cpu)) * 1e3,
                Median(read.cpu) * 1e3);
    std::printf("  first walk in the process, store memory not yet touched: %.2f ms\n", firstWalk * 1e3);
    std::printf("  peak RSS so far: %ld KiB\n", PeakRssKilobytes());
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            Fail("missing value after " + arg + "\nusage: catalogue_bench [--root FOLDER] [--runs N] [--sizes N,N,...]");
        const std::string value = argv[++i];
        if (arg == "--root") {
            options.root = value;
        } else if (arg == "--runs") {
            options.runs = std::atoi(value.c_str());
            if (options.runs < 1)
                Fail("--runs needs a positive count, not " + value);
        } else if (arg == "--sizes") {
            options.sizes.clear();
            for (std::size_t at = 0; at <= value.size();) {
                const std::size_t comma = std::min(value.find(',', at), value.size());
                const long n = std::atol(value.substr(at, comma - at).c_str());
                if (n < 1)
                    Fail("--sizes needs positive counts, not " + value);
                options.sizes.push_back(static_cast<std::uint32_t>(n));
                at = comma + 1;
            }
        } else {
            Fail("unknown option " + arg + "\nusage: catalogue_bench [--root FOLDER] [--runs N] [--sizes N,N,...]");
        }
    }
    while (!options.root.empty() && options.root.size() > 1 && options.root.back() == '/')
        options.root.pop_back();
    return options;
}
}  // namespace

int main(int argc, char** argv)
{
    const Options options = ParseOptions(argc, argv);
    const char* tz = std::getenv("TZ");
    std::printf("catalogue walk benchmark: %d interleaved runs per size, medians, warm cache, TZ=%s\n",
                options.runs, tz ? tz : "(unset: /etc/localtime)");
    for (std::uint32_t sources : options.sizes)
        BenchSize(options, sources);
    std::printf("\npeak RSS: %ld KiB\n", PeakRssKilobytes());
    return 0;
}
