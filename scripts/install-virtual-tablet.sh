#!/usr/bin/env bash
# Puts the virtual tablet into the running Wine prefix and starts it: the
# stand-in tablet driver behind \\.\USBTablet, the virtual HID bus and its
# minidriver, and one tablet with the real ids (vendor 0x2C5E, product
# 0x0100, X 0..0x7FFF, Y 0..0x5FFF).  Idempotent.
#
# Needs the environment of scripts/wine-env.sh with its Wine server running
# (the drivers live in it and go when it stops): BUILD_DIR, WINE, WINEPREFIX.
set -euo pipefail
: "${BUILD_DIR:?}" "${WINE:?}" "${WINEPREFIX:?}"
tools="$BUILD_DIR/tools"
ctl="$tools/vtabletctl.exe"
[ -f "$ctl" ] || { echo "no $ctl: build first" >&2; exit 1; }
windows_path() { echo "Z:$1" | tr / '\\'; }
log="$BUILD_DIR/virtual-tablet.log"
"$WINE" "$ctl" install-driver "$(windows_path "$tools")\\" </dev/null >>"$log" 2>&1 ||
    { cat "$log" >&2; exit 1; }
"$WINE" "$ctl" install-bus "$(windows_path "$tools")\\" </dev/null >>"$log" 2>&1 ||
    { cat "$log" >&2; exit 1; }
if [ "$("$WINE" "$ctl" count </dev/null 2>>"$log" | tr -d '\r')" = 0 ]; then
    "$WINE" "$ctl" plug 1 </dev/null >>"$log" 2>&1
fi
# The program looks for the tablet among the HID devices: wait until it is
# listed there (the first time takes seconds).
for _ in $(seq 300); do
    "$WINE" "$ctl" hid </dev/null 2>>"$log" | grep -qi "vid 2C5E pid 0100 X" && exit 0
    sleep 0.2
done
echo "the virtual tablet did not appear among the HID devices" >&2
exit 1
