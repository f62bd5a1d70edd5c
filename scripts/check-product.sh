#!/usr/bin/env bash
# Checks the shipped executable: PE32 for Intel 386, GUI subsystem, a stack
# reserve of 1 MB for every thread, and importing only Windows system DLLs
# (no MinGW runtime DLL).
set -euo pipefail
exe="$1"
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "FAIL: $*"; exit 1; }
grep -q "^Magic[[:space:]]*010b" <<<"$dump" || fail "not PE32"
i686-w64-mingw32-objdump -f "$exe" | grep -q "architecture: i386" || fail "not i386"
grep -q "^Subsystem[[:space:]]*00000002" <<<"$dump" || fail "not a GUI program"
reserve=$(awk '$1 == "SizeOfStackReserve" {print $2}' <<<"$dump")
[ "$((16#${reserve:-0}))" = 1048576 ] || fail "stack reserve 0x${reserve:-?}, not 1 MB"
allowed="^(kernel32|user32|gdi32|advapi32|shell32|comctl32|setupapi|hid|msvcrt)\.dll$"
while read -r dll; do
    grep -qiE "$allowed" <<<"$dll" || fail "imports $dll"
done < <(grep "DLL Name:" <<<"$dump" | awk '{print $3}')
echo "$exe: PE32 i386 GUI, stack reserve 1 MB, imports: $(grep 'DLL Name:' <<<"$dump" | awk '{print $3}' | tr '\n' ' ')"
