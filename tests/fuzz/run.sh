#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target from its seed corpus (tests/fuzz/corpus/NAME).
# Arguments go to libFuzzer; without any, each target runs for 15 seconds. New inputs are kept in
# build/fuzz/corpus/NAME, findings in build/fuzz/findings. Exit status non-zero on a finding.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
options=("$@")
if [ "${#options[@]}" -eq 0 ]; then
    options=(-max_total_time=15)
fi
mkdir -p build/fuzz/findings
for seeds in tests/fuzz/corpus/*/; do
    name=$(basename "$seeds")
    mkdir -p "build/fuzz/corpus/$name"
    echo "== fuzzing $name ${options[*]}"
    "build/fuzz/tests/fuzz/$name" "${options[@]}" -artifact_prefix="build/fuzz/findings/$name-" \
        "build/fuzz/corpus/$name" "$seeds"
done
