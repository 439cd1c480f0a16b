// What the catalogue and the tool lookup need of the platform: folder enumeration, file time
// conversion, the program's own file name and drive types. file_system_win.cpp makes the Kernel
// calls; file_system_native.cpp serves the native tests and benchmarks from real host folders.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "catalogue/app_state.h"

inline constexpr std::uint32_t kAttributeFolder = 0x10;

struct FolderEntry {
    std::array<char, kPathCapacity> name;  // long name, without folder
    std::uint32_t attributes;              // the platform's attribute bits
    std::uint64_t lastWriteTime;           // UTC, 100 ns units since 1601
};

struct FolderEnumeration {
    void* handle;
};

// The platform's drive type codes.
enum class DriveKind : unsigned { Unknown = 0, NoRoot = 1, Removable = 2, Fixed = 3, Remote = 4, Optical = 5, RamDisk = 6 };

// Starts enumerating pattern ("folder\*"), giving the first entry. False when the folder cannot be read.
bool OpenFolderEnumeration(const char* pattern, FolderEnumeration* enumeration, FolderEntry* first);
// The next entry; false when there are no more.
bool NextFolderEntry(FolderEnumeration* enumeration, FolderEntry* next);
void CloseFolderEnumeration(FolderEnumeration* enumeration);

// UTC file time to local file time to broken-down local time. False when the time is out of range.
bool FileTimeToLocalTime(std::uint64_t fileTime, SYSTEMTIME* local);

// The program's own full file name, zero-terminated and cut to fit out.
void GetOwnModuleName(std::span<char> out);

DriveKind GetDriveKind(const char* root);
