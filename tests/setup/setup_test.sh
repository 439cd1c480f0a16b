#!/usr/bin/env bash
# The setup against a package mirror that answers badly, through stand-ins for apt-get, dpkg,
# dpkg-query and id early on PATH: apt-get records what it was asked, its update fails as an out of
# step mirror's does, and dpkg lists what each case says is installed. Nothing is installed.
set -uo pipefail

setup=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd -P)/setup.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'STANDIN'
#!/bin/bash
echo "apt-get $*" >>"$STANDIN_LOG"
case $1 in
    update) echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
            exit 100 ;;
    install) [[ " $* " != *" $STANDIN_INSTALL_FAILS "* ]] || { echo "E: Unable to correct problems" >&2; exit 100; } ;;
esac
STANDIN
cat >"$work/bin/dpkg" <<'STANDIN'
#!/bin/bash
case $1 in
    --print-architecture) echo amd64 ;;
    --print-foreign-architectures) ;;
    *) echo "dpkg $*" >>"$STANDIN_LOG" ;;
esac
STANDIN
cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/bin/bash
for package in $STANDIN_INSTALLED; do echo "${package%:*}:${package#*:} install ok installed"; done
STANDIN
printf '#!/bin/bash\necho 0\n' >"$work/bin/id"
chmod +x "$work/bin"/*

failures=0
# Runs the setup with the stand-ins; its output lands in $work/out, the stand-ins' log in $work/log.
run_setup()
{
    : >"$work/log"
    PATH="$work/bin:$PATH" STANDIN_LOG="$work/log" TRAWLBECK_SETUP_PAUSE=0 bash "$setup" >"$work/out" 2>&1
}
expect()
{
    local what=$1
    shift
    if ! "$@"; then
        echo "FAIL $case_name: $what"
        sed 's/^/    /' "$work/out" "$work/log"
        failures=$((failures + 1))
    fi
}
logged() { grep -qF -- "$1" "$work/log"; }
said() { grep -qF -- "$1" "$work/out"; }

everything="cmake:amd64 make:amd64 g++:amd64 googletest:all libgtest-dev:amd64 clang:amd64 libclang-rt-14-dev:amd64
    g++-mingw-w64-i686-posix:amd64 g++-mingw-w64-x86-64-posix:amd64 binutils-mingw-w64-i686:amd64
    binutils-mingw-w64-x86-64:amd64 wine:all wine64:amd64 fonts-wine:all xvfb:amd64 xdotool:amd64
    imagemagick:amd64 procps:amd64 python3:amd64 fuse3:amd64 python3-fusepy:all wine32:i386"
export STANDIN_INSTALL_FAILS=none

case_name="all installed"
STANDIN_INSTALLED=$everything TRAWLBECK_32BIT=yes run_setup
expect "exits 0" [ $? -eq 0 ]
expect "asks apt-get nothing" [ ! -s "$work/log" ]

case_name="index that cannot be fetched, 32-bit kernel"
STANDIN_INSTALLED="cmake:amd64 wine:all" TRAWLBECK_32BIT=yes run_setup
expect "exits 0" [ $? -eq 0 ]
expect "tries the update three times" [ "$(grep -c 'apt-get update' "$work/log")" = 3 ]
expect "installs what is missing" logged "apt-get install -y -q make g++ googletest"
expect "adds i386, then installs the 32-bit half" logged "dpkg --add-architecture i386"
expect "installs the 32-bit half on its own" logged "apt-get install -y -q wine32:i386"

case_name="64-bit-only kernel"
STANDIN_INSTALLED="" TRAWLBECK_32BIT=no run_setup
expect "exits 0" [ $? -eq 0 ]
expect "installs what is missing" logged "python3-fusepy"
expect "asks for nothing i386" eval '! grep -q i386 "$work/log"'
expect "says what it left out and why" said "leaving out wine32:i386 and the i386 architecture: this machine runs no 32-bit programs"

case_name="an install that fails"
STANDIN_INSTALLED="" STANDIN_INSTALL_FAILS=xvfb TRAWLBECK_32BIT=yes run_setup
expect "exits non-zero" [ $? -ne 0 ]
expect "names the packages" said "setup: apt-get install failed for: cmake make"

case_name="a 32-bit half that cannot be installed"
STANDIN_INSTALLED=${everything% wine32:i386} STANDIN_INSTALL_FAILS=wine32:i386 TRAWLBECK_32BIT=yes run_setup
expect "exits 0" [ $? -eq 0 ]
expect "says the 32-bit build's Wine tests will be skipped" said "going on without Wine's 32-bit half"

[ "$failures" -eq 0 ] && echo "ok: the setup against a mirror that answers badly"
exit "$((failures > 0))"
