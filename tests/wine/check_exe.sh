#!/usr/bin/env bash
# Checks a built launcher from its PE headers: the machine type of its build, GUI subsystem,
# imports from KnownDLLs only (no compiler run-time DLLs), address space layout randomisation and
# data execution prevention, and a version and a manifest resource. It needs no Wine, so the
# 32-bit exe is checked also where it cannot run.
# usage: check_exe.sh OBJDUMP EXE FORMAT    FORMAT is objdump's name of the PE type, pei-i386 or pei-x86-64.
set -euo pipefail

objdump=$1
exe=$2
expected_format=$3

headers=$("$objdump" -p "$exe")
failed=0
fail()
{
    echo "FAIL $exe: $*"
    failed=1
}

format=$(sed -n 's/.*file format //p' <<<"$headers" | head -n 1)
[ "$format" = "$expected_format" ] || fail "expected a $expected_format exe, saw '$format'"

subsystem=$(sed -n 's/^Subsystem[[:space:]]*//p' <<<"$headers")
case $subsystem in
    *"(Windows GUI)"*) ;;
    *) fail "expected subsystem 00000002 (Windows GUI), saw '$subsystem'" ;;
esac

# KnownDLLs, in lower case: Windows always takes them from its system folder. Any other DLL is
# looked for in the program's own folder first, where anyone who can write there may plant one.
system_dlls=(kernel32.dll user32.dll gdi32.dll comdlg32.dll shell32.dll ole32.dll oleaut32.dll msvcrt.dll
    advapi32.dll shlwapi.dll imm32.dll)
is_system_dll()
{
    local known
    for known in "${system_dlls[@]}"; do
        [ "$known" = "$1" ] && return 0
    done
    return 1
}

# Windows relocates the exe and keeps its data from running only when it says it allows that.
characteristics=$(sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p' <<<"$headers")
for flag in DYNAMIC_BASE NX_COMPAT; do
    grep -qw "$flag" <<<"$characteristics" || fail "DllCharacteristics lacks $flag"
done

imports=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$headers")
if [ -z "$imports" ]; then
    fail "no imported DLLs found in the headers"
fi
for dll in $imports; do
    if is_system_dll "${dll,,}"; then
        continue
    fi
    case ${dll,,} in
        libwinpthread* | libgcc* | libstdc++*) fail "imports the compiler run-time DLL $dll (link with -static)" ;;
        *) fail "imports $dll, which is not a KnownDLL: load it from the system folder instead" ;;
    esac
done

# Resource types at the top of the resource directory: 0x10 is RT_VERSION, 0x18 RT_MANIFEST.
resource_types=$(sed -n '/Resource Directory section/,$ s/^[0-9a-f]\{3\}   Entry: ID: 0x\([0-9a-f]*\),.*/\1/p' <<<"$headers")
grep -qx 000010 <<<"$resource_types" || fail "no VERSIONINFO resource (types found: ${resource_types:-none})"
grep -qx 000018 <<<"$resource_types" || fail "no manifest resource (types found: ${resource_types:-none})"

if [ "$failed" = 0 ]; then
    echo "ok $exe: $format, GUI subsystem, DYNAMIC_BASE and NX_COMPAT; imports $(tr '\n' ' ' <<<"$imports"); version and manifest resources"
fi
exit "$failed"
