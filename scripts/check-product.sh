#!/usr/bin/env bash
# Checks a shipped executable: PE32 for Intel 386, GUI subsystem (console
# with "console" as second argument), and importing only Windows system DLLs
# (no MinGW runtime DLL) and nothing Windows XP lacks that is known to be
# used (such calls are looked up at run time).  The GUI program,
# stylohid.exe, must also reserve 1 MB of stack for every thread (its reader
# asks only for its commitment).  Its application manifest is read back by
# scripts/check-manifest.py: asInvoker, Vista to 11, and per-monitor DPI
# aware for the GUI program.
set -euo pipefail
exe="$1"
subsystem="${2:-gui}"
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "FAIL: $*"; exit 1; }
grep -q "^Magic[[:space:]]*010b" <<<"$dump" || fail "not PE32"
i686-w64-mingw32-objdump -f "$exe" | grep -q "architecture: i386" || fail "not i386"
label="console"
if [ "$subsystem" = console ]; then
    grep -q "^Subsystem[[:space:]]*00000003" <<<"$dump" || fail "not a console program"
else
    grep -q "^Subsystem[[:space:]]*00000002" <<<"$dump" || fail "not a GUI program"
    reserve=$(awk '$1 == "SizeOfStackReserve" {print $2}' <<<"$dump")
    [ "$((16#${reserve:-0}))" = 1048576 ] || fail "stack reserve 0x${reserve:-?}, not 1 MB"
    label="GUI, stack reserve 1 MB"
fi
for vista_only in RegisterApplicationRestart; do
    ! grep -qw "$vista_only" <<<"$dump" || fail "imports $vista_only, which Windows XP lacks"
done
manifest=$(python3 "$(dirname "$0")/check-manifest.py" "$exe" \
    $([ "$subsystem" = console ] || echo --per-monitor-dpi)) || fail "${manifest#FAIL: }"
allowed="^(kernel32|user32|gdi32|advapi32|shell32|comctl32|setupapi|hid|msvcrt)\.dll$"
while read -r dll; do
    grep -qiE "$allowed" <<<"$dll" || fail "imports $dll"
done < <(grep "DLL Name:" <<<"$dump" | awk '{print $3}')
echo "${manifest#*: }"
echo "$exe: PE32 i386 $label, imports: $(grep 'DLL Name:' <<<"$dump" | awk '{print $3}' | tr '\n' ' ')"
