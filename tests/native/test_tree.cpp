#include "test_tree.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/file_system_native.h"
#include "catalogue/folder_scan.h"
#include "catalogue/scan_feedback_native.h"
#include "catalogue/source_store.h"

std::int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second)
{
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return timegm(&parts);
}

void TreeTest::SetUp()
{
    setenv("TZ", "UTC", 1);
    tzset();
    char pattern[] = "/tmp/trawlbeck-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    ResetAppState();
    NativeResetFileSystem();
    NativeMapDrive('C', root_, DriveKind::Fixed);
    StoreReset();
    nativeScanFeedback = NativeScanFeedback{};
}

void TreeTest::TearDown()
{
    std::filesystem::remove_all(root_);
}

std::string TreeTest::HostPath(const std::string& relative) const
{
    std::string path = root_ + "/" + relative;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

void TreeTest::MakeFolder(const std::string& relative) const
{
    std::filesystem::create_directories(HostPath(relative));
}

void TreeTest::MakeFile(const std::string& relative, std::int64_t mtimeSeconds) const
{
    const std::filesystem::path path = HostPath(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "; source\n";
    const timespec times[2] = {{mtimeSeconds, 0}, {mtimeSeconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

std::vector<std::string> TreeTest::StoreLines()
{
    std::vector<std::string> lines;
    EntryText line;
    for (int i = 0; i < StoreCount(); ++i) {
        EXPECT_GE(StoreGet(i, line), 0) << "line " << i;
        lines.emplace_back(line.data());
    }
    return lines;
}

void TreeTest::Scan(const std::string& folder)
{
    PathText buffer{};
    CopyText(buffer, folder);
    FolderScan(buffer);
}
