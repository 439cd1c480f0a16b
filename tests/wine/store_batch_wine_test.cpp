// The store's hand-over: lines added on a worker are in the store of this thread, all of them and
// in order, by the time StoreFlush returns, and in the real sorted list box once it has taken those
// it takes later; whatever the count is against the worker's blocks of memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/source_store.h"
#include "catalogue/source_store_win.h"
#include "wine_tree.h"

namespace {

using StoreBatchWineTest = StoreListTest;

struct WorkerLines {
    std::vector<std::string> lines;
    int storedAtFlush = -1;  // what the store held when the worker's flush returned
};

DWORD WINAPI AddLinesAndFlush(void* parameter)
{
    WorkerLines* work = static_cast<WorkerLines*>(parameter);
    for (const std::string& line : work->lines)
        StoreAdd(line.c_str());
    StoreFlush();
    work->storedAtFlush = StoreCount();
    return 0;
}

// Distinct lines, newest first, so the list box has to sort every one; length is at least 12.
std::vector<std::string> Lines(int count, std::size_t length)
{
    std::vector<std::string> lines;
    for (int i = count - 1; i >= 0; --i) {
        std::string line = "line " + std::to_string(100000 + i) + ",";
        line.resize(length, 'x');
        lines.push_back(line);
    }
    return lines;
}

// The worker's index of lines has room for 4,096 at first and then doubles; 1,300 of the longest
// lines fill a block of texts; the list box is asked for room once it holds 65,536.
TEST_F(StoreBatchWineTest, EveryLineArrivesInOrderBeforeTheFlushReturns)
{
    struct Case {
        int count;
        std::size_t length;
    };
    for (const Case& c : {Case{1, 40}, Case{4095, 40}, Case{4096, 40}, Case{4097, 40}, Case{8193, 40}, Case{65536, 40}, Case{65537, 40},
                          Case{1300, kEntryCapacity - 1}, Case{1301, kEntryCapacity - 1}}) {
        SCOPED_TRACE(std::to_string(c.count) + " lines of " + std::to_string(c.length) + " characters");
        StoreReset();
        WorkerLines work{Lines(c.count, c.length)};
        RunOnWorker(AddLinesAndFlush, &work);
        EXPECT_EQ(work.storedAtFlush, c.count);
        std::vector<std::string> expected = work.lines;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(StoreLines(), expected);
        // The lines the list box takes later, on the main window's timer, keep their place.
        for (int tick = 0; tick < 100 && SendMessageA(appState.storeList, LB_GETCOUNT, 0, 0) < c.count; ++tick)
            StoreContinueFill();
        EXPECT_EQ(SendMessageA(appState.storeList, LB_GETCOUNT, 0, 0), c.count);
        EXPECT_EQ(StoreLines(), expected);
    }
}

}  // namespace
