#include "catalogue/file_system.h"

#include "catalogue/bounded_text.h"

static void CopyFindData(const WIN32_FIND_DATAA& data, FolderEntry* entry)
{
    CopyText(entry->name, data.cFileName);
    entry->attributes = data.dwFileAttributes;
    entry->lastWriteTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime;
}

bool OpenFolderEnumeration(const char* pattern, FolderEnumeration* enumeration, FolderEntry* first)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    enumeration->handle = find;
    CopyFindData(data, first);
    return true;
}

bool NextFolderEntry(FolderEnumeration* enumeration, FolderEntry* next)
{
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(enumeration->handle, &data))
        return false;
    CopyFindData(data, next);
    return true;
}

void CloseFolderEnumeration(FolderEnumeration* enumeration)
{
    FindClose(enumeration->handle);
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
