#!/usr/bin/env bash
# Installs the Debian packages that the builds and the tests need. Quick when all are there: it
# only asks dpkg, and updates the package lists only when something must be installed.
# Runs as root (CI) or through sudo.
#
# Wine's 32-bit half (wine32:i386) runs the shipped 32-bit build. It needs the i386 architecture,
# which is added before the package lists are updated; installing it also brings some amd64
# libraries up to the versions of the i386 ones, so that both halves match.
set -euo pipefail

packages=(
    cmake make g++ googletest libgtest-dev           # native build and tests
    clang libclang-rt-14-dev                         # fuzz targets (libFuzzer, sanitizers)
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64  # objdump for the exe checks
    wine wine64 fonts-wine                           # running the 64-bit build
    wine32:i386                                      # running the 32-bit build
    xvfb xdotool imagemagick                         # display, input and screenshots for window tests
    procps python3                                   # ps for the session scripts; the demo package script
    fuse3 python3-fusepy                             # the folder that never answers, for the way-out tests
)

# One dpkg query for all; a package dpkg has never heard of is simply not listed. A name without
# an architecture is this machine's own package (or an architecture-independent one).
native=$(dpkg --print-architecture)
installed=$(dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' "${packages[@]}" 2>/dev/null | sed -n 's/ install ok installed$//p' || true)
missing=()
for package in "${packages[@]}"; do
    case $package in
        *:*) found=(-e "$package") ;;
        *) found=(-e "$package:$native" -e "$package:all") ;;
    esac
    if ! grep -qxF "${found[@]}" <<<"$installed"; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: missing packages (${missing[*]}) and neither root nor sudo to install them" >&2
    exit 1
fi

# Foreign architectures the missing packages need, added before the lists are updated.
foreign=$(dpkg --print-foreign-architectures)
for package in "${missing[@]}"; do
    case $package in
        *:*)
            architecture=${package#*:}
            if [ "$architecture" != "$native" ] && ! grep -qxF "$architecture" <<<"$foreign"; then
                echo "setup: adding the $architecture architecture"
                "${as_root[@]}" dpkg --add-architecture "$architecture"
                foreign+=$'\n'"$architecture"
            fi
            ;;
    esac
done

echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
