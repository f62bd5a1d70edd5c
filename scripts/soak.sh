#!/usr/bin/env bash
# Soak of the real program against the virtual tablet: packets at 266 per
# second for the given time, while another process makes it reload its
# settings, switches its pointer mode and opens and cancels its sensitivity
# dialog every few seconds.  Prints packets sent, moves seen, lost and out of
# order, and the program's memory, threads and handles after the first minute
# and at the end.  Builds, starts its own Xvfb and Wine server in a prefix of
# its own, installs the virtual tablet, runs and stops everything.  Not a
# test: nothing here runs in test.sh or CI.
#
#   ./scripts/soak.sh [minutes]   (default 10)
set -euo pipefail
MEASURE_PREFIX=soak-prefix
source "$(dirname "$0")/measure-env.sh"
echo "Soak in $BUILD_DIR ($WIN_ARCH under Wine, DISPLAY=$DISPLAY), ${1:-10} min"
"$WINE" "$(windows_path "$BUILD_DIR/bench/soak.exe")" "$@" </dev/null 2>"$BUILD_DIR/soak.log" |
    tr -d '\r'
