// The catalogue line, fuzzed: for any name the walk can give (1 to 255 characters, commas and '?'
// included, never '\0', '/' or ':', which no file name holds), any folder up to 256 characters,
// either the name or a short name ending the Path, and any broken-down time, the line built from
// them splits back into exactly that name, date, time and Path, within the line's buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/source_entry.h"

namespace {

constexpr std::size_t kShortNameLimit = 12;

void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "catalogue line: %s\n", what);
        std::abort();
    }
}

// Text of up to limit characters as a file name can hold it.
std::string NameText(FuzzedDataProvider& input, std::size_t limit)
{
    std::string text = input.ConsumeRandomLengthString(limit);
    std::erase_if(text, [](char c) { return c == '\0' || c == '/' || c == ':'; });
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    SYSTEMTIME time{};
    time.wYear = input.ConsumeIntegral<WORD>();
    time.wMonth = input.ConsumeIntegral<WORD>();
    time.wDay = input.ConsumeIntegral<WORD>();
    time.wHour = input.ConsumeIntegral<WORD>();
    time.wMinute = input.ConsumeIntegral<WORD>();
    time.wSecond = input.ConsumeIntegral<WORD>();
    const bool shortNameInPath = input.ConsumeBool();
    const std::string name = NameText(input, kNameLimit);
    const std::string shortName = NameText(input, kShortNameLimit);
    std::string folder = input.ConsumeRandomLengthString(kFolderLimit);
    std::erase(folder, '\0');
    if (name.empty() || (shortNameInPath && shortName.empty()))
        return 0;
    // The walk drops one trailing backslash of its folder and adds one.
    const std::string folderPrefix = (folder.ends_with('\\') ? folder.substr(0, folder.size() - 1) : folder) + "\\";
    const std::string& pathName = shortNameInPath ? shortName : name;

    std::array<char, kDateLength + 1> date;
    std::array<char, kTimeLength + 1> clock;
    std::array<char, kKeyLength + 1> key;
    FormatEntryTimes(time, date, clock, key);
    Require(TextLength(date) == kDateLength && TextLength(clock) == kTimeLength && TextLength(key) == kKeyLength,
            "the time texts have their widths");

    EntryText line;
    Require(BuildSourceEntry(line, TextView(key), name, TextView(date), TextView(clock), folderPrefix, pathName),
            "the whole line fits its buffer");

    // The split reads a copy of exactly the line's length, so a read past its end is caught.
    const std::size_t length = TextLength(line);
    const std::unique_ptr<char[]> exact(new char[length]);
    std::copy(line.data(), line.data() + length, exact.get());
    SourceEntryFields fields;
    Require(SplitSourceEntry(std::string_view(exact.get(), length), &fields), "the line splits");
    Require(fields.filename == name, "Filename is the name");
    Require(fields.date == TextView(date), "Date is the date text");
    Require(fields.time == TextView(clock), "Time is the time text");
    Require(fields.path == folderPrefix + pathName, "Path is the folder prefix and the path name");
    return 0;
}
