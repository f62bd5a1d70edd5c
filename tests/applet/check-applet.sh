#!/usr/bin/env bash
# Checks the shipped applet: a PE32 DLL for Intel 386 that exports CPlApplet
# by its plain name (control.exe looks it up so) and imports only Windows
# system DLLs.
set -euo pipefail
cpl="$1"
dump=$(i686-w64-mingw32-objdump -p "$cpl")
fail() { echo "FAIL: $*"; exit 1; }
grep -q "^Magic[[:space:]]*010b" <<<"$dump" || fail "not PE32"
i686-w64-mingw32-objdump -f "$cpl" | grep -q "architecture: i386" || fail "not i386"
characteristics=$(awk '/^Characteristics/{print $2; exit}' <<<"$dump")
(( characteristics & 0x2000 )) || fail "not a DLL"
# The export table's name column: exactly "CPlApplet", with no @16.
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1;next} on&&/^[[:space:]]*\[/{print $NF} on&&/^$/{on=0}' <<<"$dump")
grep -qx "CPlApplet" <<<"$exports" || fail "no plain CPlApplet export (exports: $(tr '\n' ' ' <<<"$exports"))"
grep -q "@" <<<"$exports" && fail "decorated exports: $(tr '\n' ' ' <<<"$exports")"
allowed="^(kernel32|user32|gdi32|advapi32|comctl32|setupapi|hid|msvcrt)\.dll$"
while read -r dll; do
    grep -qiE "$allowed" <<<"$dll" || fail "imports $dll"
done < <(grep "DLL Name:" <<<"$dump" | awk '{print $3}')
echo "$cpl: PE32 i386 DLL, exports: $(tr '\n' ' ' <<<"$exports")"
