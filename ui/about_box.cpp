#include "ui/about_box.h"

#include "catalogue/app_state.h"

#include <array>
#include <charconv>
#include <shellapi.h>
#include <winver.h>

#include "catalogue/bounded_text.h"

namespace {

constexpr char kProgramName[] = "Trawlbeck";
constexpr char kWhatItDoes[] = "Lists the newest assembler sources and starts the editor on the one you choose.";

// Room for the program's version resource; a larger one is not read.
constexpr std::size_t kVersionBlockCapacity = 4096;
// The product line (the name and a version of four numbers), a line break and what the program does.
constexpr std::size_t kAboutTextCapacity = sizeof kProgramName + 4 * 6 + 2 + sizeof kWhatItDoes;

void AppendNumber(std::span<char> text, unsigned number)
{
    std::array<char, 12> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size() - 1, number).ptr;
    AppendText(text, std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
}

// Appends " major.minor.build.revision" from the file version of the program's own VERSIONINFO;
// nothing when it cannot be read.
void AppendOwnVersion(std::span<char> text)
{
    PathText exe;
    const DWORD length = GetModuleFileNameA(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (length == 0 || length >= exe.size())
        return;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.data(), &ignored);
    std::array<char, kVersionBlockCapacity> block;
    if (size == 0 || size > block.size() || !GetFileVersionInfoA(exe.data(), 0, size, block.data()))
        return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixedSize < sizeof *fixed)
        return;
    AppendText(text, " ");
    AppendNumber(text, HIWORD(fixed->dwFileVersionMS));
    AppendText(text, ".");
    AppendNumber(text, LOWORD(fixed->dwFileVersionMS));
    AppendText(text, ".");
    AppendNumber(text, HIWORD(fixed->dwFileVersionLS));
    AppendText(text, ".");
    AppendNumber(text, LOWORD(fixed->dwFileVersionLS));
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
