#include "catalogue/source_entry.h"

#include <algorithm>
#include <cstring>

// Writes value in decimal, at least width characters padded on the left with pad, then keeps
// the first cut characters: the year's "%04u" text is cut to 4 so every field keeps its width.
static char* PutNumber(char* out, unsigned value, unsigned width, char pad, unsigned cut)
{
    char digits[12];
    unsigned n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n < width)
        digits[n++] = pad;
    for (unsigned i = 0; i < cut && i < n; ++i)
        *out++ = digits[n - 1 - i];
    return out;
}

void FormatEntryTimes(const SYSTEMTIME& time, std::span<char, kDateLength + 1> date,
                      std::span<char, kTimeLength + 1> clock, std::span<char, kKeyLength + 1> key)
{
    char* d = date.data();
    d = PutNumber(d, time.wDay, 2, ' ', 2);
    *d++ = '/';
    d = PutNumber(d, time.wMonth, 2, '0', 2);
    *d++ = '/';
    d = PutNumber(d, time.wYear, 4, '0', 4);
    *d = '\0';

    char* c = clock.data();
    c = PutNumber(c, time.wHour, 2, ' ', 2);
    *c++ = ':';
    c = PutNumber(c, time.wMinute, 2, '0', 2);
    *c++ = ':';
    c = PutNumber(c, time.wSecond, 2, '0', 2);
    *c = '\0';

    // The key is assembled from the texts just made, so it always agrees with what is shown: the
    // year, month and day of the date, then the whole time. Both texts have their fixed widths.
    char* k = key.data();
    k = std::copy_n(date.data() + 6, 4, k);
    k = std::copy_n(date.data() + 3, 2, k);
    k = std::copy_n(date.data(), 2, k);
    k = std::copy_n(clock.data(), kTimeLength, k);
    *k = '\0';
}

bool BuildSourceEntry(std::span<char> line, std::string_view key, std::string_view name, std::string_view date,
                      std::string_view clock, std::string_view folderPrefix, std::string_view pathName)
{
    if (line.empty())
        return false;
    // The parts go one after another from where the last one ended, cut once the line is full.
    const std::string_view parts[] = {key, ",", name, ",", date, ",", clock, ",", folderPrefix, pathName};
    const std::size_t room = line.size() - 1;
    std::size_t at = 0;
    bool whole = true;
    for (const std::string_view part : parts) {
        const std::size_t taken = std::min(part.size(), room - at);
        std::memcpy(line.data() + at, part.data(), taken);
        at += taken;
        whole = whole && taken == part.size();
    }
    line[at] = '\0';
    return whole;
}

// True when the date and time fields with their commas start at comma.
static bool DateAndTimeFollow(std::string_view line, std::size_t comma)
{
    constexpr std::size_t kSpan = 1 + kDateLength + 1 + kTimeLength + 1;  // ",DD/MM/YYYY,hh:mm:ss,"
    if (comma + kSpan > line.size())
        return false;
    const std::string_view s = line.substr(comma, kSpan);
    return s[0] == ',' && s[3] == '/' && s[6] == '/' && s[11] == ',' && s[14] == ':' && s[17] == ':' && s[20] == ',';
}

bool SplitSourceEntry(std::string_view line, SourceEntryFields* fields)
{
    if (line.size() <= kFilenameStart)
        return false;
    std::size_t nameEnd = std::string_view::npos;
    for (std::size_t p = line.find(',', kFilenameStart); p != std::string_view::npos; p = line.find(',', p + 1)) {
        if (DateAndTimeFollow(line, p)) {
            nameEnd = p;
            break;
        }
    }
    if (nameEnd != std::string_view::npos) {
        fields->filename = line.substr(kFilenameStart, nameEnd - kFilenameStart);
        fields->date = line.substr(nameEnd + 1, kDateLength);
        fields->time = line.substr(nameEnd + 1 + kDateLength + 1, kTimeLength);
        fields->path = line.substr(nameEnd + 1 + kDateLength + 1 + kTimeLength + 1);
        return true;
    }
    // A line that lacks the fixed-width fields is split at its next three commas; Path keeps the rest.
    std::string_view rest = line.substr(kFilenameStart);
    std::string_view* parts[] = {&fields->filename, &fields->date, &fields->time};
    for (std::string_view* part : parts) {
        const std::size_t comma = rest.find(',');
        *part = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    fields->path = rest;
    return true;
}
