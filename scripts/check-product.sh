#!/usr/bin/env bash
# Checks a shipped file: PE32 for Intel 386, importing only Windows system
# DLLs (no MinGW runtime DLL), and by its kind (second argument):
#   gui (default)  stylohid.exe: GUI subsystem, 1 MB of stack reserved for
#                  every thread (its reader asks only for its commitment);
#   gui-ui-access  the same, built with a signing certificate: its manifest
#                  asks for UI access;
#   console        stylohidctl.exe: console subsystem;
#   applet         penpanel.cpl: a DLL whose one export is CPlApplet by its
#                  plain name (control.exe looks it up so), nothing else.
# Executables must import nothing Windows XP lacks that is known to be used
# (such calls are looked up at run time), and carry an application manifest,
# read back by scripts/check-manifest.py: asInvoker, no UI access unless
# gui-ui-access, Vista to 11, and per-monitor DPI aware for the GUI program.  With a third argument, the
# file's version resource must name that version (see the end).
#
#   scripts/check-product.sh FILE [gui|gui-ui-access|console|applet] [VERSION]
set -euo pipefail
file="$1"
kind="${2:-gui}"
version="${3:-}"
dump=$(i686-w64-mingw32-objdump -p "$file")
fail() { echo "FAIL: $*"; exit 1; }
grep -q "^Magic[[:space:]]*010b" <<<"$dump" || fail "not PE32"
i686-w64-mingw32-objdump -f "$file" | grep -q "architecture: i386" || fail "not i386"
characteristics=$(awk '/^Characteristics/{print $2; exit}' <<<"$dump")
case "$kind" in
console)
    grep -q "^Subsystem[[:space:]]*00000003" <<<"$dump" || fail "not a console program"
    label="console"
    ;;
applet)
    (( characteristics & 0x2000 )) || fail "not a DLL"
    # The export table's name column: CPlApplet, with no @16, and no other.
    exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1;next} on&&/^[[:space:]]*\[/{print $NF} on&&/^$/{on=0}' <<<"$dump")
    [ "$exports" = CPlApplet ] || fail "exports $(tr '\n' ' ' <<<"$exports"), not CPlApplet alone"
    label="DLL, exports: CPlApplet"
    ;;
*)
    grep -q "^Subsystem[[:space:]]*00000002" <<<"$dump" || fail "not a GUI program"
    reserve=$(awk '$1 == "SizeOfStackReserve" {print $2}' <<<"$dump")
    [ "$((16#${reserve:-0}))" = 1048576 ] || fail "stack reserve 0x${reserve:-?}, not 1 MB"
    label="GUI, stack reserve 1 MB"
    ;;
esac
for vista_only in RegisterApplicationRestart; do
    ! grep -qw "$vista_only" <<<"$dump" || fail "imports $vista_only, which Windows XP lacks"
done
manifest=""
if [ "$kind" != applet ]; then
    manifest=$(python3 "$(dirname "$0")/check-manifest.py" "$file" \
        $([ "$kind" = console ] || echo --per-monitor-dpi) \
        $([ "$kind" != gui-ui-access ] || echo --ui-access)) || fail "${manifest#FAIL: }"
fi
allowed="^(kernel32|user32|gdi32|advapi32|shell32|comctl32|setupapi|hid|msvcrt)\.dll$"
while read -r dll; do
    grep -qiE "$allowed" <<<"$dll" || fail "imports $dll"
done < <(grep "DLL Name:" <<<"$dump" | awk '{print $3}')
# The version resource, read back from the file: a description, the file's
# own name, and VERSION as file and product version (MAJOR.MINOR.PATCH also
# as the fixed version MAJOR,MINOR,PATCH,0, which Windows Installer reads).
if [ -n "$version" ]; then
    rc=$(i686-w64-mingw32-windres -i "$file" -O rc 2>/dev/null) || fail "no resources"
    grep -q "^[0-9A-Za-z_]* VERSIONINFO" <<<"$rc" || fail "no version resource"
    value() { sed -n "s/^ *VALUE \"$1\", \"\(.*\)\"\$/\1/p" <<<"$rc" | head -n 1; }
    description=$(value FileDescription)
    [ -n "$description" ] || fail "no FileDescription in the version resource"
    [ "$(value OriginalFilename)" = "$(basename "$file")" ] ||
        fail "OriginalFilename \"$(value OriginalFilename)\" is not $(basename "$file")"
    for name in FileVersion ProductVersion; do
        [ "$(value $name)" = "$version" ] || fail "$name \"$(value $name)\", not $version"
    done
    if [[ "$version" =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)$ ]]; then
        fixed="${BASH_REMATCH[1]}, ${BASH_REMATCH[2]}, ${BASH_REMATCH[3]}, 0"
        for name in FILEVERSION PRODUCTVERSION; do
            grep -qx " *$name $fixed" <<<"$rc" || fail "$name is not $fixed"
        done
    fi
    label="$label, version $version \"$description\""
fi
[ -z "$manifest" ] || echo "${manifest#*: }"
echo "$file: PE32 i386 $label, imports: $(grep 'DLL Name:' <<<"$dump" | awk '{print $3}' | tr '\n' ' ')"
