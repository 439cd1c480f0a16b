#!/usr/bin/env python3
"""Turns the result lines of the Wine benchmark programs ("@ key sources value") into run.sh's tables.

usage: summarise.py LOG RUNS GOAL_SECONDS [SIZE:FILES:FOLDERS ...]
"""
import sys


def load(path):
    results = {}
    with open(path, errors="replace") as f:
        for line in f:
            parts = line.strip().split()
            if len(parts) == 4 and parts[0] == "@":
                results[(parts[1], int(parts[2]))] = float(parts[3])
    return results


def main():
    if len(sys.argv) < 4:
        sys.exit("usage: summarise.py LOG RUNS GOAL_SECONDS [SIZE:FILES:FOLDERS ...]")
    r = load(sys.argv[1])
    runs = int(sys.argv[2])
    goal = float(sys.argv[3])
    trees = [tuple(int(x) for x in arg.split(":")) for arg in sys.argv[4:]]
    sizes = [t[0] for t in trees]

    def get(key, size=0):
        return r.get((key, size))

    def ms(value, width=9):
        return ("%*.1f" % (width, value * 1e3)) if value is not None else "%*s" % (width, "-")

    def us(value, size, width=8):
        return ("%*.2f" % (width, value * 1e6 / size)) if value is not None else "%*s" % (width, "-")

    def mib(value, width=8):
        return ("%*.1f" % (width, value / 1048576)) if value is not None else "%*s" % (width, "-")

    def ratio(a, b, width=7):
        return ("%*.1f" % (width, a / b)) if a is not None and b else "%*s" % (width, "-")

    print()
    print("=" * 100)
    print("Trawlbeck under Wine: medians of %d runs (after one untimed warm-up); times in ms" % runs)
    print("=" * 100)
    print()
    if get("load_start") is not None:
        print("Machine: %d CPUs, load average %.2f at the start and %.2f at the end (other work competes for the CPUs)"
              % (get("cpus") or 0, get("load_start"), get("load_end") or 0))
    launcher = any(get("stl", size) is not None for size in sizes)
    if get("poll") is not None:
        server = get("poll_server_cpu")
        print("Polling the launcher every %d ms; one poll takes %.1f us%s"
              % (get("poll_ms"), get("poll") * 1e6,
                 ", %.1f us of it wineserver CPU" % (server * 1e6) if server is not None else ""))
    if get("nop_proc") is not None:
        print("Process start alone: console program %s ms to its end; window program %s ms until its window exists,"
              " %s ms with the launcher's other imports (comdlg32, shell32, ole32)"
              % (ms(get("nop_proc"), 0), ms(get("gui_window"), 0), ms(get("imports_window"), 0)))
    if launcher:
        print_launcher(get, trees, goal, ms, mib, ratio)
    if any(get("walk_list_cross", size) is not None or get("c_count", size) is not None for size in sizes):
        print_breakdown(get, trees, sizes, us)


def print_launcher(get, trees, goal, ms, mib, ratio):
    print()
    print("1. Start-to-list (CreateProcess of trawlbeck.exe until its list holds min(100, n) rows)")
    print("   sources    files folders | start-to-list = window +     scan +   fill | first run |"
          " floor walk  floor proc | STL/walk STL/proc")
    for size, files, folders in trees:
        stl = get("stl", size)
        print("   %7d %8d %7d | %13s %8s %8s %6s | %9s | %10s %11s | %8s %8s"
              % (size, files, folders, ms(get("stl", size), 13), ms(get("stl_window", size), 8),
                 ms(get("stl_scan", size), 8), ms(get("stl_fill", size), 6), ms(get("stl_first", size)),
                 ms(get("floor_walk", size), 10), ms(get("floor_proc", size), 11),
                 ratio(stl, get("floor_walk", size), 8), ratio(stl, get("floor_proc", size), 8)))
    print("   sources | start-to-list min - max | CPU until the list: launcher  wineserver")
    for size, _, _ in trees:
        print("   %7d | %9s - %9s |                    %8s  %10s"
              % (size, ms(get("stl_min", size)), ms(get("stl_max", size)), ms(get("stl_cpu", size), 8),
                 ms(get("stl_server_cpu", size), 10)))
    print("   window: until the main window exists; scan: until the list view exists (WM_SCAN_DONE handled);"
          " fill: until it holds its rows.")
    print("   floor walk: bare FindFirstFileA/FindNextFileA walk in-process; floor proc: the same walk as a"
          " process of its own (start + walk + exit).")
    goal_size = 1000
    stl = get("stl", goal_size)
    if stl is not None:
        print("   Goal: at %d sources, start-to-list under %.0f ms: %.1f ms (fastest run %.1f ms), %s"
              % (goal_size, goal * 1e3, stl * 1e3, get("stl_min", goal_size) * 1e3,
                 "met" if stl < goal else "NOT met"))

    print()
    print("2. Show All and memory (GetProcessMemoryInfo of the launcher)")
    print("   sources | Show All | peak WS at list | peak WS before exit | pagefile at list | peak pagefile before exit")
    for size, _, _ in trees:
        print("   %7d | %8s | %11s MiB | %15s MiB | %12s MiB | %21s MiB"
              % (size, ms(get("showall", size), 8), mib(get("list_peak_ws", size), 11),
                 mib(get("peak_ws", size), 15), mib(get("list_pf", size), 12), mib(get("peak_pf", size), 21)))
    print("   baseline, a window program alone: peak WS %s MiB, pagefile %s MiB; with the launcher's imports:"
          " peak WS %s MiB, pagefile %s MiB"
          % (mib(get("gui_peak_ws"), 0), mib(get("gui_peak_pf"), 0), mib(get("imports_peak_ws"), 0),
             mib(get("imports_peak_pf"), 0)))
    if get("counter_peak_pf_is_peak") == 0:
        print("   Note: under this Wine PeakPagefileUsage is the current figure, not a peak (checked by the driver);"
              " PeakWorkingSetSize is a true peak.")


def print_breakdown(get, trees, sizes, us):
    print()
    print("3. Where the scan's time goes: the library's FolderScan under Wine, microseconds per source file")
    print("   (wall time; in brackets the CPU time of the bench process / of the wineserver, where measured)")
    header = "   %-58s" % "" + "".join("%26d" % size for size in sizes)
    print(header)
    rows = [
        ("bare floor walk, FindFirstFileA/FindNextFileA", "c_floor"),
        ("walk + lines into a store that only counts (c)", "c_count"),
        ("walk into a counting window, same thread", "walk_count_same"),
        ("walk into a counting window, other thread", "walk_count_cross"),
        ("walk into the sorted list box, same thread (a)", "walk_list_same"),
        ("walk into the sorted list box, other thread (b)", "walk_list_cross"),
        ("the launcher's worker, main window hidden", "walk_worker_hidden"),
        ("the launcher's worker, main window shown", "walk_worker_shown"),
        ("the launcher itself: scan phase of start-to-list", "stl_scan"),
    ]

    def cell(key, size):
        wall = get(key, size)
        if wall is None:
            return "%26s" % "-"
        cpu, server = get(key + "_cpu", size), get(key + "_server", size)
        if key == "stl_scan":
            return "%26s" % ("%.1f" % (wall * 1e6 / size))
        if cpu is None:
            return "%26s" % ("%.1f" % (wall * 1e6 / size))
        return "%26s" % ("%.1f (%.0f / %s)" % (wall * 1e6 / size, cpu * 1e6 / size,
                                                "%.0f" % (server * 1e6 / size) if server is not None else "-"))
    for label, key in rows:
        print("   %-58s" % label + "".join(cell(key, size) for size in sizes))
    print("   What each step adds (differences of the wall times above, us per source):")
    steps = [
        ("building the lines (c - floor)", "c_count", "c_floor"),
        ("a same-thread SendMessage per file", "walk_count_same", "c_count"),
        ("making it cross-thread", "walk_count_cross", "walk_count_same"),
        ("the sorted list box's own work, same thread", "walk_list_same", "walk_count_same"),
        ("cross-thread, with the list box ((b) - (a))", "walk_list_cross", "walk_list_same"),
        ("the worker's thread, progress bar and status line", "walk_worker_hidden", "walk_list_cross"),
        ("a shown main window", "walk_worker_shown", "walk_worker_hidden"),
        ("the launcher over the bench's worker", "stl_scan", "walk_worker_shown"),
    ]
    for label, a, b in steps:
        cells = ""
        for size in sizes:
            va, vb = get(a, size), get(b, size)
            cells += "%26s" % (("%.1f" % ((va - vb) * 1e6 / size)) if va is not None and vb is not None else "-")
        print("   %-58s" % label + cells)
    print("   Bare SendMessage(WM_NULL): same thread %s us (CPU %s / %s), other thread %s us (CPU %s / %s;"
          " in the kernel %s / %s)"
          % (us(get("msg_same"), 1, 0), us(get("msg_same_cpu"), 1, 0), us(get("msg_same_server"), 1, 0),
             us(get("msg_cross"), 1, 0), us(get("msg_cross_cpu"), 1, 0), us(get("msg_cross_server"), 1, 0),
             us(get("msg_cross_cpu_kernel"), 1, 0), us(get("msg_cross_server_kernel"), 1, 0)))

    print()
    print("4. LB_ADDSTRING (same thread) into a list box growing to n, the tree's lines in walk-like order")
    print("   sources | sorted: avg   first tenth   last tenth  bytes/line | unsorted: avg  last tenth")
    for size, _, _ in trees:
        b = get("lb_sorted_bytes", size)
        print("   %7d |       %7s %11s %12s %11s |       %8s %11s"
              % (size, us(get("lb_sorted_total", size), size, 7), us(get("lb_sorted_first", size), 1, 11),
                 us(get("lb_sorted_last", size), 1, 12), ("%11.0f" % b) if b is not None else "%11s" % "-",
                 us(get("lb_unsorted_total", size), size, 8), us(get("lb_unsorted_last", size), 1, 11)))


if __name__ == "__main__":
    main()
