// The text the Copy command puts on the clipboard, built over plain buffers so that it can be
// checked off the platform: one line per row, each column text followed by a comma, then CR LF,
// the whole zero-terminated. The caller measures every row first and sizes the block from that,
// so rows of any length fit.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// Bytes one row adds to the text: each column and its comma, then CR LF (no terminator); the
// largest size_t when that count would not fit in one.
std::size_t ClipboardRowLength(std::span<const std::string_view> columns);

// Appends one row to the zero-terminated text of *length bytes at the start of text and keeps it
// terminated. False, with text and *length unchanged, when the row and the terminator do not fit
// or *length does not lie inside text.
bool AppendClipboardRow(std::span<char> text, std::size_t* length, std::span<const std::string_view> columns);
