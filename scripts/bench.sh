#!/usr/bin/env bash
# Benchmark of the real program against the virtual tablet: latency, loss,
# throughput, CPU time and wake-ups, each beside the yardstick (the shortest
# loop through the same driver).  Builds, starts its own Xvfb and Wine server
# in a prefix of its own, installs the virtual tablet, runs, prints the
# table and stops everything.  Not a test: nothing here runs in test.sh.
#
#   ./scripts/bench.sh [seconds-per-run] [overload-rate]   (default 10 2000)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
export BUILD_DIR="$("$ROOT/scripts/build.sh")"
source "$ROOT/scripts/wine-arch.sh"
# Apart from the tests' prefix, so a test run in this tree is not disturbed.
export WINEPREFIX="$BUILD_DIR/bench-prefix"
source "$ROOT/scripts/wine-env.sh"
start_wine_env
echo "Benchmark in $BUILD_DIR ($WIN_ARCH under Wine, DISPLAY=$DISPLAY)"
"$ROOT/scripts/install-virtual-tablet.sh"
windows_path() { echo "Z:$1" | tr / '\\'; }
"$WINE" "$(windows_path "$BUILD_DIR/bench/bench.exe")" "$@" </dev/null 2>"$BUILD_DIR/bench.log" |
    tr -d '\r'
