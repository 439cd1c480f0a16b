// The floor as a whole process: walks FOLDER with bare FindFirstFileA/FindNextFileA and ends.
// Exit code 0 when it saw SOURCES source files and FILES files, 2 otherwise, 1 on bad arguments.
//
// usage: wine_floor_walk.exe FOLDER SOURCES FILES
#include "bench/wine/bench_common.h"

int main(int argc, char** argv)
{
    if (argc != 4)
        bench::Fail("wine_floor_walk", "usage: wine_floor_walk.exe FOLDER SOURCES FILES");
    const unsigned long long sources = bench::ParseCount("wine_floor_walk", argv[2]);
    const unsigned long long files = bench::ParseCount("wine_floor_walk", argv[3]);
    const bench::FloorCounts counts = bench::FloorWalk(argv[1]);
    return counts.sources == sources && counts.files == files ? 0 : 2;
}
