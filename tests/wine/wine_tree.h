// Fixtures of the Wine tests: the store as the program has it (a hidden sorted list box) and small
// real folder trees on the prefix's drive C:, made and read through the real Kernel calls.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/app_state.h"

// A UTC calendar time as a file time.
FILETIME UtcFileTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD milliseconds = 0);

// Creates a folder, or a file with the given last-write time. Paths past the ANSI calls' limit
// are created through the wide calls with the "\\?\" prefix.
void MakeFolder(const std::string& path);
void MakeFile(const std::string& path, const FILETIME& lastWrite);
// The same with a wide path, for names outside the ANSI code page.
void MakeFolder(const std::wstring& path);
void MakeFile(const std::wstring& path, const FILETIME& lastWrite);
// Removes path and everything below it; a missing path is not an error.
void RemoveTree(const std::string& path);

// The state record cleared and appState.storeList a real sorted list box (LBS_SORT |
// LBS_HASSTRINGS), the child of a hidden message-only window of the test thread that takes the
// store's batches as the main window does (appState.mainWindow).
class StoreListTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Every line of the store, first to last, read through the store's own calls.
    static std::vector<std::string> StoreLines();

    // Runs work on a thread of its own, as the program runs its scan worker, while this thread
    // serves what it sends to the store's owner (its batches) until it ends.
    static void RunOnWorker(LPTHREAD_START_ROUTINE work, void* parameter);

    HWND owner_ = nullptr;
};

// Adds a fresh folder on drive C: (root_, no trailing backslash), removed after each test.
class WineTreeTest : public StoreListTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // root_ followed by a backslash and relative.
    std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }
    std::wstring Path(const std::wstring& relative) const;

    // Runs the walk as the program does: on a worker thread whose batches of lines are sent to
    // this thread, which adds them to its list box until the worker ends.
    static void Scan(const std::string& folder);

    std::string root_;
};
