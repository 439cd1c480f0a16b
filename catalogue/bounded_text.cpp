#include "catalogue/bounded_text.h"

#include <cstring>

bool CopyText(std::span<char> dest, std::string_view src)
{
    if (dest.empty())
        return src.empty();
    const std::size_t n = src.size() < dest.size() ? src.size() : dest.size() - 1;
    std::memcpy(dest.data(), src.data(), n);
    dest[n] = '\0';
    return n == src.size();
}

bool AppendText(std::span<char> dest, std::string_view src)
{
    const std::size_t used = TextLength(dest);
    if (used >= dest.size())
        return src.empty();
    return CopyText(dest.subspan(used), src);
}

std::size_t TextLength(std::span<const char> buf)
{
    const void* end = std::memchr(buf.data(), '\0', buf.size());
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - buf.data()) : buf.size();
}

static char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

int CompareIgnoringAsciiCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        const auto left = static_cast<unsigned char>(FoldAscii(*a));
        const auto right = static_cast<unsigned char>(FoldAscii(*b));
        if (left != right || left == '\0')
            return left - right;
    }
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}
