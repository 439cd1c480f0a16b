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

// The host name (UTF-8) in the code page the native build stands in for, Latin-1: letters up to
// U+00FF are one byte each, every other letter becomes '?'. True when every letter survived.
// Bytes that are not UTF-8 are kept as they are.
bool ToCodePage(std::string_view host, std::span<char> out)
{
    bool exact = true;
    std::size_t at = 0;
    for (std::size_t i = 0; i < host.size() && at + 1 < out.size();) {
        const auto lead = static_cast<unsigned char>(host[i]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        bool sequence = length > 1 && i + length <= host.size();
        for (std::size_t k = 1; sequence && k < length; ++k)
            sequence = (static_cast<unsigned char>(host[i + k]) & 0xC0) == 0x80;
        if (!sequence) {
            out[at++] = host[i++];
            continue;
        }
        const bool latin1 = length == 2 && lead <= 0xC3;
        out[at++] = latin1 ? static_cast<char>(((lead & 0x03) << 6) | (host[i + 1] & 0x3F)) : '?';
        exact = exact && latin1;
        i += length;
    }
    out[at] = '\0';
    return exact;
}

bool ReadEntry(DIR* dir, FolderEntry* entry)
{
    const dirent* d = readdir(dir);
    if (!d)
        return false;
    CopyText(entry->platformName, d->d_name);
    entry->nameExact = ToCodePage(d->d_name, entry->name) && PathHandlingTakesName(std::string_view(d->d_name));
    entry->shortName[0] = '\0';
    KeepSeparatorsOutOfName(entry);
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
    struct stat link;
    if (d->d_type == DT_LNK ||
        (d->d_type == DT_UNKNOWN && fstatat(dirfd(dir), d->d_name, &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode)))
        entry->attributes |= kAttributeLink;
    entry->lastWriteTime = NativeFileTimeOf(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    return true;
}

// Enumerates enumeration->folder, a Windows path that ends in a backslash.
bool StartEnumeration(FolderEnumeration* enumeration, FolderEntry* first)
{
    std::array<char, PATH_MAX> host;
    if (!ToHostPath(TextView(enumeration->folder), host))
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
    // Only the "folder\*" form is ever asked for; the folder keeps its backslash.
    std::string_view folder(pattern);
    if (folder.size() < 2 || folder.substr(folder.size() - 2) != "\\*")
        return false;
    folder.remove_suffix(1);
    return CopyText(enumeration->folder, folder) && StartEnumeration(enumeration, first);
}

bool OpenSubFolderEnumeration(const FolderEnumeration& parent, const FolderEntry& entry,
                              FolderEnumeration* enumeration, FolderEntry* first)
{
    const std::string_view name = ShortNameStandsIn(entry) ? TextView(entry.shortName) : TextView(entry.platformName);
    return CopyText(enumeration->folder, TextView(parent.folder)) && AppendText(enumeration->folder, name) &&
           AppendText(enumeration->folder, "\\") && StartEnumeration(enumeration, first);
}

bool NextFolderEntry(FolderEnumeration* enumeration, FolderEntry* next)
{
    return ReadEntry(static_cast<DIR*>(enumeration->handle), next);
}

void CloseFolderEnumeration(FolderEnumeration* enumeration)
{
    closedir(static_cast<DIR*>(enumeration->handle));
}

bool GetFolderIdentity(const FolderEnumeration& enumeration, FolderIdentity* identity)
{
    struct stat st;
    if (fstat(dirfd(static_cast<DIR*>(enumeration.handle)), &st) != 0)
        return false;
    identity->volume = st.st_dev;
    identity->index = st.st_ino;
    return true;
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
