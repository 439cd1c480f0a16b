#!/usr/bin/env python3
"""Lays out a demo package: the launcher and the two stand-ins copied from a Windows build, and a
tree of sample assembly projects for the launcher to list.

The tree is the same on every run (fixed seed): 150 files across nested folders, mostly .asm, .inc
and .rc sources with a few other files mixed in, one file name with spaces and one folder name with
a comma. Last-write times are spread over the two years before the reference time (default: the
start of the current day, UTC), so the newest-first order is fixed too.

usage: make-demo-package.py --exe-dir build/windows-x64 --out build/demo [--reference-time EPOCH]
"""

import argparse
import calendar
import os
import random
import shutil
import sys
import time
from pathlib import Path

SEED = 20240611
PROGRAMS = ("trawlbeck.exe", "Vantrel.exe", "Orbenix.exe")
# Top-level folders of the sample tree; a rerun replaces exactly these.
TREE_ROOTS = ("Projects", "Include", "Examples", "Library", "Archive, 2023")
EXPECTED_FILE_COUNT = 150
TWO_YEARS = 730 * 24 * 3600

PROJECTS = (
    ("Calculator", "calc", "a four-function calculator dialog"),
    ("TextPad", "textpad", "a small text editor with a rich edit control"),
    ("HexView", "hexview", "a read-only hex dump viewer"),
    ("Snake", "snake", "the snake game on a timer-driven grid"),
    ("ClipLog", "cliplog", "a clipboard history tray tool"),
    ("DiskInfo", "diskinfo", "free-space report for every fixed drive"),
    ("IniTool", "initool", "reads and writes private profile files"),
    ("TimerDemo", "timer", "multimedia timer and a progress bar"),
    ("PortScan", "portscan", "a Winsock connect scanner"),
    ("Splitter", "splitter", "two panes with a draggable splitter bar"),
    ("Mandel", "mandel", "a Mandelbrot plot using the FPU"),
    ("TrayClock", "trayclock", "a clock in the notification area"),
)

MODULES = ("util", "strings", "fileio", "paint", "dialogs", "memory", "registry", "math", "debug")

PROCS = {
    "StrLen": (
        "StrLen proc uses edi lpString:DWORD",
        "    mov    edi, lpString",
        "    xor    eax, eax",
        "    mov    ecx, -1",
        "    repne  scasb",
        "    not    ecx",
        "    dec    ecx",
        "    mov    eax, ecx",
        "    ret",
        "StrLen endp",
    ),
    "MemCopy": (
        "MemCopy proc uses esi edi lpSrc:DWORD, lpDst:DWORD, cbLen:DWORD",
        "    mov    esi, lpSrc",
        "    mov    edi, lpDst",
        "    mov    ecx, cbLen",
        "    cld",
        "    rep    movsb",
        "    ret",
        "MemCopy endp",
    ),
    "CenterWindow": (
        "CenterWindow proc hWin:HWND",
        "    LOCAL  rc:RECT",
        "    invoke GetWindowRect, hWin, addr rc",
        "    mov    eax, rc.right",
        "    sub    eax, rc.left",
        "    invoke GetSystemMetrics, SM_CXSCREEN",
        "    shr    eax, 1",
        "    ret",
        "CenterWindow endp",
    ),
    "ReadWholeFile": (
        "ReadWholeFile proc lpName:DWORD, lpBuffer:DWORD, cbMax:DWORD",
        "    LOCAL  hFile:DWORD, cbRead:DWORD",
        "    invoke CreateFile, lpName, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL",
        "    cmp    eax, INVALID_HANDLE_VALUE",
        "    je     @F",
        "    mov    hFile, eax",
        "    invoke ReadFile, hFile, lpBuffer, cbMax, addr cbRead, NULL",
        "    invoke CloseHandle, hFile",
        "    mov    eax, cbRead",
        "@@:",
        "    ret",
        "ReadWholeFile endp",
    ),
    "DwordToHex": (
        "DwordToHex proc uses edi dwValue:DWORD, lpOut:DWORD",
        "    mov    edi, lpOut",
        "    mov    edx, dwValue",
        "    mov    ecx, 8",
        "@@:",
        "    rol    edx, 4",
        "    mov    al, dl",
        "    and    al, 0Fh",
        "    add    al, '0'",
        "    cmp    al, '9'",
        "    jbe    @F",
        "    add    al, 7",
        "@@:",
        "    stosb",
        "    dec    ecx",
        "    jnz    @B",
        "    mov    byte ptr [edi], 0",
        "    ret",
        "DwordToHex endp",
    ),
    "PaintBackground": (
        "PaintBackground proc hWin:HWND, hDC:HDC",
        "    LOCAL  rc:RECT",
        "    invoke GetClientRect, hWin, addr rc",
        "    invoke GetStockObject, WHITE_BRUSH",
        "    invoke FillRect, hDC, addr rc, eax",
        "    ret",
        "PaintBackground endp",
    ),
    "GetRegDword": (
        "GetRegDword proc hKey:DWORD, lpValue:DWORD",
        "    LOCAL  dwData:DWORD, cbData:DWORD",
        "    mov    cbData, 4",
        "    invoke RegQueryValueEx, hKey, lpValue, NULL, NULL, addr dwData, addr cbData",
        "    mov    eax, dwData",
        "    ret",
        "GetRegDword endp",
    ),
    "Random": (
        "Random proc uses edx dwRange:DWORD",
        "    mov    eax, Seed",
        "    imul   eax, eax, 343FDh",
        "    add    eax, 269EC3h",
        "    mov    Seed, eax",
        "    xor    edx, edx",
        "    div    dwRange",
        "    mov    eax, edx",
        "    ret",
        "Random endp",
    ),
    "ShowError": (
        "ShowError proc hWin:HWND, lpText:DWORD",
        "    invoke MessageBox, hWin, lpText, addr szAppName, MB_OK or MB_ICONERROR",
        "    ret",
        "ShowError endp",
    ),
}

INCLUDES = (
    ("windows.inc", "constants and structures of the Win32 API"),
    ("kernel32.inc", "prototypes of KERNEL32.DLL"),
    ("user32.inc", "prototypes of USER32.DLL"),
    ("gdi32.inc", "prototypes of GDI32.DLL"),
    ("comctl32.inc", "prototypes of COMCTL32.DLL"),
    ("comdlg32.inc", "prototypes of COMDLG32.DLL"),
    ("shell32.inc", "prototypes of SHELL32.DLL"),
    ("advapi32.inc", "prototypes of ADVAPI32.DLL"),
    ("wsock32.inc", "prototypes of WSOCK32.DLL"),
    ("winmm.inc", "prototypes of WINMM.DLL"),
    ("macros.inc", "invoke helpers, string literals and loop macros"),
    ("resource.inc", "control and command identifiers shared by the samples"),
)

TUTORIAL_STEPS = (
    "01_Console", "02_MessageBox", "03_Window", "04_Painting", "05_Menu",
    "06_Dialog", "07_Controls", "08_Files",
)

LIBRARY_MODULES = ("strlib", "memlib", "convlib", "listlib", "hashlib", "timelib")


def crlf(lines):
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def asm_program(rng, file_name, title, purpose, includes):
    procs = rng.sample(sorted(PROCS), rng.randint(1, 3))
    quote = '"' if " " in file_name else ""
    lines = [
        f"; {file_name} - {title}: {purpose}",
        f"; Build: ml /c /coff {quote}{file_name}{quote} && link /subsystem:windows {quote}{file_name[:-4]}.obj{quote}",
        "",
        ".386",
        ".model flat, stdcall",
        "option casemap:none",
        "",
    ]
    lines += [f"include {name}" for name in includes]
    lines += ["", "includelib kernel32.lib", "includelib user32.lib", "", ".data"]
    lines += [
        f'szClassName db "{title}Class",0',
        f'szAppName   db "{title}",0',
        "Seed        dd 12345678h",
        "",
        ".data?",
        "hInstance   HINSTANCE ?",
        "hMainWnd    HWND ?",
        "",
        ".code",
        "start:",
        "    invoke GetModuleHandle, NULL",
        "    mov    hInstance, eax",
        "    invoke WinMain, hInstance, NULL, NULL, SW_SHOWDEFAULT",
        "    invoke ExitProcess, eax",
        "",
        "WinMain proc hInst:HINSTANCE, hPrev:HINSTANCE, CmdLine:LPSTR, CmdShow:DWORD",
        "    LOCAL  wc:WNDCLASSEX, msg:MSG",
        "    mov    wc.cbSize, sizeof WNDCLASSEX",
        "    mov    wc.lpfnWndProc, offset WndProc",
        "    push   hInst",
        "    pop    wc.hInstance",
        "    mov    wc.lpszClassName, offset szClassName",
        "    invoke RegisterClassEx, addr wc",
        "    invoke CreateWindowEx, 0, addr szClassName, addr szAppName, WS_OVERLAPPEDWINDOW,",
        f"           CW_USEDEFAULT, CW_USEDEFAULT, {rng.choice((320, 400, 480, 640))}, "
        f"{rng.choice((200, 240, 300, 480))}, NULL, NULL, hInst, NULL",
        "    mov    hMainWnd, eax",
        "    invoke ShowWindow, hMainWnd, CmdShow",
        "    .while TRUE",
        "        invoke GetMessage, addr msg, NULL, 0, 0",
        "        .break .if !eax",
        "        invoke TranslateMessage, addr msg",
        "        invoke DispatchMessage, addr msg",
        "    .endw",
        "    mov    eax, msg.wParam",
        "    ret",
        "WinMain endp",
        "",
        "WndProc proc hWnd:HWND, uMsg:UINT, wParam:WPARAM, lParam:LPARAM",
        "    .if uMsg == WM_DESTROY",
        "        invoke PostQuitMessage, 0",
        "        xor    eax, eax",
        "        ret",
        "    .endif",
        "    invoke DefWindowProc, hWnd, uMsg, wParam, lParam",
        "    ret",
        "WndProc endp",
    ]
    for name in procs:
        lines += [""] + list(PROCS[name])
    lines += ["", "end start"]
    return crlf(lines)


def asm_module(rng, file_name, what):
    procs = rng.sample(sorted(PROCS), rng.randint(2, 4))
    lines = [
        f"; {file_name} - {what}",
        "",
        ".386",
        ".model flat, stdcall",
        "option casemap:none",
        "",
        "include windows.inc",
        "include kernel32.inc",
        "",
        ".data",
        "Seed dd 0BADF00Dh",
        "",
        ".code",
    ]
    for name in procs:
        lines += [""] + list(PROCS[name])
    lines += ["", "end"]
    return crlf(lines)


def inc_file(rng, file_name, what):
    procs = rng.sample(sorted(PROCS), rng.randint(2, 5))
    lines = [f"; {file_name} - {what}", ""]
    for name in procs:
        params = PROCS[name][0].split(":", 1)
        lines.append(f"{name} PROTO :DWORD" + (", :DWORD" * (params[1].count(",") if len(params) > 1 else 0)))
    lines.append("")
    base = rng.randrange(100, 4000, 100)
    for index, suffix in enumerate(rng.sample(("MAIN", "EXIT", "ABOUT", "OPEN", "SAVE", "OPTIONS", "HELP"), 4)):
        lines.append(f"IDM_{suffix:<10} equ {base + index + 1}")
    lines += [
        "",
        "APPDATA struct",
        "    hWnd      dd ?",
        "    dwFlags   dd ?",
        f"    szPath    db {rng.choice((64, 128, 260))} dup(?)",
        "APPDATA ends",
    ]
    return crlf(lines)


def rc_file(rng, file_name, title):
    base = rng.randrange(1000, 9000, 100)
    return crlf([
        f"// {file_name} - resources of {title}",
        '#include "resource.h"',
        "",
        "100 ICON DISCARDABLE \"main.ico\"",
        "",
        f"{base} MENU",
        "BEGIN",
        '    POPUP "&File"',
        "    BEGIN",
        f'        MENUITEM "&Open...", {base + 1}',
        "        MENUITEM SEPARATOR",
        f'        MENUITEM "E&xit", {base + 2}',
        "    END",
        '    POPUP "&Help"',
        "    BEGIN",
        f'        MENUITEM "&About {title}...", {base + 3}',
        "    END",
        "END",
        "",
        f"{base + 10} DIALOG 0, 0, {rng.choice((160, 186, 200))}, {rng.choice((70, 90, 110))}",
        "STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU",
        f'CAPTION "About {title}"',
        'FONT 8, "MS Sans Serif"',
        "BEGIN",
        f'    LTEXT "{title} 1.{rng.randint(0, 9)}", -1, 10, 10, 140, 10',
        '    DEFPUSHBUTTON "OK", IDOK, 60, 40, 50, 14',
        "END",
    ])


def text_file(lines):
    return crlf(lines)


def obj_file(rng):
    # A COFF header for i386 followed by filler, enough to look like an object file to a viewer.
    header = bytes((0x4C, 0x01, 0x03, 0x00)) + bytes(rng.getrandbits(8) for _ in range(16))
    return header + bytes(rng.getrandbits(8) for _ in range(rng.randint(200, 1800)))


def build_bat(short):
    return crlf([
        "@echo off",
        f"ml /c /coff /Cp {short}.asm",
        f"if exist {short}.rc rc {short}.rc",
        f"link /SUBSYSTEM:WINDOWS {short}.obj",
        "pause",
    ])


def sample_files(rng):
    """The sample tree as (relative path, bytes) pairs, in a fixed order."""
    files = []
    for folder, short, purpose in PROJECTS:
        base = f"Projects/{folder}"
        includes = ["windows.inc", "kernel32.inc", "user32.inc", f"{short}.inc"]
        files.append((f"{base}/{short}.asm", asm_program(rng, f"{short}.asm", folder, purpose, includes)))
        files.append((f"{base}/{short}.inc", inc_file(rng, f"{short}.inc", f"declarations of {folder}")))
        files.append((f"{base}/{short}.rc", rc_file(rng, f"{short}.rc", folder)))
        for module in rng.sample(MODULES, rng.randint(1, 3)):
            files.append((f"{base}/src/{module}.asm", asm_module(rng, f"{module}.asm", f"{module} helpers of {folder}")))
        if rng.random() < 0.5:
            files.append((f"{base}/{short}.obj", obj_file(rng)))
        if rng.random() < 0.4:
            files.append((f"{base}/readme.txt", text_file([f"{folder}", "", f"{purpose.capitalize()}.",
                                                            "Run make.bat to build."])))
            files.append((f"{base}/make.bat", build_bat(short)))

    for name, what in INCLUDES:
        files.append((f"Include/{name}", inc_file(rng, name, what)))

    for step in TUTORIAL_STEPS:
        number, title = step.split("_", 1)
        short = title.lower()
        base = f"Examples/Tutorial/{step}"
        files.append((f"{base}/{short}.asm", asm_program(rng, f"{short}.asm", title, f"tutorial step {number}",
                                                         ["windows.inc", "kernel32.inc", "user32.inc"])))
        # Steps from the menu on have resources.
        if int(number) >= 5:
            files.append((f"{base}/{short}.rc", rc_file(rng, f"{short}.rc", title)))
        files.append((f"{base}/notes.txt", text_file([f"Step {number}: {title}", "",
                                                      "Read the source top to bottom; every line is commented."])))
    files.append(("Examples/Tutorial/03_Window/my first window.asm",
                  asm_program(rng, "my first window.asm", "FirstWindow", "the first window, written from scratch",
                              ["windows.inc", "kernel32.inc", "user32.inc"])))
    files.append(("Examples/Tutorial/03_Window/WINMAIN.ASM",
                  asm_module(rng, "WINMAIN.ASM", "the same window procedure in upper case, as an old editor saved it")))
    files.append(("Examples/Snippets/Graphics/Lines/bresenham.asm",
                  asm_module(rng, "bresenham.asm", "integer line drawing")))
    files.append(("Examples/Snippets/Graphics/Lines/wu.asm", asm_module(rng, "wu.asm", "anti-aliased lines")))
    files.append(("Examples/Snippets/Graphics/fill.asm", asm_module(rng, "fill.asm", "flood fill with a stack")))
    files.append(("Examples/Snippets/Strings/itoa.asm", asm_module(rng, "itoa.asm", "number to text")))
    files.append(("Examples/Snippets/Strings/trim.asm", asm_module(rng, "trim.asm", "blank trimming")))
    files.append(("Examples/Snippets/Strings/upper.asm", asm_module(rng, "upper.asm", "upper-casing in place")))
    files.append(("Examples/Snippets/Strings/strings.inc", inc_file(rng, "strings.inc", "string snippet prototypes")))
    files.append(("Examples/Snippets/index.txt", text_file(["Snippets: Graphics, Strings"])))

    for module in LIBRARY_MODULES:
        files.append((f"Library/src/{module}.asm", asm_module(rng, f"{module}.asm", f"{module} routines")))
        files.append((f"Library/include/{module}.inc", inc_file(rng, f"{module}.inc", f"{module} prototypes")))
        files.append((f"Library/obj/{module}.obj", obj_file(rng)))
    files.append(("Library/build.bat", crlf(["@echo off", "for %%f in (src\\*.asm) do ml /c /coff /Foobj\\ %%f"])))
    files.append(("Library/changes.txt", text_file(["1.2 faster hashing", "1.1 time routines", "1.0 first release"])))

    archive = "Archive, 2023"
    for folder, short, _ in PROJECTS[:5]:
        files.append((f"{archive}/{folder}/{short}_old.asm",
                      asm_module(rng, f"{short}_old.asm", f"{folder} before the rewrite")))
        files.append((f"{archive}/{folder}/{short}.asm.bak",
                      asm_module(rng, f"{short}.asm.bak", f"{folder} backup copy")))
    files.append((f"{archive}/Calculator/calc_old.rc", rc_file(rng, "calc_old.rc", "Calculator")))
    files.append((f"{archive}/Calculator/calc_old.inc", inc_file(rng, "calc_old.inc", "old calculator declarations")))
    files.append((f"{archive}/contents.txt", text_file(["Projects as they were at the end of 2023."])))
    return files


def reference_time(value):
    if value is not None:
        return value
    today = time.gmtime()
    return calendar.timegm((today.tm_year, today.tm_mon, today.tm_mday, 0, 0, 0))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe-dir", required=True, type=Path, help="folder holding the built programs")
    parser.add_argument("--out", required=True, type=Path, help="demo package folder to lay out")
    parser.add_argument("--reference-time", type=int, help="newest possible last-write time, seconds since 1970")
    args = parser.parse_args()

    rng = random.Random(SEED)
    files = sample_files(rng)
    if len(files) != EXPECTED_FILE_COUNT:
        sys.exit(f"make-demo-package: the sample tree has {len(files)} files, expected {EXPECTED_FILE_COUNT}")
    newest = reference_time(args.reference_time)

    args.out.mkdir(parents=True, exist_ok=True)
    for name in PROGRAMS:
        source = args.exe_dir / name
        if not source.is_file():
            sys.exit(f"make-demo-package: {source} is missing; build the windows-x64 preset first")
        shutil.copy2(source, args.out / name)

    for root in TREE_ROOTS:
        shutil.rmtree(args.out / root, ignore_errors=True)
    for relative, content in files:
        path = args.out / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)
        stamp = newest - rng.randrange(TWO_YEARS)
        os.utime(path, (stamp, stamp))
    print(f"demo package: {args.out} ({len(files)} sample files)")


if __name__ == "__main__":
    main()
