#!/usr/bin/env bash
# Installs the Debian packages that the builds and the tests need. Quick when all are there: it
# only asks dpkg, and updates the package lists only when something must be installed.
# Runs as root (CI) or through sudo.
#
# Wine's 32-bit half (wine32:i386) runs the shipped 32-bit build. It is asked for only where the
# kernel runs 32-bit code (scripts/kernel-runs-32bit.sh, asked before dpkg is touched). It needs
# the i386 architecture, which is added before the package lists are updated; installing it also
# brings some amd64 libraries up to the versions of the i386 ones, so that both halves match.
#
# The package mirror is sometimes out of step: one index cannot be fetched for a while. An update
# that fails is tried again a few times, then the install goes ahead with the lists that did come;
# only an install that fails stops the setup. The 32-bit half is installed on its own after the
# rest: where it cannot be installed the setup says so and goes on, and the test command counts
# the 32-bit build's Wine tests as skipped.
#   TRAWLBECK_32BIT=no          leave the 32-bit half out on any machine (yes: ask for it without asking the kernel)
#   TRAWLBECK_SETUP_TRIES=N     updates tried (default 3), TRAWLBECK_SETUP_PAUSE=S seconds between (default 5)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
tries=${TRAWLBECK_SETUP_TRIES:-3}
pause=${TRAWLBECK_SETUP_PAUSE:-5}

packages=(
    cmake make g++ googletest libgtest-dev           # native build and tests
    clang libclang-rt-14-dev                         # fuzz targets (libFuzzer, sanitizers)
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64  # objdump for the exe checks
    wine wine64 fonts-wine                           # running the 64-bit build
    xvfb xdotool imagemagick                         # display, input and screenshots for window tests
    procps python3                                   # ps for the session scripts; the demo package script
    fuse3 python3-fusepy                             # the folder that never answers, for the way-out tests
)
packages_32bit=(wine32:i386)                         # running the 32-bit build

if bash "$here/kernel-runs-32bit.sh"; then
    runs_32bit=1
else
    runs_32bit=0
    echo "setup: leaving out ${packages_32bit[*]} and the i386 architecture: this machine runs no 32-bit programs"
fi

native=$(dpkg --print-architecture)

# Prints the packages of the arguments that dpkg does not list as installed: one dpkg query for
# all; a package dpkg has never heard of is simply not listed. A name without an architecture is
# this machine's own package (or an architecture-independent one).
missing_of()
{
    local installed package found
    installed=$(dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' "$@" 2>/dev/null | sed -n 's/ install ok installed$//p' || true)
    for package in "$@"; do
        case $package in
            *:*) found=(-e "$package") ;;
            *) found=(-e "$package:$native" -e "$package:all") ;;
        esac
        grep -qxF "${found[@]}" <<<"$installed" || echo "$package"
    done
}

mapfile -t missing < <(missing_of "${packages[@]}")
missing_32bit=()
if [ "$runs_32bit" = 1 ]; then
    mapfile -t missing_32bit < <(missing_of "${packages_32bit[@]}")
fi
if [ "${#missing[@]}" -eq 0 ] && [ "${#missing_32bit[@]}" -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: missing packages (${missing[*]} ${missing_32bit[*]}) and neither root nor sudo to install them" >&2
    exit 1
fi
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)

# Foreign architectures the missing packages need, added before the lists are updated.
foreign=$(dpkg --print-foreign-architectures)
for package in "${missing_32bit[@]}"; do
    architecture=${package#*:}
    if [ "$architecture" != "$package" ] && [ "$architecture" != "$native" ] && ! grep -qxF "$architecture" <<<"$foreign"; then
        echo "setup: adding the $architecture architecture"
        "${as_root[@]}" dpkg --add-architecture "$architecture"
        foreign+=$'\n'"$architecture"
    fi
done

# Updates the package lists, trying again after a pause while some index cannot be fetched; then
# goes on with what came.
update_lists()
{
    local try status
    for ((try = 1; ; try++)); do
        status=0
        "${apt[@]}" update -q || status=$?
        [ "$status" -ne 0 ] || return 0
        if [ "$try" -ge "$tries" ]; then
            echo "setup: apt-get update failed $try times (exit code $status): installing from the package lists that did come"
            return 0
        fi
        echo "setup: apt-get update failed (exit code $status): trying again in $pause s"
        sleep "$pause"
    done
}

# Installs the packages given; false, with a line naming them, when apt-get fails (its own message
# is above that line).
install_packages()
{
    echo "setup: installing $*"
    if ! "${apt[@]}" install -y -q "$@"; then
        echo "setup: apt-get install failed for: $*" >&2
        return 1
    fi
}

update_lists
if [ "${#missing[@]}" -gt 0 ]; then
    install_packages "${missing[@]}" || exit 1
fi
if [ "${#missing_32bit[@]}" -gt 0 ] && ! install_packages "${missing_32bit[@]}"; then
    echo "setup: going on without Wine's 32-bit half: the 32-bit build's Wine tests will be skipped"
fi
