#!/usr/bin/env bash
# The project's test command: bash scripts/test.sh (from the project root, or from anywhere).
# Installs what is missing, configures and builds the presets host, windows-x86 and windows-x64,
# runs the native tests, a short run of each fuzz target (one test) and the release checks (the zips,
# and a second build of the shipped exe elsewhere, one test each), then the Wine tests of the
# 32-bit build and of the 64-bit build, one after the other in one session of their own (prefix
# build/wine-prefix, always on Xvfb). The last line is "N passed, M failed[, K skipped]" over all
# of them, where a preset that failed to build counts as one failed test; the exit status is
# non-zero when anything failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
cd "$root" || exit 1
started=$SECONDS

passed=0
failed=0
skipped=0
problems=()

note_failure()
{
    problems+=("$1")
    failed=$((failed + 1))
}

# Runs ctest with the given arguments and adds its counts to the totals. Tests that did not run
# because a fixture failed are counted as failed, as ctest counts them.
run_ctest()
{
    local label=$1
    shift
    local log="build/ctest-$label.log"
    ctest "$@" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    local summary
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$summary" ]; then
        note_failure "ctest $label ended without a summary (exit code $status)"
        return
    fi
    local run_failed run_total run_skipped
    run_failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
    run_total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
    run_skipped=$(sed -n '/^The following tests did not run:/,/^$/p' "$log" | grep -c '(Skipped)$' || true)
    echo "== ctest $label: $((run_total - run_failed - run_skipped)) passed, $run_failed failed, $run_skipped skipped"
    passed=$((passed + run_total - run_failed - run_skipped))
    skipped=$((skipped + run_skipped))
    failed=$((failed + run_failed))
    if [ "$run_failed" -gt 0 ]; then
        problems+=("ctest $label: $run_failed failed")
    elif [ "$status" -ne 0 ]; then
        note_failure "ctest $label exited with $status"
    fi
}

# Where the 32-bit build cannot run (a kernel that runs 64-bit user code only, or Wine's 32-bit
# half missing), its Wine tests cannot start: the checks of its exe (which need no Wine) run, every
# other test is counted as skipped, and the run says why.
run_32bit_exe_checks_only()
{
    local count
    count=$(ctest --preset windows-x86 -N 2>/dev/null | sed -n 's/^Total Tests: //p')
    echo "== Wine tests of windows-x86: SKIPPED: $(wine_session_32bit_reason);"
    echo "   only the exe checks run"
    run_ctest windows-x86-exe --preset windows-x86 --no-tests=error -R '^trawlbeck_exe$'
    skipped=$((skipped + ${count:-1} - 1))
}

# Configures and builds a preset; false (and counted) when either step fails.
build_preset()
{
    local preset=$1
    echo "== build $preset (at $((SECONDS - started)) s)"
    if ! cmake --preset "$preset" >"build/configure-$preset.log" 2>&1; then
        cat "build/configure-$preset.log"
        note_failure "configure $preset"
        return 1
    fi
    if ! cmake --build --preset "$preset"; then
        note_failure "build $preset"
        return 1
    fi
}

finish()
{
    local status=0
    if [ "${#problems[@]}" -gt 0 ]; then
        printf 'FAILED: %s\n' "${problems[@]}"
        status=1
    fi
    echo "test.sh took $((SECONDS - started)) s"
    if [ "$skipped" -gt 0 ]; then
        echo "$passed passed, $failed failed, $skipped skipped"
    else
        echo "$passed passed, $failed failed"
    fi
    exit "$status"
}

if ! bash scripts/setup.sh; then
    note_failure "setup"
    finish
fi
mkdir -p build

# Runs in the same tree share the build folders and the Wine prefix: one at a time. Only this
# shell holds the lock: the session and the tests get descriptor 8 closed, so that no Xvfb or Wine
# process left behind by a killed run can keep it.
exec 8>build/.test.lock
if ! flock -n 8; then
    echo "test.sh: waiting for another test run in this tree to end"
    flock 8
fi

host_built=0
windows_built=()
build_preset host && host_built=1
build_preset windows-x86 && windows_built+=(windows-x86)
build_preset windows-x64 && windows_built+=(windows-x64)

if [ "$host_built" = 1 ]; then
    echo "== native tests (at $((SECONDS - started)) s)"
    run_ctest host --preset host --no-tests=error
fi

# The fuzz targets' short run counts as one test.
echo "== fuzz targets (at $((SECONDS - started)) s)"
if bash tests/fuzz/run.sh >build/fuzz.log 2>&1; then
    passed=$((passed + 1))
    grep -E '^(== fuzzing|Done )' build/fuzz.log
else
    tail -n 30 build/fuzz.log
    note_failure "fuzz targets (see build/fuzz.log)"
fi

# The release zips of the built presets, and the shipped exe built a second time in another folder:
# one test each.
run_release_check()
{
    echo "== release: $1 (at $((SECONDS - started)) s)"
    if bash scripts/check-release.sh "$@" 8>&-; then
        passed=$((passed + 1))
    else
        note_failure "release check: $1"
    fi
}
if [ "${#windows_built[@]}" -gt 0 ]; then
    run_release_check zips "${windows_built[@]}"
fi
if [[ " ${windows_built[*]} " == *" windows-x86 "* ]]; then
    run_release_check reproducible
fi

if [ "${#windows_built[@]}" -gt 0 ]; then
    echo "== Wine session (at $((SECONDS - started)) s)"
    # shellcheck source=scripts/wine-session.sh
    . scripts/wine-session.sh
    trap wine_session_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    export TRAWLBECK_USE_XVFB=1
    if wine_session_start build/wine-prefix 8>&-; then
        echo "Wine session on display $DISPLAY (at $((SECONDS - started)) s)"
        # The tests share one Wine desktop: never in parallel, and one build after the other.
        for preset in "${windows_built[@]}"; do
            if [ "$preset" = windows-x86 ] && ! wine_session_runs_32bit; then
                run_32bit_exe_checks_only 8>&-
                continue
            fi
            echo "== Wine tests of $preset (at $((SECONDS - started)) s)"
            run_ctest "$preset" --preset "$preset" --no-tests=error --parallel 1 8>&-
        done
    else
        note_failure "Wine session did not start"
    fi
    wine_session_stop
fi

finish
