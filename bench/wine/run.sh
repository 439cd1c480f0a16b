#!/usr/bin/env bash
# Benchmarks the launcher under Wine: start-to-list, Show All and peak memory of the real
# trawlbeck.exe on generated trees, against the floors in the same run (a window program's start,
# the bare walk, a bare list view), then where the scan's time goes. The programs are described in
# bench/wine/launch_driver.cpp and scan_breakdown.cpp.
#
# Builds the chosen preset's programs if needed, generates the trees once under ROOT and reuses them,
# runs everything in a Wine session of its own (prefix ROOT/prefix, own Xvfb) and stops it at the
# end. The full output goes to ROOT/results-<time>.log; the tables are printed at the end, with the
# load average at each size (other work on the machine shows in every figure).
#
# usage: bash bench/wine/run.sh [--build x86|x64|both] [--runs N] [--sizes N,N,...] [--root FOLDER] [--parts LIST]
#                               [--exe TRAWLBECK_EXE]
#   defaults: --build x86 (the shipped 32-bit exe; both: the 32-bit build, then the 64-bit one, and
#             their figures side by side, each against its own floor) --runs 3 --sizes 1000,10000,100000,1000000
#             --root /tmp/trawlbeck-wine-bench --parts launcher,breakdown
#   parts: launcher (start-to-list, Show All, memory), start-to-list (the launcher part without
#          Show All and its floor), show-all (the launcher's start-to-list, Show All and memory,
#          without the floors), breakdown
#   --exe measures another trawlbeck.exe of the same build (such as one built from an earlier
#   commit) with this build's driver; the log's name then ends in -exe.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)
cd "$root"

arch=x86
runs=3
sizes=1000,10000,100000,1000000
bench_root=/tmp/trawlbeck-wine-bench
parts=launcher,breakdown
exe=
usage="usage: bash bench/wine/run.sh [--build x86|x64|both] [--runs N] [--sizes N,N,...] [--root FOLDER] [--parts launcher,start-to-list,show-all,breakdown] [--exe TRAWLBECK_EXE]"
while [ $# -gt 0 ]; do
    case $1 in
        --build) arch=${2:?$usage}; shift 2 ;;
        --runs) runs=${2:?$usage}; shift 2 ;;
        --sizes) sizes=${2:?$usage}; shift 2 ;;
        --root) bench_root=${2:?$usage}; shift 2 ;;
        --parts) parts=${2:?$usage}; shift 2 ;;
        --exe) exe=$(realpath "${2:?$usage}"); shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
case $arch in x86 | x64 | both) ;; *) echo "run.sh: --build must be x86, x64 or both" >&2; exit 2 ;; esac
case $runs in '' | *[!0-9]* | 0) echo "run.sh: --runs must be a whole number above 0" >&2; exit 2 ;; esac
case $sizes in '' | *[!0-9,]*) echo "run.sh: --sizes must be numbers separated by commas" >&2; exit 2 ;; esac
for part in ${parts//,/ }; do
    case $part in launcher | start-to-list | show-all | breakdown) ;; *) echo "run.sh: unknown part '$part'" >&2; exit 2 ;; esac
done
wants() { case ,$parts, in *,"$1",*) return 0 ;; *) return 1 ;; esac; }
mkdir -p "$bench_root"
bench_root=$(cd "$bench_root" && pwd -P)
if [ "$arch" = both ]; then
    [ -z "$exe" ] || { echo "run.sh: --exe names one build's launcher: give --build x86 or x64" >&2; exit 2; }
    logs=()
    for build_arch in x86 x64; do
        bash "$0" --build "$build_arch" --runs "$runs" --sizes "$sizes" --root "$bench_root" --parts "$parts" |
            tee "$bench_root/.output-$build_arch"
        logs+=("$(sed -n 's/^Full output: //p' "$bench_root/.output-$build_arch")")
    done
    echo
    python3 "$root/bench/wine/side_by_side.py" "${logs[@]}"
    exit 0
fi

# ---- build ---------------------------------------------------------------------------------------
preset=windows-$arch
build=build/$preset
bench_targets="wine_launch_driver wine_window_floor wine_scan_breakdown"
configure=0
[ -f "$build/Makefile" ] || configure=1
for target in $bench_targets; do
    grep -qw "^$target" "$build/Makefile" 2>/dev/null || configure=1
done
if [ "$configure" = 1 ]; then
    cmake --preset "$preset" >/dev/null
fi
# shellcheck disable=SC2086
cmake --build --preset "$preset" --target trawlbeck Vantrel $bench_targets >/dev/null
bin=$root/$build/bench/wine

# ---- trees ---------------------------------------------------------------------------------------
declare -a tree_specs=() driver_args=() breakdown_args=()
to_windows() { local p=$1; echo "Z:${p//\//\\}"; }
# shellcheck disable=SC2086
tree_lines=$(python3 bench/wine/make_trees.py "$bench_root" ${sizes//,/ })
while read -r size sources others folders; do
    package=$bench_root/pkg-$size
    # The measured build's programs are copied in on every run.
    cmp -s "${exe:-$build/trawlbeck.exe}" "$package/trawlbeck.exe" || cp "${exe:-$build/trawlbeck.exe}" "$package/trawlbeck.exe"
    cmp -s "$build/Vantrel.exe" "$package/Vantrel.exe" || cp "$build/Vantrel.exe" "$package/Vantrel.exe"
    files=$((sources + others + 2))
    tree_specs+=("$sources:$files:$folders")
    driver_args+=("$(to_windows "$package")" "$sources" "$files")
    breakdown_args+=("$(to_windows "$package")" "$sources")
done <<<"$tree_lines"

# ---- Wine session --------------------------------------------------------------------------------
export TRAWLBECK_USE_XVFB=${TRAWLBECK_USE_XVFB:-1}
# shellcheck source=scripts/wine-session.sh
. scripts/wine-session.sh
trap wine_session_stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
wine_session_start "$bench_root/prefix"

# The session's wineserver carries every cross-thread message: the programs read its CPU time from
# its /proc entry, found by the prefix in its environment.
unset BENCH_WINESERVER_STAT
for pid in $(pgrep -x wineserver64 || true); do
    if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        export BENCH_WINESERVER_STAT="Z:\\proc\\$pid\\stat"
    fi
done
[ -n "${BENCH_WINESERVER_STAT-}" ] || echo "run.sh: the session's wineserver was not found; its CPU time is left out" >&2

log=$bench_root/results-$arch-$(date +%Y%m%d-%H%M%S)${exe:+-exe}.log
echo "Full output: $log"
echo "trawlbeck.exe: ${exe:-$build/trawlbeck.exe}" | tee -a "$log"
load() { echo "@ $1 $2 $(cut -d' ' -f1 /proc/loadavg)" | tee -a "$log"; }
echo "@ cpus 0 $(nproc)" | tee -a "$log"
bits=64
[ "$arch" = x64 ] || bits=32
echo "@ bits 0 $bits" | tee -a "$log"
run_program() {
    # Wine's console output ends lines with CR LF.
    "$WINE" "$bin/$1" "${@:2}" </dev/null 2>&1 | tr -d '\r' | tee -a "$log"
}

for spec in "${tree_specs[@]}"; do
    size=${spec%%:*}
    i=0
    for s in "${tree_specs[@]}"; do [ "$s" = "$spec" ] && break; i=$((i + 1)); done
    if wants launcher; then
        load load_launcher "$size"
        run_program wine_launch_driver.exe "$runs" "${driver_args[@]:$((i * 3)):3}"
    elif wants start-to-list; then
        load load_launcher "$size"
        run_program wine_launch_driver.exe --start-to-list "$runs" "${driver_args[@]:$((i * 3)):3}"
    fi
    if wants show-all && ! wants launcher; then
        load load_show_all "$size"
        run_program wine_launch_driver.exe --show-all "$runs" "${driver_args[@]:$((i * 3)):3}"
    fi
    if wants breakdown; then
        load load_breakdown "$size"
        run_program wine_scan_breakdown.exe "$runs" "${breakdown_args[@]:$((i * 2)):2}"
    fi
done

python3 bench/wine/summarise.py "$log" "$runs" "${tree_specs[@]}" | tee -a "$log"
