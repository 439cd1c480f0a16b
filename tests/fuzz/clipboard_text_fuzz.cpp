// The clipboard text of a selection, fuzzed: for any rows of up to four column texts of any bytes
// but '\0' (a Path can pass 255 characters, a row 512 bytes), a block sized by measuring the rows
// holds exactly each column followed by a comma and each row ended by CR LF, zero-terminated, and
// a block one byte short refuses the last row and leaves the text before it as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/app_state.h"
#include "ui/clipboard_text.h"

namespace {

constexpr std::size_t kMostRows = 16;
constexpr std::size_t kColumnCount = 4;

void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "clipboard text: %s\n", what);
        std::abort();
    }
}

struct Row {
    std::array<std::string, kColumnCount> texts;
    std::array<std::string_view, kColumnCount> columns;
    std::size_t count;  // a column the list cannot give ends the row early
};

// Appends every row to a block of exactly size bytes (a heap block, so a write past it is
// caught); false when a row is refused. The text, up to its terminator, in *text.
bool BuildIn(std::size_t size, const std::vector<Row>& rows, std::string* text)
{
    const std::unique_ptr<char[]> block(new char[size]);
    const std::span<char> buffer(block.get(), size);
    buffer[0] = '\0';
    std::size_t length = 0;
    bool whole = true;
    for (const Row& row : rows) {
        const std::size_t before = length;
        if (!AppendClipboardRow(buffer, &length, std::span(row.columns.data(), row.count))) {
            Require(length == before && block[length] == '\0', "a refused row leaves the text as it was");
            whole = false;
            break;
        }
    }
    Require(block[length] == '\0', "the text is terminated at its length");
    text->assign(block.get(), length);
    return whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    std::vector<Row> rows(input.ConsumeIntegralInRange<std::size_t>(1, kMostRows));
    std::string expected;
    std::size_t measured = 1;
    for (Row& row : rows) {
        row.count = input.ConsumeIntegralInRange<std::size_t>(0, kColumnCount);
        for (std::size_t column = 0; column < row.count; ++column) {
            std::string& text = row.texts[column];
            text = input.ConsumeRandomLengthString(kEntryPathLimit);
            std::erase(text, '\0');
            row.columns[column] = text;
            expected += text;
            expected += ',';
        }
        expected += "\r\n";
        measured += ClipboardRowLength(std::span(row.columns.data(), row.count));
    }
    Require(measured == expected.size() + 1, "the measure is the text and its terminator");

    std::string text;
    Require(BuildIn(measured, rows, &text), "a block of the measured size takes every row");
    Require(text == expected, "the text is every column with its comma and every row with CR LF");
    Require(!BuildIn(measured - 1, rows, &text), "a block one byte short refuses a row");
    Require(expected.starts_with(text), "the rows that fit are whole and in order");
    return 0;
}
