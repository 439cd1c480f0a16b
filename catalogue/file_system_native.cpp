#include "catalogue/file_system_native.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <climits>
#include <ctime>

#include "catalogue/bounded_text.h"

namespace {

constexpr std::uint64_t kPlatformTimeLimit = 0x7FFFFFFFFFFFFFFFull;
constexpr std::int64_t kUnixEpochInFileTimeSeconds = 11644473600;
constexpr int kDriveCount = 26;

struct DriveMapping {
    std::array<char, PATH_MAX> hostFolder;
    DriveKind kind;
};

struct NativeFileSystem {
    std::array<DriveMapping, kDriveCount> drives;
    std::array<char, kPathCapacity> moduleName;
    std::uint64_t timeLimit = kPlatformTimeLimit;
};

NativeFileSystem nativeFs;

int DriveIndex(char letter)
{
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    return -1;
}

// The host path of a Windows path; false when it does not fit.
bool ToHostPath(std::string_view windowsPath, std::span<char> host)
{
    host[0] = '\0';
    std::string_view rest = windowsPath;
    if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
        const int drive = DriveIndex(windowsPath[0]);
        if (drive < 0 || nativeFs.drives[drive].hostFolder[0] == '\0')
            return false;
        if (!CopyText(host, TextView(nativeFs.drives[drive].hostFolder)))
            return false;
        rest = windowsPath.substr(2);
        if (!rest.empty() && rest[0] != '\\' && !AppendText(host, "/"))
            return false;
    }
    std::size_t at = TextLength(host);
    for (char c : rest) {
        if (at + 1 >= host.size())
            return false;
        host[at++] = c == '\\' ? '/' : c;
    }
    host[at] = '\0';
    return true;
}

bool IsDotName(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool ReadEntry(DIR* dir, FolderEntry* entry)
{
    const dirent* d = readdir(dir);
    if (!d)
        return false;
    CopyText(entry->name, d->d_name);
    // Every reader skips "." and ".." by name, so their details are not asked of the host.
    if (IsDotName(d->d_name)) {
        entry->attributes = kAttributeFolder;
        entry->lastWriteTime = 0;
        return true;
    }
    struct stat st;
    if (fstatat(dirfd(dir), d->d_name, &st, 0) != 0 && fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        entry->attributes = 0;
        entry->lastWriteTime = 0;
        return true;
    }
    entry->attributes = S_ISDIR(st.st_mode) ? kAttributeFolder : 0x20;
    entry->lastWriteTime = NativeFileTimeOf(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    return true;
}

}  // namespace

void NativeResetFileSystem()
{
    nativeFs = NativeFileSystem{};
}

void NativeMapDrive(char letter, std::string_view hostFolder, DriveKind kind)
{
    const int drive = DriveIndex(letter);
    if (drive < 0)
        return;
    CopyText(nativeFs.drives[drive].hostFolder, hostFolder);
    nativeFs.drives[drive].kind = kind;
}

void NativeSetModuleName(std::string_view name)
{
    CopyText(nativeFs.moduleName, name);
}

void NativeSetTimeConversionLimit(std::uint64_t limit)
{
    nativeFs.timeLimit = limit;
}

std::uint64_t NativeFileTimeOf(std::int64_t seconds, std::int64_t nanoseconds)
{
    return static_cast<std::uint64_t>(seconds + kUnixEpochInFileTimeSeconds) * 10000000u +
           static_cast<std::uint64_t>(nanoseconds / 100);
}

bool OpenFolderEnumeration(const char* pattern, FolderEnumeration* enumeration, FolderEntry* first)
{
    // Only the "folder\*" form is ever asked for.
    std::string_view folder(pattern);
    if (folder.size() < 2 || folder.substr(folder.size() - 2) != "\\*")
        return false;
    folder.remove_suffix(1);
    std::array<char, PATH_MAX> host;
    if (!ToHostPath(folder, host))
        return false;
    DIR* dir = opendir(host.data());
    if (!dir)
        return false;
    if (!ReadEntry(dir, first)) {
        closedir(dir);
        return false;
    }
    enumeration->handle = dir;
    return true;
}

bool NextFolderEntry(FolderEnumeration* enumeration, FolderEntry* next)
{
    return ReadEntry(static_cast<DIR*>(enumeration->handle), next);
}

void CloseFolderEnumeration(FolderEnumeration* enumeration)
{
    closedir(static_cast<DIR*>(enumeration->handle));
}

bool FileTimeToLocalTime(std::uint64_t fileTime, SYSTEMTIME* local)
{
    if (fileTime > nativeFs.timeLimit)
        return false;
    const std::time_t seconds = static_cast<std::time_t>(fileTime / 10000000u) - kUnixEpochInFileTimeSeconds;
    std::tm parts;
    if (!localtime_r(&seconds, &parts))
        return false;
    local->wYear = static_cast<WORD>(parts.tm_year + 1900);
    local->wMonth = static_cast<WORD>(parts.tm_mon + 1);
    local->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    local->wDay = static_cast<WORD>(parts.tm_mday);
    local->wHour = static_cast<WORD>(parts.tm_hour);
    local->wMinute = static_cast<WORD>(parts.tm_min);
    local->wSecond = static_cast<WORD>(parts.tm_sec);
    local->wMilliseconds = static_cast<WORD>(fileTime / 10000u % 1000u);
    return true;
}

void GetOwnModuleName(std::span<char> out)
{
    CopyText(out, TextView(nativeFs.moduleName));
}

DriveKind GetDriveKind(const char* root)
{
    const std::string_view text(root);
    const int drive = text.size() == 3 && text[1] == ':' && text[2] == '\\' ? DriveIndex(text[0]) : -1;
    if (drive < 0 || nativeFs.drives[drive].hostFolder[0] == '\0')
        return DriveKind::NoRoot;
    return nativeFs.drives[drive].kind;
}
