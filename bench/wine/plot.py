#!/usr/bin/env python3
"""Draws start-to-list against sources (log-log), the launcher and its floor, from the full logs of
bench/wine/run.sh. Each log says its build in its "@ bits" line; logs of one build are merged (a
later log's figure for a size replaces an earlier one's).

usage: plot.py OUT.png LOG [LOG ...]
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (the back end is chosen first)

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from summarise import load_builds  # noqa: E402


def series(results, key):
    """The sizes and values of one result key, in order of size."""
    points = sorted((size, value) for (k, size), value in results.items() if k == key)
    return [p[0] for p in points], [p[1] for p in points]


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: plot.py OUT.png LOG [LOG ...]")
    builds = load_builds(sys.argv[2:])
    figure, axes = plt.subplots(figsize=(7, 4.5))
    for (bits, results), colour in zip(sorted(builds.items()), ["tab:blue", "tab:orange"]):
        sizes, stl = series(results, "stl")
        walk_sizes, walk = series(results, "floor_walk")
        window = dict(zip(*series(results, "floor_window")))
        floor = [w + window[s] for s, w in zip(walk_sizes, walk) if s in window]
        axes.plot(sizes, stl, "o-", color=colour, label="%d-bit launcher" % bits)
        axes.plot(walk_sizes[: len(floor)], floor, "s--", color=colour, alpha=0.6, label="%d-bit floor" % bits)
    axes.set_xscale("log")
    axes.set_yscale("log")
    axes.set_xlabel("sources")
    axes.set_ylabel("start-to-list (s)")
    axes.set_title("Start-to-list under Wine: launcher and floor")
    axes.grid(True, which="both", alpha=0.3)
    axes.legend()
    figure.tight_layout()
    figure.savefig(sys.argv[1], dpi=100)


if __name__ == "__main__":
    main()
