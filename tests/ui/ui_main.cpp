// Runs the launcher's window tests. The launcher and the stand-ins are taken from the build folder
// named at build time, or from --program-folder=PATH (a Windows path, or a Unix path under Wine).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <string_view>

#include "ui_driver.h"

namespace {

// Under Wine a Unix path is turned into the drive path that reaches it (Z:\... by default).
std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    using ToDosName = WCHAR*(CDECL*)(const char*);
    const auto toDos = reinterpret_cast<ToDosName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos)
        return path;
    WCHAR* wide = toDos(path.c_str());
    if (!wide)
        return path;
    char narrow[MAX_PATH * 2];
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, wide);
    return length > 0 ? std::string(narrow) : path;
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    std::string folder = TRAWLBECK_UI_PROGRAM_FOLDER;
    constexpr std::string_view kOption = "--program-folder=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with(kOption))
            folder = argument.substr(kOption.size());
    }
    ui::SetProgramFolder(WindowsPath(folder));
    return RUN_ALL_TESTS();
}
