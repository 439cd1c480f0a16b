// The version resource of the built launcher, read as Windows reads it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "catalogue/app_state.h"

namespace {

// The launcher's Unix path (TRAWLBECK_EXE, from the build) as a Windows path, through Wine's own
// conversion.
std::string LauncherPath()
{
    using UnixToDos = WCHAR*(CDECL*)(const char*);
    const auto toDos = reinterpret_cast<UnixToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos)
        return {};
    WCHAR* wide = toDos(TRAWLBECK_EXE);
    if (!wide)
        return {};
    char path[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof path, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, wide);
    return path;
}

TEST(TrawlbeckExeWineTest, VersionResourceNamesTheProductAndTheProjectVersion)
{
    const std::string exe = LauncherPath();
    ASSERT_FALSE(exe.empty()) << "no Windows path for " << TRAWLBECK_EXE;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << exe << " has no version resource (error " << GetLastError() << ")";
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(TRAWLBECK_VERSION_MINOR, TRAWLBECK_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, TRAWLBECK_VERSION_PATCH)));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // The strings are found as a reader finds them: through the first translation listed.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_GE(length, 2 * sizeof(WORD));
    char query[64];
    snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\ProductName", translation[0], translation[1]);
    char* productName = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&productName), &length)) << query;
    EXPECT_STREQ(productName, "Trawlbeck");
}

}  // namespace
