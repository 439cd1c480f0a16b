#!/usr/bin/env python3
"""Generates the package folders that bench/wine/run.sh measures, once; later runs reuse them.

For each size N, ROOT/pkg-N holds a tree of N assembly sources (.asm, .inc, .rc) with about a fifth
as many other files mixed in, in folders of 10 to 60 files at depths 2 to 6 below the package
folder, each file with a random last-write time over about ten years. run.sh copies trawlbeck.exe
and Vantrel.exe into the package folder itself. A complete tree has ROOT/pkg-N.manifest beside it
(outside the folder, so the launcher never sees it); a tree without one is made again.

usage: make_trees.py ROOT N [N ...]
Prints one line per size: N SOURCES OTHERS FOLDERS
"""
import os
import random
import shutil
import sys

TREE_VERSION = 1
MIN_FILE_DEPTH, MAX_FILE_DEPTH = 2, 6
MIN_FILES, MAX_FILES = 10, 60
OTHER_SHARE = 0.2          # of all files
UPPER_CASE_SHARE = 0.03    # names written all in capitals
FIRST_TIME = 1420070400    # 2015-01-01 UTC
TIME_SPAN = 10 * 365 * 86400

FOLDER_WORDS = ["src", "lib", "include", "macros", "drivers", "boot", "kernel", "util", "tests", "gfx", "Sound",
                "net", "fs", "mm", "io", "demo", "Samples", "old", "backup", "proj", "res"]
FILE_WORDS = ["main", "start", "init", "video", "keyboard", "mouse", "timer", "irq", "dma", "string", "memory",
              "heap", "print", "parse", "token", "lexer", "macros", "WinMain", "kernel32", "user32", "gdi32",
              "dialog", "menu", "icons", "version", "crt0", "math", "float"]
SOURCE_EXTENSIONS = [".asm"] * 6 + [".inc"] * 3 + [".rc"]
OTHER_EXTENSIONS = [".txt", ".obj", ".exe", ".lst", ".map", ".asm.bak", ".res", ".as"]


class Folder:
    def __init__(self, path, depth):
        self.path = path
        self.depth = depth
        self.children = []
        self.has_files = False


def new_child(folders, parent, rng):
    p = folders[parent]
    child = Folder(os.path.join(p.path, rng.choice(FOLDER_WORDS) + str(len(p.children) + 1)), p.depth + 1)
    os.mkdir(child.path)
    folders.append(child)
    p.children.append(len(folders) - 1)
    return len(folders) - 1


def child_for(folders, parent, rng):
    """An existing sub-folder, more often the more there are (so folders fan out a few ways), or a new one."""
    existing = len(folders[parent].children)
    reuse = 0.0 if existing == 0 else 1.0 - 1.0 / (existing + 1)
    if rng.random() < reuse:
        return rng.choice(folders[parent].children)
    return new_child(folders, parent, rng)


def fill_folder(folder, wanted, counts, rng):
    folder.has_files = True
    for i in range(rng.randint(MIN_FILES, MAX_FILES)):
        if counts["sources"] >= wanted:
            break
        other = rng.random() < OTHER_SHARE
        name = rng.choice(FILE_WORDS) + str(i + 1) + rng.choice(OTHER_EXTENSIONS if other else SOURCE_EXTENSIONS)
        if rng.random() < UPPER_CASE_SHARE:
            name = name.upper()
        path = os.path.join(folder.path, name)
        with open(path, "xb"):
            pass
        ns = (FIRST_TIME + rng.randint(0, TIME_SPAN)) * 1_000_000_000 + rng.randint(0, 999_999_999)
        os.utime(path, ns=(ns, ns))
        counts["others" if other else "sources"] += 1


def generate(tree, wanted):
    rng = random.Random(wanted)
    os.mkdir(tree)
    folders = [Folder(tree, 0)]
    counts = {"sources": 0, "others": 0}
    while counts["sources"] < wanted:
        depth = rng.randint(MIN_FILE_DEPTH, MAX_FILE_DEPTH)
        parent = 0
        for _ in range(1, depth):
            parent = child_for(folders, parent, rng)
        at = child_for(folders, parent, rng)
        if folders[at].has_files:  # a folder gets its files once, so none passes 60
            at = new_child(folders, parent, rng)
        fill_folder(folders[at], wanted, counts, rng)
    return counts["sources"], counts["others"], len(folders) - 1


def prepare(root, wanted):
    tree = os.path.join(root, "pkg-%d" % wanted)
    manifest = tree + ".manifest"
    try:
        with open(manifest) as f:
            tag, version, sources, others, folders = f.read().split()
        if tag == "trawlbeck-wine-bench-tree" and int(version) == TREE_VERSION and int(sources) == wanted:
            return int(sources), int(others), int(folders)
    except (OSError, ValueError):
        pass
    if os.path.exists(manifest):
        os.remove(manifest)
    # Only a folder this script made is removed: its name is ours and it has no manifest yet.
    if os.path.isdir(tree):
        shutil.rmtree(tree)
    print("generating %s ..." % tree, file=sys.stderr, flush=True)
    sources, others, folders = generate(tree, wanted)
    with open(manifest, "w") as f:
        f.write("trawlbeck-wine-bench-tree %d %d %d %d\n" % (TREE_VERSION, sources, others, folders))
    return sources, others, folders


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: make_trees.py ROOT N [N ...]")
    root = sys.argv[1]
    os.makedirs(root, exist_ok=True)
    for arg in sys.argv[2:]:
        wanted = int(arg)
        if wanted < 1:
            sys.exit("make_trees.py: sizes must be at least 1")
        print(wanted, *prepare(root, wanted))


if __name__ == "__main__":
    main()
