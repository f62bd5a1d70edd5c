#!/usr/bin/env bash
# Profile switches measured with the real program against the virtual tablet:
# a profile "Office" (relative mode, for notepad.exe) over machine settings in
# absolute mode, Notepad and another window taking turns in front while pen
# packets come at 266 per second.  Prints the time from each window brought
# to the front to the driver's receipt of the block in force, the packets
# lost, the program's memory, threads and handles after the first turns and
# at the end, and the stored values before and after.  Builds, starts its own
# Xvfb and Wine server in a prefix of its own, installs the virtual tablet,
# runs and stops everything.  Not a test: nothing here runs in test.sh.
#
#   ./scripts/switches.sh [alternations]   (default 200)
set -euo pipefail
MEASURE_PREFIX=switch-prefix
source "$(dirname "$0")/measure-env.sh"
echo "Profile switches in $BUILD_DIR ($WIN_ARCH under Wine, DISPLAY=$DISPLAY)"
"$WINE" reg delete 'HKCU\Software\VELLUM\Tablet' /f </dev/null >/dev/null 2>&1 || true
"$WINE" "$(windows_path "$BUILD_DIR/bench/switches.exe")" "$@" </dev/null \
    2>"$BUILD_DIR/switches.log" | tr -d '\r'
"$WINE" reg delete 'HKCU\Software\VELLUM\Tablet' /f </dev/null >/dev/null 2>&1 || true
