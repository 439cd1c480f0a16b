#include "catalogue/file_system.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string_view>

#include "catalogue/bounded_text.h"
#include "catalogue/code_page_win.h"

namespace {

// The wide name as every name is held, in the ANSI code page; true when it survived whole.
bool ToCodePage(const wchar_t* wide, std::span<char> out)
{
    return NameToCodePage(wide, out, SystemCodePage());
}

using EnumerationFolder = std::array<wchar_t, kEnumerationFolderCapacity>;

// The "\\?\" forms, in which the platform takes every name of a path as it is.
constexpr std::wstring_view kVerbatimPrefix = L"\\\\?\\";
constexpr std::wstring_view kVerbatimSharePrefix = L"\\\\?\\UNC\\";

void CopyFindData(const WIN32_FIND_DATAW& data, FolderEntry* entry)
{
    entry->nameExact =
        ToCodePage(data.cFileName, entry->name) && PathHandlingTakesName(std::wstring_view(data.cFileName));
    // Wine's short names keep some reserved letters (a ':' among them): such a name stands in for none.
    if (entry->nameExact || !ToCodePage(data.cAlternateFileName, entry->shortName) ||
        !PathHandlingTakesName(std::wstring_view(data.cAlternateFileName)))
        entry->shortName[0] = '\0';
    KeepSeparatorsOutOfName(entry);
    static_assert(sizeof data.cFileName == sizeof entry->platformName);
    const std::size_t length = wcsnlen(data.cFileName, std::size(data.cFileName) - 1);
    std::copy_n(data.cFileName, length, entry->platformName.begin());
    entry->platformName[length] = L'\0';
    entry->attributes = data.dwFileAttributes;
    entry->lastWriteTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime;
}

bool AppendWide(std::span<wchar_t> dest, const wchar_t* src)
{
    std::size_t at = 0;
    while (at < dest.size() && dest[at] != L'\0')
        ++at;
    for (; *src != L'\0'; ++src) {
        if (at + 1 >= dest.size())
            return false;
        dest[at++] = *src;
    }
    if (at >= dest.size())
        return false;
    dest[at] = L'\0';
    return true;
}

// Enumerates enumeration->folder (which ends in a backslash).
bool StartEnumeration(FolderEnumeration* enumeration, FolderEntry* first)
{
    // One longer than the folder, so that every folder that fits has a pattern that fits.
    std::array<wchar_t, kEnumerationFolderCapacity + 1> pattern;
    std::copy(enumeration->folder.begin(), enumeration->folder.end(), pattern.begin());
    pattern.back() = L'\0';
    if (!AppendWide(pattern, L"*"))
        return false;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.data(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    enumeration->handle = find;
    CopyFindData(data, first);
    return true;
}

// folder (which ends in a backslash) in the "\\?\" form, "\\?\UNC\server\..." for a share's; a
// folder in that form already stays as it is. False when it does not fit.
bool ToVerbatimForm(const EnumerationFolder& folder, EnumerationFolder* verbatim)
{
    std::wstring_view rest(folder.data());
    std::wstring_view prefix = kVerbatimPrefix;
    if (rest.starts_with(kVerbatimPrefix)) {
        prefix = {};
    } else if (rest.starts_with(L"\\\\")) {
        prefix = kVerbatimSharePrefix;
        rest.remove_prefix(2);
    }
    if (prefix.size() + rest.size() >= verbatim->size())
        return false;
    prefix.copy(verbatim->data(), prefix.size());
    rest.copy(verbatim->data() + prefix.size(), rest.size());
    (*verbatim)[prefix.size() + rest.size()] = L'\0';
    return true;
}

}  // namespace

bool OpenFolderEnumeration(const char* pattern, FolderEnumeration* enumeration, FolderEntry* first)
{
    // Only the "folder\*" form is ever asked for; the folder keeps its backslash.
    const std::string_view text(pattern);
    if (text.size() < 2 || !text.ends_with("\\*"))
        return false;
    const int length = static_cast<int>(text.size() - 1);
    const int size = static_cast<int>(enumeration->folder.size() - 1);
    const int made = MultiByteToWideChar(CP_ACP, 0, pattern, length, enumeration->folder.data(), size);
    if (made <= 0)
        return false;
    enumeration->folder[static_cast<std::size_t>(made)] = L'\0';
    return StartEnumeration(enumeration, first);
}

bool OpenSubFolderEnumeration(const FolderEnumeration& parent, const FolderEntry& entry,
                              FolderEnumeration* enumeration, FolderEntry* first)
{
    // Path handling would refuse a reserved letter, or strip a trailing dot or space and read the
    // folder beside this one: the long name is taken as it is in the "\\?\" form, or where that
    // path does not fit, the short name.
    if (!PathHandlingTakesName(std::wstring_view(entry.platformName.data()))) {
        if (ToVerbatimForm(parent.folder, &enumeration->folder) &&
            AppendWide(enumeration->folder, entry.platformName.data()) && AppendWide(enumeration->folder, L"\\"))
            return StartEnumeration(enumeration, first);
        if (!ShortNameStandsIn(entry))
            return false;
    }
    // The same name the walk puts in its paths: the short one stands in for a long name that did
    // not survive, so the name makes the wide path no longer than the ANSI one the walk measured.
    std::array<wchar_t, kShortNameCapacity> shortName;
    const wchar_t* name = entry.platformName.data();
    if (ShortNameStandsIn(entry)) {
        if (MultiByteToWideChar(CP_ACP, 0, entry.shortName.data(), -1, shortName.data(),
                                static_cast<int>(shortName.size())) <= 0)
            return false;
        name = shortName.data();
    }
    enumeration->folder = parent.folder;
    if (!AppendWide(enumeration->folder, name) || !AppendWide(enumeration->folder, L"\\"))
        return false;
    return StartEnumeration(enumeration, first);
}

bool NextFolderEntry(FolderEnumeration* enumeration, FolderEntry* next)
{
    WIN32_FIND_DATAW data;
    if (!FindNextFileW(enumeration->handle, &data))
        return false;
    CopyFindData(data, next);
    return true;
}

void CloseFolderEnumeration(FolderEnumeration* enumeration)
{
    FindClose(enumeration->handle);
}

bool GetFolderIdentity(const FolderEnumeration& enumeration, FolderIdentity* identity)
{
    // A folder opens only for its attributes, and through any link to its target.
    HANDLE folder = CreateFileW(enumeration.folder.data(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = GetFileInformationByHandle(folder, &information) != 0;
    CloseHandle(folder);
    if (!known)
        return false;
    identity->volume = information.dwVolumeSerialNumber;
    identity->index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
}

bool FileTimeToLocalTime(std::uint64_t fileTime, SYSTEMTIME* local)
{
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(fileTime);
    utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    FILETIME localFileTime;
    return FileTimeToLocalFileTime(&utc, &localFileTime) && FileTimeToSystemTime(&localFileTime, local);
}

void GetOwnModuleName(std::span<char> out)
{
    if (out.empty())
        return;
    const DWORD size = out.size() > MAXDWORD ? MAXDWORD : static_cast<DWORD>(out.size());
    const DWORD length = GetModuleFileNameA(nullptr, out.data(), size);
    // A cut name is not terminated on every version of the platform.
    out[length < size ? length : size - 1] = '\0';
}

DriveKind GetDriveKind(const char* root)
{
    return static_cast<DriveKind>(GetDriveTypeA(root));
}

bool ShortFormOfPath(std::string_view path, std::span<char> out)
{
    // The wide calls take a path of any length in the "\\?\" form, "\\?\UNC\server\..." for a share.
    const bool share = path.starts_with("\\\\");
    const std::wstring_view prefix = share ? kVerbatimSharePrefix : kVerbatimPrefix;
    const std::string_view rest = share ? path.substr(2) : path;
    std::array<wchar_t, kEntryPathLimit + 8> longForm;
    prefix.copy(longForm.data(), prefix.size());
    const int converted =
        rest.empty() ? 0
                     : MultiByteToWideChar(CP_ACP, 0, rest.data(), static_cast<int>(rest.size()),
                                           longForm.data() + prefix.size(),
                                           static_cast<int>(longForm.size() - prefix.size() - 1));
    if (converted <= 0)
        return false;
    longForm[prefix.size() + static_cast<std::size_t>(converted)] = L'\0';
    std::array<wchar_t, kEntryPathLimit + 8> shortForm;
    const DWORD length = GetShortPathNameW(longForm.data(), shortForm.data(), static_cast<DWORD>(shortForm.size()));
    if (length == 0 || length >= shortForm.size() || !std::wstring_view(shortForm.data(), length).starts_with(prefix))
        return false;
    // Back in the form the path came in: a drive's path after the prefix, a share's after "\\".
    wchar_t* start = shortForm.data() + prefix.size();
    if (share) {
        start -= 2;
        start[0] = start[1] = L'\\';
    }
    return ToCodePage(start, out);
}
