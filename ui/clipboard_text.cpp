#include "ui/clipboard_text.h"

#include <cstring>
#include <limits>

namespace {

constexpr std::string_view kColumnEnd = ",";
constexpr std::string_view kRowEnd = "\r\n";

char* Put(char* at, std::string_view text)
{
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

}  // namespace

std::size_t ClipboardRowLength(std::span<const std::string_view> columns)
{
    constexpr std::size_t kMost = std::numeric_limits<std::size_t>::max();
    std::size_t length = kRowEnd.size();
    for (std::string_view column : columns) {
        // Views that together pass the address space can only come from a caller's mistake: the
        // length then stays at its largest value, which no block can hold.
        if (column.size() > kMost - kColumnEnd.size() - length)
            return kMost;
        length += column.size() + kColumnEnd.size();
    }
    return length;
}

bool AppendClipboardRow(std::span<char> text, std::size_t* length, std::span<const std::string_view> columns)
{
    if (*length >= text.size())
        return false;
    // Room left after the text and its terminator.
    const std::size_t room = text.size() - *length - 1;
    if (ClipboardRowLength(columns) > room)
        return false;
    char* at = text.data() + *length;
    for (std::string_view column : columns) {
        at = Put(at, column);
        at = Put(at, kColumnEnd);
    }
    at = Put(at, kRowEnd);
    *at = '\0';
    *length = static_cast<std::size_t>(at - text.data());
    return true;
}
