#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 programs. Some machines run 64-bit user code
# only: there every 32-bit program, Wine's 32-bit loader included, fails with "Exec format error".
# It writes a 93-byte i386 program that only calls exit(0) and starts it; nothing is installed.
# The setup and the Wine session both ask it. TRAWLBECK_32BIT=no or yes gives that answer instead.
set -u

case ${TRAWLBECK_32BIT-} in
    no) exit 1 ;;
    yes) exit 0 ;;
esac
[ "$(uname -m)" = x86_64 ] || exit 1
folder=$(mktemp -d) || exit 1
trap 'rm -rf "$folder"' EXIT
# ELF header, one loadable segment, then: mov eax, 1; xor ebx, ebx; int 0x80.
printf '%b' \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00' \
    '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00' \
    '\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
    '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
    '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$folder/exit32"
chmod +x "$folder/exit32"
"$folder/exit32" 2>/dev/null
