#!/usr/bin/env python3
"""Puts the two builds' figures side by side, each against its own floor, from the full logs of
bench/wine/run.sh (each log says its build in its "@ bits" line; logs of one build are merged, a
later log's figure for a size replacing an earlier one's): start-to-list and its floor, and the
breakdown's parts in microseconds per source.

usage: side_by_side.py LOG [LOG ...]
"""
import sys

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from summarise import BREAKDOWN_ROWS, STL_GOAL, load_builds  # noqa: E402


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: side_by_side.py LOG [LOG ...]")
    builds = load_builds(sys.argv[1:])
    order = sorted(builds)
    def sizes_of(key):
        return {size for results in builds.values() for (k, size) in results if k == key}

    sizes = sorted(sizes_of("stl") | sizes_of("b_floor"))

    def cell(results, size):
        stl, window, walk = (results.get((k, size)) for k in ("stl", "floor_window", "floor_walk"))
        if stl is None or window is None or walk is None:
            return "%28s" % "-"
        return "%7.0f /%7.0f ms %6.2fx  " % (stl * 1e3, (window + walk) * 1e3, stl / (window + walk))

    if sizes_of("stl"):
        print("Start-to-list / its floor (a window program's start + the bare walk), medians; goal <= %.2fx"
              % STL_GOAL)
        print("  %9s " % "sources" + "".join("%28s" % ("%d-bit" % bits) for bits in order))
        for size in sorted(sizes_of("stl")):
            print("  %9d " % size + "".join(cell(builds[bits], size) for bits in order))
        print()
    if not sizes_of("b_floor"):
        return
    print("Where the scan's time goes, us per source (wall), per build")
    width = len(sizes) * 10 + 1
    print("  %-40s" % "" + "".join(("%d-bit" % bits).ljust(width) for bits in order))
    print("  %-40s" % "sources" + "".join((" | ".join("%7d" % size for size in sizes)).ljust(width) for _ in order))
    for label, key in BREAKDOWN_ROWS:
        cells = ""
        for bits in order:
            values = [builds[bits].get((key, size)) for size in sizes]
            cells += " | ".join("%7s" % ("-" if v is None else "%.1f" % (v * 1e6 / size))
                                for v, size in zip(values, sizes)).ljust(width)
        print("  %-40s" % label + cells)


if __name__ == "__main__":
    main()
