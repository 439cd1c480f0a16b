#!/usr/bin/env bash
# Mounts (start) or removes (stop) a folder that never answers at C:\trawlbeck-stuck\pkg\stuck of
# the Wine prefix, for the cases of a scan stuck in it. Stopping ends the folder's server first:
# only then do the calls blocked in it return. It removes C:\trawlbeck-stuck with everything in it.
# usage: stuck_folder.sh start|stop    (WINEPREFIX set; Debian's python3 has fusepy)
set -uo pipefail
top=$WINEPREFIX/drive_c/trawlbeck-stuck
folder=$top/pkg/stuck
server_pid=$top.server-pid

stop()
{
    if [ -f "$server_pid" ]; then
        # Its libfuse loop does not end on SIGTERM while a listing is held.
        kill -KILL "$(cat "$server_pid")" 2>/dev/null
        timeout 10 tail --pid="$(cat "$server_pid")" -f /dev/null
        rm -f "$server_pid"
    fi
    # Once its server has ended the mount is no mount point to mountpoint(1), yet still mounted.
    ! grep -qs " $folder fuse" /proc/mounts || umount -l "$folder"
    rm -rf "$top"
}

case ${1-} in
    start)
        stop
        mkdir -p "$folder" || exit 1
        /usr/bin/python3 "$(dirname "$0")/stuck_folder.py" "$folder" >"$top.server-log" 2>&1 &
        echo $! >"$server_pid"
        timeout 10 bash -c "until mountpoint -q '$folder'; do sleep 0.1; done" || { cat "$top.server-log"; stop; exit 1; }
        ;;
    stop) stop; rm -f "$top.server-log" ;;
    *) echo "usage: stuck_folder.sh start|stop" >&2; exit 2 ;;
esac
