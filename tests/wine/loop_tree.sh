#!/usr/bin/env bash
# Makes, on the host side, a tree whose folder links only the host can make: tree/loop/back leads
# back to tree, and tree/linked to a folder beside the tree.
# usage: loop_tree.sh FOLDER
set -euo pipefail
folder=$1
rm -rf "$folder"
mkdir -p "$folder/outside" "$folder/tree/loop"
touch -d '2026-03-05 09:05:07 UTC' "$folder/outside/c.asm" "$folder/tree/a.asm" "$folder/tree/loop/b.asm"
ln -s .. "$folder/tree/loop/back"
ln -s ../outside "$folder/tree/linked"
