#!/usr/bin/env bash
# Builds the launcher with its stand-in editor and viewer, lays out the demo package in build/demo
# (the programs and a tree of sample sources) and runs the launcher under Wine. It runs the shipped
# 32-bit build; TRAWLBECK_DEMO_BUILD=x64 runs the 64-bit one instead.
#
# With a display (DISPLAY set) the launcher appears there and the script waits until it ends
# (double-click a row, or press Esc). Without one, or with TRAWLBECK_USE_XVFB=1, it runs on a
# virtual X server: the script waits TRAWLBECK_DEMO_WAIT seconds (default 5) for the window, saves
# build/demo/screenshot.png and ends the session. What the launcher asked the stand-ins to open is
# logged to build/demo/standin.log and printed at the end.
#
# TRAWLBECK_DEMO_DPI=144 runs the launcher at that display scale (150 %; Wine's LogPixels, put
# back afterwards); headless it saves build/demo/screenshot-150.png, named by the percentage,
# instead of the three screenshots at 96 DPI.
#
# usage: [TRAWLBECK_DEMO_BUILD=x86|x64] [TRAWLBECK_DEMO_DPI=N] bash scripts/run-launcher.sh
#        (from anywhere; paths are taken from the project root)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
cd "$root"

demo=build/demo
prefix=build/wine-prefix-demo
screenshot=$demo/screenshot.png
menu_screenshot=$demo/screenshot-menu.png
help_screenshot=$demo/screenshot-help.png
standin_log=$demo/standin.log
wait_seconds=${TRAWLBECK_DEMO_WAIT:-5}
case $wait_seconds in
    '' | *[!0-9]*) echo "run-launcher: TRAWLBECK_DEMO_WAIT must be whole seconds, not '$wait_seconds'" >&2; exit 2 ;;
esac
dpi=${TRAWLBECK_DEMO_DPI:-96}
case $dpi in
    '' | *[!0-9]* | 0*) echo "run-launcher: TRAWLBECK_DEMO_DPI must be a whole number of dots per inch, not '$dpi'" >&2; exit 2 ;;
esac
if [ "$dpi" != 96 ]; then
    screenshot=$demo/screenshot-$((dpi * 100 / 96)).png
fi
build=${TRAWLBECK_DEMO_BUILD:-x86}
case $build in
    x86 | x64) ;;
    *) echo "run-launcher: TRAWLBECK_DEMO_BUILD must be x86 or x64, not '$build'" >&2; exit 2 ;;
esac

bash scripts/setup.sh

# shellcheck source=scripts/wine-session.sh
. scripts/wine-session.sh
if [ "$build" = x86 ] && ! wine_session_runs_32bit; then
    echo "run-launcher: $(wine_session_32bit_reason): running the 64-bit build" >&2
    build=x64
fi
case $build in
    x86) loader=/usr/lib/wine/wine ;;
    x64) loader=/usr/lib/wine/wine64 ;;
esac
preset=windows-$build

# Configure once; later builds re-run the configure step themselves when a CMakeLists changes.
if [ ! -f "build/$preset/Makefile" ]; then
    cmake --preset "$preset"
fi
cmake --build --preset "$preset" --target trawlbeck Vantrel Orbenix

python3 scripts/make-demo-package.py --exe-dir "build/$preset" --out "$demo"

# Decided before the session starts, since starting Xvfb sets DISPLAY.
if [ -z "${DISPLAY-}" ] || [ "${TRAWLBECK_USE_XVFB-}" = 1 ]; then
    headless=1
else
    headless=0
fi

# The stand-ins log to a Windows path: Wine maps the Unix root to drive Z:.
rm -f "$standin_log"
standin_log_unix="$root/$standin_log"
export TRAWLBECK_STANDIN_LOG="Z:${standin_log_unix//\//\\}"
unset TRAWLBECK_STANDIN_EXIT

# The display scale of programs started after it is set; 96 is Wine's own.
set_dpi()
{
    "$loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

launcher_pid=
finish()
{
    if [ "$dpi" != 96 ]; then
        set_dpi 96 || true
    fi
    # Ending the session ends every Wine process of the prefix, the launcher and stand-ins included.
    wine_session_stop
    if [ -n "$launcher_pid" ]; then
        wait "$launcher_pid" 2>/dev/null || true
    fi
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
wine_session_start "$root/$prefix"
if [ "$dpi" != 96 ]; then
    set_dpi "$dpi"
fi

# True while a stand-in started in this session still runs (it sees the same WINEPREFIX).
standins_running()
{
    local pid program
    for pid in $(pgrep -if '[\\/](Vantrel|Orbenix)\.exe' || true); do
        program=$(tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | head -n 1) || continue
        case ${program,,} in
            *\\vantrel.exe | *\\orbenix.exe) ;;
            *) continue ;;
        esac
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            return 0
        fi
    done
    return 1
}

report_standins()
{
    if [ -s "$standin_log" ]; then
        echo "The launcher started (program|show state|parameter):"
        tr -d '\r' <"$standin_log" | sed 's/^/  /'
    fi
}

if [ "$headless" = 0 ]; then
    echo "Running $demo/trawlbeck.exe ($build) on $DISPLAY; double-click a row or press Esc to end it."
    # In the background, so that INT and TERM reach the trap at once instead of after the launcher.
    "$loader" "$demo/trawlbeck.exe" &
    launcher_pid=$!
    status=0
    wait "$launcher_pid" || status=$?
    launcher_pid=
    echo "The launcher ended (exit code $status)."
    # The editor it starts comes up a moment later; ending the session now would close it unseen.
    ticks=0
    while [ "$ticks" -lt 15 ] && [ ! -s "$standin_log" ]; do
        sleep 0.2
        ticks=$((ticks + 1))
    done
    report_standins
    if standins_running; then
        echo "Close the stand-in window to finish."
        while standins_running; do
            sleep 0.5
        done
    fi
    exit 0
fi

"$loader" "$demo/trawlbeck.exe" &
launcher_pid=$!
# Wait for the window to appear and the first scan to fill the list; stop early if the launcher ends.
ticks=0
while [ "$ticks" -lt $((wait_seconds * 5)) ] && kill -0 "$launcher_pid" 2>/dev/null; do
    sleep 0.2
    ticks=$((ticks + 1))
done
if ! kill -0 "$launcher_pid" 2>/dev/null; then
    status=0
    wait "$launcher_pid" || status=$?
    launcher_pid=
    echo "Note: the launcher ended after about $((ticks / 5)) s (exit code $status), before the screenshot."
fi

rm -f "$screenshot"
import -window root "$screenshot"
echo "Screenshot: $root/$screenshot"

# Two more views with the real mouse, at the places of the centred 500x350 window on the
# 1024x768 desktop: the context menu over the list, then the help screen.
if [ "$dpi" = 96 ] && kill -0 "$launcher_pid" 2>/dev/null; then
    xdotool mousemove 330 276 click 1
    sleep 0.5
    xdotool click 3
    sleep 1
    import -window root "$menu_screenshot"
    xdotool key Escape
    sleep 0.5
    xdotool mousemove 312 242 click 1
    sleep 0.5
    xdotool mousemove 330 262 click 1
    sleep 1
    import -window root "$help_screenshot"
    echo "Screenshots: $root/$menu_screenshot $root/$help_screenshot"
fi
report_standins
