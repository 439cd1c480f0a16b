// The editor lookup over real folders and the real drives of the prefix. Drive E: is added for
// the test run by the ctest fixture wine_drive_e (prefix_drive.sh), so that a fixed drive lies
// after the missing D:.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "tools/tool_lookup.h"
#include "wine_tree.h"

namespace {

constexpr char kPackageOnC[] = "C:\\tolvaric";
constexpr char kPackageOnE[] = "E:\\tolvaric";

class ToolLookupWineTest : public WineTreeTest {
protected:
    void SetUp() override
    {
        WineTreeTest::SetUp();
        RemovePackages();
    }
    void TearDown() override
    {
        RemovePackages();
        WineTreeTest::TearDown();
    }

    static void RemovePackages()
    {
        RemoveTree(kPackageOnC);
        if (GetDriveTypeA("E:\\") == DRIVE_FIXED)
            RemoveTree(kPackageOnE);
    }

    static int Find(const std::string& folder, PathText* out)
    {
        PathText buffer{};
        CopyText(buffer, folder);
        return FindFileInFolder(buffer, kEditorFileName, *out);
    }
};

TEST_F(ToolLookupWineTest, FindsTheEditorInAnyCaseWithItsStoredSpellingAndIgnoresFolders)
{
    MakeFolder(Path("pkg"));
    MakeFile(Path("pkg\\VANTREL.EXE"), UtcFileTime(2026, 3, 5, 9, 5, 7));
    PathText found{};
    ASSERT_EQ(Find(Path("pkg"), &found), 0);
    EXPECT_EQ(TextView(found), Path("pkg\\VANTREL.EXE"));

    MakeFolder(Path("beside"));
    MakeFolder(Path("beside\\Vantrel.exe"));
    PathText untouched{};
    CopyText(untouched, "unchanged");
    EXPECT_EQ(Find(Path("beside"), &untouched), -1) << "a folder is not the editor";
    EXPECT_EQ(TextView(untouched), "unchanged");
}

TEST_F(ToolLookupWineTest, DriveTypesOfThePrefix)
{
    std::string types;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const char root[] = {letter, ':', '\\', '\0'};
        types += std::string(1, letter) + "=" + std::to_string(GetDriveTypeA(root)) + " ";
    }
    EXPECT_EQ(GetDriveTypeA("C:\\"), static_cast<UINT>(DRIVE_FIXED)) << types;
    EXPECT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR)) << types;
    EXPECT_EQ(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_FIXED)) << "E: comes from the ctest fixture; " << types;
    EXPECT_EQ(GetDriveTypeA("Z:\\"), static_cast<UINT>(DRIVE_FIXED)) << "Wine maps the Unix root to Z:; " << types;
}

TEST_F(ToolLookupWineTest, SweepFindsThePackageOnDriveC)
{
    MakeFolder(kPackageOnC);
    MakeFile(std::string(kPackageOnC) + "\\Vantrel.exe", UtcFileTime(2026, 3, 5, 9, 5, 7));
    ASSERT_EQ(LocateEditorOnDrives(), 0);
    EXPECT_EQ(TextView(appState.startFolder), kPackageOnC);
    EXPECT_EQ(TextView(appState.editorPath), "C:\\tolvaric\\Vantrel.exe");
}

TEST_F(ToolLookupWineTest, SweepStopsAtTheFirstMissingLetter)
{
    ASSERT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    ASSERT_EQ(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_FIXED)) << "E: comes from the ctest fixture wine_drive_e";
    MakeFolder(kPackageOnE);
    MakeFile(std::string(kPackageOnE) + "\\Vantrel.exe", UtcFileTime(2026, 3, 5, 9, 5, 7));
    PathText reachable{};
    ASSERT_EQ(Find(kPackageOnE, &reachable), 0) << "the editor on E: can be found";

    EXPECT_EQ(LocateEditorOnDrives(), -1) << "D: is missing, so E: is never tried";
    EXPECT_EQ(appState.editorPath[0], '\0');
}

}  // namespace
