# Wine session for tests and manual runs. Source this file, then:
#   wine_session_start PREFIX_DIR   # environment, display, prefix, persistent wineserver
#   wine_session_stop               # stops that wineserver and the Xvfb it started; safe to repeat
# Typical use:  wine_session_start build/wine-prefix && trap wine_session_stop EXIT
# One session per prefix at a time: stopping a session ends every Wine process of its prefix.
# The prefix is a 64-bit one with Wine's 32-bit half: it runs the 32-bit and the 64-bit builds.

_trawlbeck_wineserver=/usr/lib/wine/wineserver64
_trawlbeck_prefix_ready_mark=.trawlbeck-session-ready
# Present only in a prefix made while Wine's 32-bit half was installed: a prefix without it runs
# 64-bit programs only (32-bit ones fail with "could not load kernel32.dll").
_trawlbeck_prefix_32bit_mark=drive_c/windows/syswow64/kernel32.dll

_trawlbeck_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)

# True when this machine runs Wine's 32-bit half. Some machines run 64-bit user code only: their
# kernel answers every 32-bit program with "Exec format error", Wine's 32-bit loader included, and
# there a prefix gets no 32-bit half whatever is installed. Elsewhere the half may be missing
# because the setup could not install it.
wine_session_runs_32bit()
{
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Why the 32-bit build cannot run here, in a few words.
wine_session_32bit_reason()
{
    if ! bash "$_trawlbeck_scripts/kernel-runs-32bit.sh"; then
        echo "this machine's kernel runs no 32-bit programs (Exec format error)"
    elif [ ! -x /usr/lib/wine/wine ]; then
        echo "Wine's 32-bit half (wine32:i386) is not installed: the setup could not install it"
    else
        echo "Wine's 32-bit loader does not start"
    fi
}

# Starts Xvfb on the first free display (Xvfb picks it and reports it on a descriptor once it
# accepts clients), and exports DISPLAY.
_trawlbeck_start_xvfb()
{
    local display_file
    display_file=$(mktemp) || return 1
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    _trawlbeck_xvfb_pid=$!
    local tries=0
    while [ ! -s "$display_file" ]; do
        if ! kill -0 "$_trawlbeck_xvfb_pid" 2>/dev/null || [ "$tries" -ge 100 ]; then
            echo "wine-session: Xvfb did not start" >&2
            rm -f "$display_file"
            _trawlbeck_stop_xvfb
            return 1
        fi
        tries=$((tries + 1))
        sleep 0.1
    done
    _trawlbeck_saved_display=${DISPLAY-}
    _trawlbeck_saved_display_set=${DISPLAY+1}
    export DISPLAY=":$(head -n 1 "$display_file")"
    rm -f "$display_file"
}

_trawlbeck_stop_xvfb()
{
    local pid=${_trawlbeck_xvfb_pid-}
    [ -n "$pid" ] || return 0
    unset _trawlbeck_xvfb_pid
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    # From a shell that is not its parent, wait cannot reap it: poll until it is gone or a zombie.
    local tries=0
    while kill -0 "$pid" 2>/dev/null && [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" != Z ]; do
        if [ "$tries" -ge 50 ]; then
            kill -9 "$pid" 2>/dev/null || true
            break
        fi
        tries=$((tries + 1))
        sleep 0.1
    done
    if [ -n "${_trawlbeck_saved_display_set-}" ]; then
        export DISPLAY="$_trawlbeck_saved_display"
    else
        unset DISPLAY
    fi
    unset _trawlbeck_saved_display _trawlbeck_saved_display_set
}

# Creates the prefix and writes the settings the tests rely on. The server that wineboot starts is
# not persistent: waiting for it to end makes sure the registry is on disk before the prefix is
# marked ready.
_trawlbeck_create_prefix()
{
    local prefix=$1
    # No Mono or Gecko installers (they would ask to download), no desktop menu entries on the host.
    WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=" "$WINE" wineboot -i >/dev/null 2>&1 || {
        echo "wine-session: wineboot -i failed for $prefix" >&2
        return 1
    }
    local reg_file="$prefix/drive_c/trawlbeck-session.reg"
    cat >"$reg_file" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\ThemeManager]
"ThemeActive"="0"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""
EOF
    local status=0
    "$WINE" regedit /S 'C:\trawlbeck-session.reg' >/dev/null 2>&1 || status=$?
    rm -f "$reg_file"
    "$_trawlbeck_wineserver" -w
    if [ "$status" -ne 0 ] || ! grep -q '"ShowCrashDialog"=dword:00000000' "$prefix/user.reg"; then
        echo "wine-session: could not write the settings of $prefix" >&2
        return 1
    fi
    if [ ! -f "$prefix/$_trawlbeck_prefix_32bit_mark" ] && wine_session_runs_32bit; then
        echo "wine-session: $prefix cannot run 32-bit programs: is Wine's 32-bit half (wine32:i386) installed?" >&2
        return 1
    fi
    touch "$prefix/$_trawlbeck_prefix_ready_mark"
}

# Wine's own fonts (Marlett, which draws the caption buttons, Tahoma, MS Sans Serif, ...) ship in
# /usr/share/wine/fonts, but this Wine build never reads that folder: it reaches its data folder
# as /usr/lib/wine/../../share/wine and stops there (strace shows no open of the fonts folder), so
# windows fall back to other fonts and the caption buttons show the letters "0 1 r". Fonts in the
# prefix's own Fonts folder are loaded, as on Windows: the missing ones are copied there.
_trawlbeck_install_wine_fonts()
{
    local prefix=$1 source=/usr/share/wine/fonts
    [ -d "$source" ] || return 0
    mkdir -p "$prefix/drive_c/windows/Fonts" || return 1
    cp -n "$source"/*.ttf "$source"/*.fon "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
}

wine_session_start()
{
    if [ $# -ne 1 ] || [ -z "$1" ]; then
        echo "usage: wine_session_start PREFIX_DIR" >&2
        return 2
    fi
    if [ -n "${_trawlbeck_session_prefix-}" ]; then
        echo "wine-session: a session for $_trawlbeck_session_prefix is running; stop it first" >&2
        return 1
    fi
    mkdir -p "$1" || return 1
    local prefix
    prefix=$(cd "$1" && pwd -P) || return 1

    export WINEPREFIX="$prefix" WINEDEBUG=-all TZ=UTC WINEARCH=win64 WINE=/usr/lib/wine/wine64

    if [ "${TRAWLBECK_USE_XVFB-}" = 1 ] || [ -z "${DISPLAY-}" ]; then
        _trawlbeck_start_xvfb || return 1
    fi
    _trawlbeck_session_prefix=$prefix

    if [ -f "$prefix/$_trawlbeck_prefix_ready_mark" ] && [ ! -f "$prefix/$_trawlbeck_prefix_32bit_mark" ] &&
        wine_session_runs_32bit; then
        echo "wine-session: $prefix was made without Wine's 32-bit half; making it again" >&2
        "$_trawlbeck_wineserver" -k 2>/dev/null || true
        "$_trawlbeck_wineserver" -w 2>/dev/null || true
        rm -rf "$prefix" && mkdir -p "$prefix" || { wine_session_stop; return 1; }
    fi
    if [ ! -f "$prefix/$_trawlbeck_prefix_ready_mark" ]; then
        _trawlbeck_create_prefix "$prefix" || { wine_session_stop; return 1; }
    fi
    _trawlbeck_install_wine_fonts "$prefix" || { wine_session_stop; return 1; }

    if ! "$_trawlbeck_wineserver" -p 2>/dev/null; then
        # A server already runs for the prefix: a persistent one outlives a session that was
        # killed, so end it and start afresh.
        echo "wine-session: ending the wineserver that was still running for $prefix" >&2
        "$_trawlbeck_wineserver" -k 2>/dev/null || true
        "$_trawlbeck_wineserver" -w 2>/dev/null || true
        "$_trawlbeck_wineserver" -p || { wine_session_stop; return 1; }
    fi
    # The first program of a server starts the prefix's background processes, which keep the
    # output handles they inherit: start them here, so they never hold a caller's pipe open.
    "$WINE" cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

wine_session_stop()
{
    local prefix=${_trawlbeck_session_prefix-}
    if [ -n "$prefix" ]; then
        unset _trawlbeck_session_prefix
        WINEPREFIX="$prefix" "$_trawlbeck_wineserver" -k >/dev/null 2>&1 || true
        WINEPREFIX="$prefix" "$_trawlbeck_wineserver" -w >/dev/null 2>&1 || true
    fi
    _trawlbeck_stop_xvfb
    return 0
}
