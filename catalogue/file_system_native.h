// Controls of the native file system, for tests and benchmarks. Windows paths are served from
// host folders: "X:\a\b" from the folder mapped to drive X, any other path with '\' read as '/'.
// Host names are read as UTF-8 and given in Latin-1 as the ANSI code page; names with other
// letters do not survive it, nor do names Windows' path handling does not take as they are, and
// no name has a short form. A symbolic link counts as a link.
#pragma once

#include <cstdint>
#include <string_view>

#include "catalogue/file_system.h"

// Forgets every drive, the module name and the time limit.
void NativeResetFileSystem();
// Serves drive letter from hostFolder and reports it as kind.
void NativeMapDrive(char letter, std::string_view hostFolder, DriveKind kind);
void NativeSetModuleName(std::string_view name);
// File times above limit fail to convert (the platform's limit is 0x7FFFFFFFFFFFFFFF).
void NativeSetTimeConversionLimit(std::uint64_t limit);
// File time of a host time in seconds and nanoseconds since 1970.
std::uint64_t NativeFileTimeOf(std::int64_t seconds, std::int64_t nanoseconds);
