#!/usr/bin/env bash
# Benchmarks the real launcher under Wine: start-to-list, Show All's rebuild and peak memory of
# build/windows-x64/trawlbeck.exe on generated trees, against the bare walk of the same tree and a
# bare process start, then where the scan's time goes (bench/wine/*.cpp say what each program does).
#
# Builds the windows-x64 preset's programs if needed, generates the trees once under ROOT and reuses
# them, runs everything in a Wine session of its own (prefix ROOT/prefix, own Xvfb) and stops it at
# the end. The full output goes to ROOT/results-<time>.log; the tables are printed at the end.
#
# usage: bash bench/wine/run.sh [--runs N] [--sizes N,N,...] [--root FOLDER] [--poll-ms N] [--parts LIST]
#   defaults: --runs 3 --sizes 1000,10000,100000 --root /tmp/trawlbeck-wine-bench --poll-ms 5
#   --poll-ms: how often the driver polls the launcher (1 to 5 ms); each poll is a wineserver request
#   that competes with the launcher's own, so a shorter interval slows what it measures.
#   --parts launcher,count,store: the launcher and its floors (wine_launch_driver), the walk into a
#   counting store (wine_count_bench), the store and message breakdown (wine_store_bench). At 100,000
#   sources the launcher part takes about 10 minutes here and the store part about half an hour.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)
cd "$root"

runs=3
sizes=1000,10000,100000
bench_root=/tmp/trawlbeck-wine-bench
parts=launcher,count,store
poll_ms=5
goal_seconds=0.5
usage="usage: bash bench/wine/run.sh [--runs N] [--sizes N,N,...] [--root FOLDER] [--poll-ms 1-5] [--parts launcher,count,store]"
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=${2:?$usage}; shift 2 ;;
        --sizes) sizes=${2:?$usage}; shift 2 ;;
        --root) bench_root=${2:?$usage}; shift 2 ;;
        --parts) parts=${2:?$usage}; shift 2 ;;
        --poll-ms) poll_ms=${2:?$usage}; shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
case $runs in '' | *[!0-9]* | 0) echo "run.sh: --runs must be a whole number above 0" >&2; exit 2 ;; esac
case $poll_ms in [1-5]) ;; *) echo "run.sh: --poll-ms must be 1 to 5" >&2; exit 2 ;; esac
case $sizes in '' | *[!0-9,]*) echo "run.sh: --sizes must be numbers separated by commas" >&2; exit 2 ;; esac
wants() { case ,$parts, in *,"$1",*) return 0 ;; *) return 1 ;; esac; }
for part in ${parts//,/ }; do
    case $part in launcher | count | store) ;; *) echo "run.sh: unknown part '$part'" >&2; exit 2 ;; esac
done
mkdir -p "$bench_root"
bench_root=$(cd "$bench_root" && pwd -P)

# ---- build ---------------------------------------------------------------------------------------
build=build/windows-x64
bench_targets="wine_launch_driver wine_floor_walk wine_nop wine_window_nop wine_imports_nop wine_store_bench wine_count_bench"
# Configure when the build folder is new or does not know every bench program yet.
configure=0
[ -f "$build/Makefile" ] || configure=1
for target in $bench_targets; do
    grep -qw "^$target" "$build/Makefile" 2>/dev/null || configure=1
done
if [ "$configure" = 1 ]; then
    cmake --preset windows-x64 >/dev/null
fi
# shellcheck disable=SC2086
cmake --build --preset windows-x64 --target trawlbeck Vantrel $bench_targets >/dev/null
bin=$root/$build/bench/wine

# ---- trees ---------------------------------------------------------------------------------------
declare -a tree_specs=()      # SIZE:FILES:FOLDERS, FILES counting the two programs copied in
declare -a driver_args=() count_args=() store_args=()
to_windows() { local p=$1; echo "Z:${p//\//\\}"; }
# shellcheck disable=SC2086
tree_lines=$(python3 bench/wine/make_trees.py "$bench_root" ${sizes//,/ })
while read -r size sources others folders; do
    package=$bench_root/pkg-$size
    # The programs are copied in on every run, so the trees always hold the current build.
    for exe in trawlbeck.exe Vantrel.exe; do
        cmp -s "$build/$exe" "$package/$exe" || cp "$build/$exe" "$package/$exe"
    done
    files=$((sources + others + 2))
    tree_specs+=("$sources:$files:$folders")
    driver_args+=("$(to_windows "$package")" "$sources" "$files")
    count_args+=("$(to_windows "$package")" "$sources" "$files")
    store_args+=("$(to_windows "$package")" "$sources")
done <<<"$tree_lines"

# ---- Wine session --------------------------------------------------------------------------------
# A virtual X server of its own, so no window reaches the user's display and runs compare.
export TRAWLBECK_USE_XVFB=${TRAWLBECK_USE_XVFB:-1}
# shellcheck source=scripts/wine-session.sh
. scripts/wine-session.sh
trap wine_session_stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
wine_session_start "$bench_root/prefix"

# The session's wineserver carries every cross-thread message: the programs read its CPU time from
# its /proc entry. Found by the prefix in its environment; the figures are left out without it.
unset BENCH_WINESERVER_STAT
for pid in $(pgrep -x wineserver64 || true); do
    # Other sessions' servers come and go meanwhile.
    if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        export BENCH_WINESERVER_STAT="Z:\\proc\\$pid\\stat"
    fi
done
[ -n "${BENCH_WINESERVER_STAT-}" ] || echo "run.sh: the session's wineserver was not found; its CPU time is left out" >&2

log=$bench_root/results-$(date +%Y%m%d-%H%M%S).log
echo "Full output: $log"
# Other work on the machine shows in every figure here: the load is kept with them.
load() { echo "@ $1 0 $(cut -d' ' -f1 /proc/loadavg)" | tee -a "$log"; }
echo "@ cpus 0 $(nproc)" | tee -a "$log"
load load_start
run_program() {
    # Wine's console output ends lines with CR LF.
    "$WINE" "$bin/$1" "${@:2}" </dev/null 2>&1 | tr -d '\r' | tee -a "$log"
}

if wants launcher; then
    echo "== launcher: start-to-list, Show All, memory; floors" | tee -a "$log"
    run_program wine_launch_driver.exe "$runs" "$poll_ms" "${driver_args[@]}"
fi
if wants count; then
    echo | tee -a "$log"
    echo "== the walk into a store that only counts" | tee -a "$log"
    run_program wine_count_bench.exe "$runs" "${count_args[@]}"
fi
if wants store; then
    echo | tee -a "$log"
    echo "== the walk into list boxes and counting windows; list box growth; bare messages" | tee -a "$log"
    run_program wine_store_bench.exe "$runs" "${store_args[@]}"
fi

load load_end
python3 bench/wine/summarise.py "$log" "$runs" "$goal_seconds" "${tree_specs[@]}" | tee -a "$log"
