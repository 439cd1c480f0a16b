#include "ui/about_box.h"

#include "catalogue/app_state.h"

#include <array>
#include <charconv>
#include <cstring>
#include <shellapi.h>
#include <winver.h>

#include "catalogue/bounded_text.h"

namespace {

constexpr char kProgramName[] = "Trawlbeck";
constexpr char kWhatItDoes[] = "Lists the newest assembler sources and starts the editor on the one you choose.";

// The product line (the name and a version of four numbers), a line break and what the program does.
constexpr std::size_t kAboutTextCapacity = sizeof kProgramName + 4 * 6 + 2 + sizeof kWhatItDoes;

void AppendNumber(std::span<char> text, unsigned number)
{
    std::array<char, 12> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size() - 1, number).ptr;
    AppendText(text, std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
}

// The fixed part of the program's own VERSIONINFO resource, read in place: the version DLL is not
// one Windows always takes from its system folder. The block starts with three WORDs (its length,
// its value's length and its type) and the key "VS_VERSION_INFO"; the fixed part follows at the
// next 32-bit boundary. False when the resource is missing or not of that form.
bool ReadOwnFixedVersion(VS_FIXEDFILEINFO* fixed)
{
    constexpr wchar_t kKey[] = L"VS_VERSION_INFO";
    constexpr std::size_t kKeyOffset = 3 * sizeof(WORD);
    constexpr std::size_t kFixedOffset = (kKeyOffset + sizeof kKey + 3) / 4 * 4;
    static_assert(kFixedOffset == 40);
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const auto* block = static_cast<const char*>(loaded ? LockResource(loaded) : nullptr);
    if (!block || SizeofResource(nullptr, found) < kFixedOffset + sizeof *fixed)
        return false;
    WORD valueLength = 0;
    std::memcpy(&valueLength, block + sizeof(WORD), sizeof valueLength);
    if (valueLength != sizeof *fixed || std::memcmp(block + kKeyOffset, kKey, sizeof kKey) != 0)
        return false;
    std::memcpy(fixed, block + kFixedOffset, sizeof *fixed);
    return fixed->dwSignature == VS_FFI_SIGNATURE;
}

// Appends " major.minor.build.revision" from the file version of the program's own VERSIONINFO;
// nothing when it cannot be read.
void AppendOwnVersion(std::span<char> text)
{
    VS_FIXEDFILEINFO fixed;
    if (!ReadOwnFixedVersion(&fixed))
        return;
    AppendText(text, " ");
    AppendNumber(text, HIWORD(fixed.dwFileVersionMS));
    AppendText(text, ".");
    AppendNumber(text, LOWORD(fixed.dwFileVersionMS));
    AppendText(text, ".");
    AppendNumber(text, HIWORD(fixed.dwFileVersionLS));
    AppendText(text, ".");
    AppendNumber(text, LOWORD(fixed.dwFileVersionLS));
}

}  // namespace

void ShowAboutBox()
{
    // The title is the name alone. The product line goes in the box's own text rather than after a
    // '#' in the title, which not every implementation of the box splits off.
    std::array<char, kAboutTextCapacity> text;
    CopyText(text, kProgramName);
    AppendOwnVersion(text);
    AppendText(text, "\r\n");
    AppendText(text, kWhatItDoes);
    ShellAboutA(appState.mainWindow, kProgramName, text.data(), nullptr);
}
