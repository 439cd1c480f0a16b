// Bounded copies into fixed character buffers. Every copy leaves the destination zero-terminated
// and says whether the whole source fitted, so each caller decides what a cut text means.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// Replaces dest with src, cut to dest.size() - 1 characters. True when nothing was cut.
bool CopyText(std::span<char> dest, std::string_view src);

// Appends src to the zero-terminated text in dest, cut to fit. True when nothing was cut.
bool AppendText(std::span<char> dest, std::string_view src);

// Length of the zero-terminated text in buf, never reading past its end.
std::size_t TextLength(std::span<const char> buf);

// The zero-terminated text in buf as a view.
inline std::string_view TextView(std::span<const char> buf) { return {buf.data(), TextLength(buf)}; }

// ASCII case-insensitive comparisons: file-name extensions and tool names are plain ASCII.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);
// The catalogue's portable order of two texts: bytes compared after folding ASCII letters to lower
// case, a text that begins another first. Below zero, zero or above zero.
int CompareIgnoringAsciiCase(const char* a, const char* b);
