// The catalogue line: key,Filename,Date,Time,Path. The key (year, month, space-padded day, time)
// comes first and is fixed-width, so sorting whole lines orders the files by last change.
#pragma once

#include <span>
#include <string_view>

#include "catalogue/app_state.h"

inline constexpr std::size_t kFilenameStart = kKeyLength + 1;

// Date "DD/MM/YYYY", time "hh:mm:ss" and the 16-character key of one broken-down local time.
// Day and hour are space-padded, month, minute and second zero-padded; the year is cut to 4 digits.
void FormatEntryTimes(const SYSTEMTIME& time, std::span<char, kDateLength + 1> date,
                      std::span<char, kTimeLength + 1> clock, std::span<char, kKeyLength + 1> key);

// Writes the whole line into line. The Path is folderPrefix (which ends in exactly one backslash)
// followed by pathName: the name itself, or the short name where the long one does not survive
// the code page. False when the name or the path did not fit and the line was cut.
bool BuildSourceEntry(std::span<char> line, std::string_view key, std::string_view name, std::string_view date,
                      std::string_view clock, std::string_view folderPrefix, std::string_view pathName);

struct SourceEntryFields {
    std::string_view filename;
    std::string_view date;
    std::string_view time;
    std::string_view path;
};

// Splits a line into its four shown fields (views into line). A file name may itself contain
// commas; the fixed-width ",DD/MM/YYYY,hh:mm:ss," that follows the name (no name holds '/' or
// ':') marks where it ends. False when the line is too short to hold a name.
bool SplitSourceEntry(std::string_view line, SourceEntryFields* fields);
