#!/usr/bin/env bash
# Adds a drive letter to the running Wine session's prefix, or takes it away again: Wine serves a
# drive from the link dosdevices/<letter>: and sees a new link at once.
# usage: prefix_drive.sh add LETTER FOLDER | prefix_drive.sh remove LETTER FOLDER
set -euo pipefail

if [ -z "${WINEPREFIX-}" ]; then
    echo "WINEPREFIX is not set: run these tests in a Wine session (scripts/wine-session.sh)" >&2
    exit 1
fi
action=$1
link="$WINEPREFIX/dosdevices/${2,,}:"
folder=$3

case $action in
    add)
        if [ -e "$link" ] && [ "$(readlink "$link")" != "$folder" ]; then
            echo "the prefix already has drive ${2^^}: ($link); the tests need it free" >&2
            exit 1
        fi
        mkdir -p "$folder"
        ln -sfn "$folder" "$link"
        ;;
    remove)
        if [ -L "$link" ] && [ "$(readlink "$link")" = "$folder" ]; then
            rm -f "$link"
        fi
        rm -rf "$folder"
        ;;
    *)
        echo "usage: prefix_drive.sh add|remove LETTER FOLDER" >&2
        exit 2
        ;;
esac
