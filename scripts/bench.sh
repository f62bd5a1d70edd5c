#!/usr/bin/env bash
# Benchmark of the real program against the virtual tablet: latency, loss,
# throughput, CPU time and wake-ups, each beside the two-thread floor (the
# least a reader thread and a window thread cost) and the yardstick (the
# shortest loop through the same driver).  Builds, starts its own Xvfb and
# Wine server in a prefix of its own, installs the virtual tablet, runs,
# prints the table, then one line of the program against the floor, and
# stops everything.  Not a test: nothing here runs in test.sh.
#
#   ./scripts/bench.sh [packets-per-run] [overload-rate]   (default 2400 2000)
#   ./scripts/bench.sh profiles [packets-per-run]   (no profile against one)
#   ./scripts/bench.sh scroll [packets-per-run] [rate]   (scrolling against plain motion)
set -euo pipefail
MEASURE_PREFIX=bench-prefix
source "$(dirname "$0")/measure-env.sh"
echo "Benchmark in $BUILD_DIR ($WIN_ARCH under Wine, DISPLAY=$DISPLAY)"
"$WINE" "$(windows_path "$BUILD_DIR/bench/bench.exe")" "$@" </dev/null 2>"$BUILD_DIR/bench.log" |
    tr -d '\r'
