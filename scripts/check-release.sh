#!/usr/bin/env bash
# Makes and checks a release, from the project root, after the Windows presets are configured:
#   check-release.sh zips [PRESET...]  builds the release zip of each Windows preset (both by
#                                  default) and checks it: exactly trawlbeck.exe, README.txt and
#                                  SHA256SUMS, the sums hold, and the exe is the one the preset built
#   check-release.sh reproducible  makes the shipped 32-bit release again from a copy of the sources
#                                  in another folder and checks that its exe is byte for byte the
#                                  same and that making it built no test helper
# The test command runs both. Exit status 0 when the check holds.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
cd "$root"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail()
{
    echo "FAIL: $*" >&2
    exit 1
}

check_zip()
{
    local preset=$1 platform=$2
    cmake --build --preset "$preset" --target package >"$scratch/package-$preset.log" 2>&1 ||
        { cat "$scratch/package-$preset.log"; fail "$preset: the package target failed"; }
    local version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "build/$preset/CMakeCache.txt")
    local name="trawlbeck-$version-$platform"
    local zip="build/$preset/$name.zip"
    [ -f "$zip" ] || fail "$preset: no $zip"
    mkdir "$scratch/$preset"
    (cd "$scratch/$preset" && cmake -E tar xf "$root/$zip")
    local files
    files=$(cd "$scratch/$preset" && find . -type f | sort | tr '\n' ' ')
    [ "$files" = "./$name/README.txt ./$name/SHA256SUMS ./$name/trawlbeck.exe " ] ||
        fail "$zip holds $files"
    local listed
    listed=$(awk '{print $2}' "$scratch/$preset/$name/SHA256SUMS" | sort | tr '\n' ' ')
    [ "$listed" = "README.txt trawlbeck.exe " ] || fail "$zip: SHA256SUMS lists $listed"
    (cd "$scratch/$preset/$name" && sha256sum --quiet -c SHA256SUMS) || fail "$zip: the sums do not hold"
    cmp -s "$scratch/$preset/$name/trawlbeck.exe" "build/$preset/trawlbeck.exe" ||
        fail "$zip: its trawlbeck.exe is not build/$preset/trawlbeck.exe"
    echo "ok $zip: trawlbeck.exe, README.txt and SHA256SUMS; the sums hold"
}

# The sources as they stand (committed, changed and new files, nothing ignored), in another folder.
check_reproducible()
{
    local copy="$scratch/again/trawlbeck"
    mkdir -p "$copy"
    git ls-files -z --cached --others --exclude-standard | tar -cf - --null -T - | tar -xf - -C "$copy"
    (cd "$copy" && cmake --preset windows-x86 && cmake --build --preset windows-x86 --target package) \
        >"$scratch/again.log" 2>&1 || { cat "$scratch/again.log"; fail "the second build failed"; }
    local first=build/windows-x86/trawlbeck.exe second="$copy/build/windows-x86/trawlbeck.exe"
    if ! cmp "$first" "$second"; then
        fail "$first and a second build of the same sources in $copy differ"
    fi
    # The release was made from a fresh folder without building any test helper.
    local helpers
    helpers=$(cd "$copy/build/windows-x86" && find . \( -name CMakeFiles -o -name _CPack_Packages -o -name release \) -prune -o \
        \( -name '*.exe' -o -name '*.dll' \) ! -path ./trawlbeck.exe -print | sort | tr '\n' ' ')
    [ -z "$helpers" ] || fail "the release zip of a fresh build also built $helpers"
    echo "ok $first: the same bytes when built again in another folder ($(sha256sum <"$first" | cut -c1-16)...), whose release built nothing else"
}

case ${1-} in
    zips)
        shift
        presets=("$@")
        [ "${#presets[@]}" -gt 0 ] || presets=(windows-x86 windows-x64)
        for preset in "${presets[@]}"; do
            case $preset in
                windows-x86) check_zip "$preset" win32 ;;
                windows-x64) check_zip "$preset" win64 ;;
                *) fail "no release zip for preset $preset" ;;
            esac
        done
        ;;
    reproducible) check_reproducible ;;
    *) fail "usage: check-release.sh zips|reproducible" ;;
esac
