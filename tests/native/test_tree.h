// Small real folder trees for the native tests, served to the catalogue as drive C:.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// Seconds since 1970 (UTC) of a calendar time.
std::int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second);

// A temporary folder mapped to drive C: as a fixed drive, with the state record, the store and
// the scan feedback cleared. Removed at the end of each test.
class TreeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Host path of a Windows-style path below the tree ("pkg\a.asm").
    std::string HostPath(const std::string& relative) const;
    void MakeFolder(const std::string& relative) const;
    // Creates a file (and its folders) with the given last-write time.
    void MakeFile(const std::string& relative, std::int64_t mtimeSeconds) const;

    // Every line of the store, from first to last.
    static std::vector<std::string> StoreLines();
    // Runs the walk on a Windows-style folder text.
    static void Scan(const std::string& folder);

    std::string root_;
};
