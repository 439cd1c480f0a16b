// What the catalogue and the tool lookup need of the platform: folder enumeration, folder identity,
// file time conversion, the program's own file name and drive types. file_system_win.cpp makes the
// Kernel calls; file_system_native.cpp serves the native tests and benchmarks from real host folders.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "catalogue/app_state.h"

inline constexpr std::uint32_t kAttributeFolder = 0x10;
// A reparse point: a link, junction or mount. Only through one can a walk come back to a folder.
inline constexpr std::uint32_t kAttributeLink = 0x400;
inline constexpr std::size_t kShortNameCapacity = 14;  // an 8.3 name and its terminator
// A walked folder in the platform's own "\\?\UNC\" form, with one long name where the walk's
// path has a short one, and its terminator.
inline constexpr std::size_t kEnumerationFolderCapacity = kEntryPathLimit + 8;

// Names as the platform keeps them: wide characters on Windows, the host's bytes natively.
#ifdef _WIN32
using PlatformChar = wchar_t;
#else
using PlatformChar = char;
#endif

struct FolderEntry {
    // Long name in the ANSI code page, converted without best fit: a letter the code page cannot
    // hold is '?', which no file name holds, so the text never names another file.
    std::array<char, kPathCapacity> name;
    bool nameExact;  // name is the whole long name, and one the platform's path handling takes as it is
    std::array<char, kShortNameCapacity> shortName;  // the 8.3 name when name is not exact; may be empty
    std::uint32_t attributes;                        // the platform's attribute bits
    std::uint64_t lastWriteTime;                     // UTC, 100 ns units since 1601
    std::array<PlatformChar, kPathCapacity> platformName;  // the seam's own: the name as the platform keeps it
};

struct FolderEnumeration {
    void* handle;
    std::array<PlatformChar, kEnumerationFolderCapacity> folder;  // the seam's own: the folder and a backslash
};

// What the platform says makes a folder itself, whatever path reached it.
struct FolderIdentity {
    std::uint64_t volume;
    std::uint64_t index;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

// The platform's drive type codes.
enum class DriveKind : unsigned { Unknown = 0, NoRoot = 1, Removable = 2, Fixed = 3, Remote = 4, Optical = 5, RamDisk = 6 };

// True when the platform's path handling takes name as it is. It reserves < > : " / \ | ? * and
// the control characters, and strips a trailing dot or space; "." and ".." name folders themselves.
template <typename Char>
constexpr bool PathHandlingTakesName(std::basic_string_view<Char> name)
{
    constexpr std::string_view kReserved = "<>:\"/\\|?*";
    for (const Char letter : name) {
        const auto code = static_cast<std::make_unsigned_t<Char>>(letter);
        if (code < 0x20 || (code < 0x80 && kReserved.find(static_cast<char>(code)) != std::string_view::npos))
            return false;
    }
    if (name.size() <= 2 && name.find_first_not_of(Char('.')) == std::basic_string_view<Char>::npos)
        return true;
    return name.back() != Char('.') && name.back() != Char(' ');
}

// True when the entry's short name stands in for a long name that did not survive the code page,
// or that the platform's path handling does not take as it is.
inline bool ShortNameStandsIn(const FolderEntry& entry)
{
    return !entry.nameExact && entry.shortName[0] != '\0';
}

// The name that stands for the entry in a path: the long name when it converted exactly, else
// the short name, else the long name with its '?' or reserved letters (a path that names no file).
inline std::string_view PathNameOf(const FolderEntry& entry)
{
    return ShortNameStandsIn(entry) ? entry.shortName.data() : entry.name.data();
}

// With no short name to stand in, a backslash in the entry's name becomes '?': in a path it
// would split the name in two and name another file.
inline void KeepSeparatorsOutOfName(FolderEntry* entry)
{
    if (entry->nameExact || ShortNameStandsIn(*entry))
        return;
    for (char* letter = entry->name.data(); *letter != '\0'; ++letter)
        if (*letter == '\\')
            *letter = '?';
}

// Starts enumerating pattern ("folder\*"), giving the first entry. False when the folder cannot be read.
bool OpenFolderEnumeration(const char* pattern, FolderEnumeration* enumeration, FolderEntry* first);
// Starts enumerating the sub-folder entry of the folder that parent enumerates. The platform's own
// name is used where the ANSI one cannot open it, so no folder is lost to the code page, and a
// name path handling would change is opened as it is, so the folder read is that one, once.
bool OpenSubFolderEnumeration(const FolderEnumeration& parent, const FolderEntry& entry,
                              FolderEnumeration* enumeration, FolderEntry* first);
// The next entry; false when there are no more.
bool NextFolderEntry(FolderEnumeration* enumeration, FolderEntry* next);
void CloseFolderEnumeration(FolderEnumeration* enumeration);
// The identity of the folder being enumerated; false when the platform does not give it.
bool GetFolderIdentity(const FolderEnumeration& enumeration, FolderIdentity* identity);

// UTC file time to local file time to broken-down local time. False when the time is out of range.
bool FileTimeToLocalTime(std::uint64_t fileTime, SYSTEMTIME* local);

// The program's own full file name, zero-terminated and cut to fit out.
void GetOwnModuleName(std::span<char> out);

DriveKind GetDriveKind(const char* root);

#ifdef _WIN32
// The short form of a path of any length (a drive's or a share's), in the ANSI code page like every
// other name. False when there is none that converts exactly or fits out.
bool ShortFormOfPath(std::string_view path, std::span<char> out);
#endif
