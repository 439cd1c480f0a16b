#!/usr/bin/env bash
# Installs the Debian packages that the builds and the tests need. Quick when all are there: it
# only asks dpkg, and updates the package lists only when something must be installed.
# Runs as root (CI) or through sudo.
set -euo pipefail

packages=(
    cmake make g++ googletest libgtest-dev           # native build and tests
    clang libclang-rt-14-dev                         # fuzz targets (libFuzzer, sanitizers)
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64  # objdump for the exe checks
    wine wine64 fonts-wine                           # running the 64-bit build
    xvfb xdotool imagemagick                         # display, input and screenshots for window tests
    procps python3                                   # ps for the session scripts; the demo package script
)

# One dpkg query for all; a package dpkg has never heard of is simply not listed.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null | sed -n 's/ install ok installed$//p' || true)
missing=()
for package in "${packages[@]}"; do
    if ! grep -qxF "$package" <<<"$installed"; then
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

echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
