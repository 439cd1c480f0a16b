#!/bin/sh
# Configures and builds the optimised bench preset, then runs the catalogue walk benchmark.
# Arguments go to the benchmark: [--root FOLDER] [--runs N] [--sizes N,N,...]
set -eu
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target catalogue_bench
exec build/bench/bench/catalogue_bench "$@"
