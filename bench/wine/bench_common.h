// Shared pieces of the Wine benchmark programs: the clock, medians, CPU times, the bare floor walk,
// process starts, and the result lines that bench/wine/run.sh gathers into its tables.
//
// Result lines read "@ <key> <sources> <value>", value in seconds or bytes; everything else a
// program prints is for the reader.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bench {

inline double Now()
{
    static const double ticksPerSecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticksPerSecond;
}

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

[[noreturn]] inline void Fail(const char* program, const char* what)
{
    std::fprintf(stderr, "%s: %s\n", program, what);
    std::fflush(stderr);
    std::exit(1);
}

inline void Result(const char* key, unsigned long long sources, double value)
{
    std::printf("@ %s %llu %.9g\n", key, sources, value);
    std::fflush(stdout);
}

inline unsigned long long ParseCount(const char* program, const char* text)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0')
        Fail(program, "expected a whole number");
    return value;
}

// ---- CPU time -------------------------------------------------------------------------------

inline double FileTimeSeconds(const FILETIME& t)
{
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
}

// User and kernel time a process has used so far.
inline double ProcessCpuSeconds(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user))
        return 0;
    return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

// CPU seconds used so far by the session's wineserver, which carries every cross-thread message:
// read from its host /proc entry, named (as a Windows path) by BENCH_WINESERVER_STAT. Negative when
// that is not set or cannot be read. /proc counts in ticks of 1/100 s.
inline double ServerCpuSeconds()
{
    const char* path = std::getenv("BENCH_WINESERVER_STAT");
    if (!path || !*path)
        return -1;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return -1;
    char text[1024];
    const std::size_t length = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[length] = '\0';
    // Fields after the command name in parentheses: state is the first, utime the 12th, stime the 13th.
    const char* p = std::strrchr(text, ')');
    if (!p)
        return -1;
    unsigned long long userTicks = 0;
    unsigned long long kernelTicks = 0;
    for (int field = 1; field <= 13 && *p; ++field) {
        while (*p == ' ' || *p == ')')
            ++p;
        if (field == 12)
            userTicks = std::strtoull(p, nullptr, 10);
        if (field == 13)
            kernelTicks = std::strtoull(p, nullptr, 10);
        while (*p && *p != ' ')
            ++p;
    }
    return static_cast<double>(userTicks + kernelTicks) / 100.0;
}

// ---- the floor: a bare recursive FindFirstFileA/FindNextFileA walk ---------------------------

struct FloorCounts {
    unsigned long long files = 0;
    unsigned long long folders = 0;
    unsigned long long sources = 0;
    unsigned long long timeSum = 0;  // keeps the last-write times read
};

inline constexpr std::size_t kFloorPathCapacity = 1024;

inline bool HasSourceExtension(const char* name, std::size_t length)
{
    const auto endsWith = [&](const char* ext) {
        const std::size_t n = std::strlen(ext);
        return length >= n && _stricmp(name + length - n, ext) == 0;
    };
    return endsWith(".asm") || endsWith(".inc") || endsWith(".rc");
}

// path holds the folder (length characters) in a buffer of kFloorPathCapacity.
inline void FloorWalkFolder(char* path, std::size_t length, FloorCounts* counts)
{
    if (length + 3 > kFloorPathCapacity)
        return;
    path[length] = '\\';
    path[length + 1] = '*';
    path[length + 2] = '\0';
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path, &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const char* name = data.cFileName;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const std::size_t nameLength = std::strlen(name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++counts->folders;
            if (length + 1 + nameLength + 3 <= kFloorPathCapacity) {
                std::memcpy(path + length + 1, name, nameLength + 1);
                FloorWalkFolder(path, length + 1 + nameLength, counts);
            }
        } else {
            ++counts->files;
            counts->timeSum += data.ftLastWriteTime.dwLowDateTime;
            if (HasSourceExtension(name, nameLength))
                ++counts->sources;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

inline FloorCounts FloorWalk(const char* folder)
{
    char path[kFloorPathCapacity];
    std::size_t length = std::strlen(folder);
    if (length + 3 > kFloorPathCapacity)
        return {};
    std::memcpy(path, folder, length + 1);
    while (length > 0 && path[length - 1] == '\\')
        --length;
    FloorCounts counts;
    FloorWalkFolder(path, length, &counts);
    return counts;
}

// ---- processes ------------------------------------------------------------------------------

// Starts commandLine (program and arguments, already quoted) with no window or console changes.
inline bool StartProcess(const char* commandLine, const char* folder, PROCESS_INFORMATION* process)
{
    char line[4096];
    if (std::strlen(commandLine) >= sizeof line)
        return false;
    std::strcpy(line, commandLine);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, process) != 0;
}

// The folder of this program, with no trailing backslash.
inline void OwnFolder(char* out, DWORD capacity)
{
    const DWORD length = GetModuleFileNameA(nullptr, out, capacity);
    if (length == 0 || length >= capacity)
        Fail("bench", "cannot read the program's own file name");
    char* slash = std::strrchr(out, '\\');
    if (slash)
        *slash = '\0';
}

}  // namespace bench
