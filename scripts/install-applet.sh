#!/usr/bin/env bash
# Installs the built settings applet (penpanel.cpl) where control.exe finds
# it: the system folder of the Wine prefix.  Running it again changes
# nothing unless the applet was rebuilt.
#
#   scripts/install-applet.sh [build dir]    (default: $BUILD_DIR)
#   WINEPREFIX must name the prefix.
set -euo pipefail
build_dir="${1:-${BUILD_DIR:?give the build folder or set BUILD_DIR}}"
: "${WINEPREFIX:?WINEPREFIX must be set}"
cpl="$build_dir/penpanel.cpl"
[ -f "$cpl" ] || { echo "install-applet: $cpl is missing: build first" >&2; exit 1; }

# The applet's machine, from its PE header: 014c i386, 8664 x86-64.
pe_offset=$(od -An -tu4 -j60 -N4 "$cpl" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$cpl" | tr -d ' ')
# In a 64-bit prefix, 32-bit DLLs belong in syswow64.
folder=system32
if [ "$machine" = 014c ] && grep -q '^#arch=win64' "$WINEPREFIX/system.reg" 2>/dev/null; then
    folder=syswow64
fi
target="$WINEPREFIX/drive_c/windows/$folder"
mkdir -p "$target"
if cmp -s "$cpl" "$target/penpanel.cpl"; then
    echo "penpanel.cpl is already installed in $target"
else
    cp "$cpl" "$target/penpanel.cpl.new"
    mv -f "$target/penpanel.cpl.new" "$target/penpanel.cpl"
    echo "Installed penpanel.cpl in $target"
fi
