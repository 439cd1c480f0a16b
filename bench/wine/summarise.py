#!/usr/bin/env python3
"""Turns the result lines of the Wine benchmark programs ("@ key sources value") into run.sh's tables.

usage: summarise.py LOG RUNS [SIZE:FILES:FOLDERS ...]
"""
import sys

STL_GOAL = 1.25       # start-to-list over its floor
SHOW_ALL_GOAL = 1.2   # Show All over the list view's floor
PEAK_WS_GOAL = 300    # MiB
SHOW_ALL_MS_GOAL = 250           # Show All, and the longest the window goes without answering during it
SHOW_ALL_WS_GOAL = 1.15          # working set after Show All over the one before it
SHOW_ALL_PEAK_GOAL = 1.05        # the process's peak after Show All over the one before it

# The breakdown's parts, in the order scan_breakdown.exe measures them.
BREAKDOWN_ROWS = [("bare walk (floor)", "b_floor"), ("walk, names", "b_names"), ("walk, names and times", "b_times"),
                  ("walk, names, times and lines", "b_lines"), ("worker, lines counted", "b_counted"),
                  ("worker, lines into the sorted list box", "b_sorted"),
                  ("store alone, lines counted", "b_store_counted"), ("store alone", "b_store")]


def load(path):
    results = {}
    with open(path, errors="replace") as f:
        for line in f:
            parts = line.strip().split()
            if len(parts) == 4 and parts[0] == "@":
                results[(parts[1], int(parts[2]))] = float(parts[3])
    return results


def load_builds(logs):
    """The results of several logs by build (the bits of each log's "@ bits" line); a later log's
    figure for a size replaces an earlier one's."""
    builds = {}
    for log in logs:
        results = load(log)
        builds.setdefault(int(results.get(("bits", 0), 0)), {}).update(results)
    return builds


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: summarise.py LOG RUNS [SIZE:FILES:FOLDERS ...]")
    r = load(sys.argv[1])
    runs = int(sys.argv[2])
    trees = [tuple(int(x) for x in arg.split(":")) for arg in sys.argv[3:]]

    def get(key, size=0):
        return r.get((key, size))

    def ms(value, width=8):
        return ("%*.0f" % (width, value * 1e3)) if value is not None else "%*s" % (width, "-")

    def ratio(a, b, width=6):
        return ("%*.2f" % (width, a / b)) if a is not None and b else "%*s" % (width, "-")

    def load_at(key, size):
        value = get(key, size)
        return "%4.2f" % value if value is not None else "   -"

    print()
    print("Trawlbeck under Wine, %d-bit build: medians of %d runs after one warm-up; times in ms; %d CPUs"
          % (get("bits") or 0, runs, get("cpus") or 0))
    if any(get("stl", t[0]) is not None for t in trees):
        print()
        print("Start-to-list (CreateProcess until the list holds min(100, n) rows) against its floor, a window"
              " program's start + the bare walk")
        print("  sources  files folders load | STL = window +  scan +  fill | server CPU |"
              " floor = window +  walk | STL/floor")
        for size, files, folders in trees:
            floor = None
            if get("floor_window", size) is not None and get("floor_walk", size) is not None:
                floor = get("floor_window", size) + get("floor_walk", size)
            print("  %7d %6d %7d %s | %s %8s %6s %5s | %10s | %5s %8s %6s | %9s"
                  % (size, files, folders, load_at("load_launcher", size), ms(get("stl", size), 5),
                     ms(get("stl_window", size)), ms(get("stl_scan", size), 6), ms(get("stl_fill", size), 5),
                     ms(get("stl_server_cpu", size), 10), ms(floor, 5),
                     ms(get("floor_window", size)), ms(get("floor_walk", size), 6),
                     ratio(get("stl", size), floor, 9)))
        print("  Goal: STL/floor <= %.2f at every size." % STL_GOAL)
        print()
        print("Show All (until the list holds all n rows) against a bare list view given the same rows, and the"
              " launcher's peak working set:")
        print("  what it held before Show All (the process, the store, 100 rows) + what Show All added, against a"
              " bare window program and the rows the bare list view added")
        print("  sources load | Show All | list floor | ratio | peak WS MiB = before + Show All |"
              " bare window | floor's rows")

        def mib(value, width):
            return "%*.1f" % (width, value / 1048576) if value is not None else "%*s" % (width, "-")

        for size, _, _ in trees:
            peak, before = get("peak_ws", size), get("ws_before_showall", size)
            added = peak - before if peak is not None and before is not None else None
            print("  %7d %s | %8s | %10s | %5s | %11s %8s %10s | %11s | %12s"
                  % (size, load_at("load_launcher", size), ms(get("showall", size)), ms(get("floor_list", size), 10),
                     ratio(get("showall", size), get("floor_list", size), 5), mib(peak, 11), mib(before, 8),
                     mib(added, 10), mib(get("floor_window_ws", size), 11), mib(get("floor_list_bytes", size), 12)))
        print("  Goal: at 100,000 sources Show All/floor <= %.1f and peak WS < %d MiB." % (SHOW_ALL_GOAL, PEAK_WS_GOAL))
    if any(get("showall_unanswered", t[0]) is not None for t in trees):
        print()
        print("Show All (until the list holds all n rows), the longest the window went without answering during it,"
              " and the launcher's memory just before and after it (MiB)")
        print("  sources load | Show All | unanswered | working set before -> after  ratio |"
              " peak before -> after  ratio")
        for size, _, _ in trees:
            if get("showall_unanswered", size) is None:
                continue
            ws0, ws1 = get("ws_before_showall", size), get("ws_after_showall", size)
            pk0, pk1 = get("peak_ws_before_showall", size), get("peak_ws", size)
            print("  %7d %s | %8s | %10s | %12.1f -> %6.1f %6.2f | %11.1f -> %6.1f %6.3f"
                  % (size, load_at("load_show_all", size) if get("load_show_all", size) is not None
                     else load_at("load_launcher", size), ms(get("showall", size)),
                     ms(get("showall_unanswered", size), 10), ws0 / 1048576, ws1 / 1048576, ws1 / ws0,
                     pk0 / 1048576, pk1 / 1048576, pk1 / pk0))
        print("  Goal: Show All and unanswered <= %d ms, working set ratio <= %.2f, peak ratio <= %.2f."
              % (SHOW_ALL_MS_GOAL, SHOW_ALL_WS_GOAL, SHOW_ALL_PEAK_GOAL))
    if any(get("b_floor", t[0]) is not None for t in trees):
        print()
        print("Where the scan's time goes (in-process, the launcher's worker and hand-over), us per source:"
              " wall (CPU of the process / of the wineserver)")
        rows = BREAKDOWN_ROWS
        print("  %-42s" % "" + "".join("%24d" % t[0] for t in trees))
        print("  %-42s" % "load" + "".join("%24s" % load_at("load_breakdown", t[0]) for t in trees))
        for label, key in rows:
            cells = ""
            for size, _, _ in trees:
                wall, cpu, server = get(key, size), get(key + "_cpu", size), get(key + "_server", size)
                cells += "%24s" % ("-" if wall is None else "%.1f (%.1f / %s)" % (
                    wall * 1e6 / size, (cpu or 0) * 1e6 / size, "%.1f" % (server * 1e6 / size) if server is not None else "-"))
            print("  %-42s" % label + cells)


if __name__ == "__main__":
    main()
