#include <gtest/gtest.h>

#include <string>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/file_system_native.h"
#include "test_tree.h"
#include "tools/tool_lookup.h"

namespace {

class ToolLookupTest : public TreeTest {
protected:
    // Maps another drive letter to a sub-folder of the tree.
    void MapDrive(char letter, DriveKind kind)
    {
        const std::string folder = std::string("drive-") + letter;
        MakeFolder(folder);
        NativeMapDrive(letter, HostPath(folder), kind);
    }
    void Tool(const std::string& relative) const { MakeFile(relative, 0); }
};

TEST_F(ToolLookupTest, EditorAndViewerBesideTheProgram)
{
    NativeSetModuleName("C:\\pkg\\trawlbeck.exe");
    Tool("pkg\\Vantrel.exe");
    Tool("pkg\\Orbenix.exe");
    ASSERT_EQ(LocateTools(), 0);
    EXPECT_EQ(TextView(appState.startFolder), "C:\\pkg");
    EXPECT_EQ(TextView(appState.editorPath), "C:\\pkg\\Vantrel.exe");
    EXPECT_EQ(TextView(appState.viewerPath), "C:\\pkg\\Orbenix.exe");
}

TEST_F(ToolLookupTest, NameMatchesInAnyCaseAndKeepsTheStoredSpelling)
{
    NativeSetModuleName("C:\\pkg\\trawlbeck.exe");
    Tool("pkg\\VANTREL.EXE");
    ASSERT_EQ(LocateTools(), 0);
    EXPECT_EQ(TextView(appState.editorPath), "C:\\pkg\\VANTREL.EXE");
    EXPECT_EQ(appState.viewerPath[0], '\0') << "no viewer: the path stays empty";
}

TEST_F(ToolLookupTest, AFolderNamedLikeTheEditorIsIgnoredAndTheDrivesAreSwept)
{
    NativeSetModuleName("C:\\pkg\\trawlbeck.exe");
    MakeFolder("pkg\\Vantrel.exe");
    Tool("tolvaric\\Vantrel.exe");
    Tool("tolvaric\\Orbenix.exe");
    ASSERT_EQ(LocateTools(), 0);
    EXPECT_EQ(TextView(appState.startFolder), "C:\\tolvaric") << "the first scan walks the package folder";
    EXPECT_EQ(TextView(appState.editorPath), "C:\\tolvaric\\Vantrel.exe");
    EXPECT_EQ(TextView(appState.viewerPath), "C:\\tolvaric\\Orbenix.exe");
}

TEST_F(ToolLookupTest, SweepStopsAtTheFirstMissingDriveLetter)
{
    NativeSetModuleName("C:\\pkg\\trawlbeck.exe");
    MapDrive('E', DriveKind::Fixed);
    Tool("drive-E\\tolvaric\\Vantrel.exe");
    EXPECT_EQ(LocateEditorOnDrives(), -1) << "D: is missing, so E: is never tried";
    EXPECT_EQ(LocateTools(), -1);
    EXPECT_EQ(appState.editorPath[0], '\0');
}

TEST_F(ToolLookupTest, OnlyFixedDrivesAreSearched)
{
    NativeResetFileSystem();
    MapDrive('C', DriveKind::Removable);
    MapDrive('D', DriveKind::Remote);
    MapDrive('E', DriveKind::Fixed);
    Tool("drive-C\\tolvaric\\Vantrel.exe");
    Tool("drive-D\\tolvaric\\Vantrel.exe");
    Tool("drive-E\\tolvaric\\Vantrel.exe");
    ASSERT_EQ(LocateEditorOnDrives(), 0);
    EXPECT_EQ(TextView(appState.startFolder), "E:\\tolvaric");
    EXPECT_EQ(TextView(appState.editorPath), "E:\\tolvaric\\Vantrel.exe");
}

TEST_F(ToolLookupTest, AnUnknownDriveTypeEndsTheSweep)
{
    NativeResetFileSystem();
    MapDrive('C', DriveKind::Unknown);
    MapDrive('D', DriveKind::Fixed);
    Tool("drive-D\\tolvaric\\Vantrel.exe");
    EXPECT_EQ(LocateEditorOnDrives(), -1);
}

TEST_F(ToolLookupTest, ProgramInADriveRootStartsFromTheBareDrive)
{
    NativeSetModuleName("C:\\trawlbeck.exe");
    Tool("Vantrel.exe");
    ASSERT_EQ(LocateTools(), 0);
    EXPECT_EQ(TextView(appState.startFolder), "C:");
    EXPECT_EQ(TextView(appState.editorPath), "C:\\Vantrel.exe");
}

TEST_F(ToolLookupTest, FindFileInFolderLeavesTheResultUntouchedWhenMissing)
{
    MakeFolder("empty");
    PathText folder{};
    CopyText(folder, "C:\\empty");
    PathText out{};
    CopyText(out, "unchanged");
    EXPECT_EQ(FindFileInFolder(folder, kEditorFileName, out), -1);
    EXPECT_EQ(TextView(out), "unchanged");
}

// "C:\" and a 244-character name make a 247-character folder: its editor path is 259 characters,
// the most editorPath holds. One more character and the editor counts as not found.
TEST_F(ToolLookupTest, EditorPathsThatWouldNotFitCountAsNotFound)
{
    const std::string fits(244, 'f');
    const std::string tooLong(245, 'l');
    Tool(fits + "\\Vantrel.exe");
    Tool(tooLong + "\\Vantrel.exe");

    NativeSetModuleName("C:\\" + fits + "\\trawlbeck.exe");
    ASSERT_EQ(LocateTools(), 0);
    EXPECT_EQ(TextLength(appState.editorPath), kPathCapacity - 1);

    ResetAppState();
    NativeSetModuleName("C:\\" + tooLong + "\\trawlbeck.exe");
    EXPECT_EQ(LocateTools(), -1);
    EXPECT_EQ(appState.editorPath[0], '\0');
}

}  // namespace
