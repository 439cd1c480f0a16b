#!/usr/bin/env bash
# Makes on the host side files whose names Windows' path handling does not take as they are, each
# holding its own path below FOLDER.  usage: reserved_names_tree.sh FOLDER
set -euo pipefail
rm -rf "$1" && mkdir -p "$1/twin." "$1/twin" "$1/trail." && cd "$1"
for name in 'star*.asm' 'pipe|.asm' 'lt<gt>.asm' 'quote".asm' 'back\slash.asm' 'what?.asm' 'co:lon.asm' \
    $'tab\t.asm' twin./a.asm twin/b.asm trail./c.asm; do
    printf '%s' "$name" >"$name"
done
