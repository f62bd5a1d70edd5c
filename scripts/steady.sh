#!/usr/bin/env bash
# The steady pen measured with the real program against the virtual tablet
# (bench/steady_main.cpp): a noisy rest, a stroke, a slow motion, taps in an
# edit control and the CPU time per packet, with and without Smoothing 5 and
# SteadyClicks.  Prints the figures and draws the pointer's paths of the rest
# and the stroke into docs/steady-path.png (scripts/steady-picture.py).
# Builds, starts its own Xvfb and Wine server in a prefix of its own,
# installs the virtual tablet, runs and stops everything.  Not a test.
#
#   ./scripts/steady.sh [tries] [cost-seconds]   (default 20 10)
set -euo pipefail
MEASURE_PREFIX=steady-prefix
source "$(dirname "$0")/measure-env.sh"
echo "Steady pen in $BUILD_DIR ($WIN_ARCH under Wine, DISPLAY=$DISPLAY)"
"$WINE" "$(windows_path "$BUILD_DIR/bench/steady.exe")" \
    "$(windows_path "$BUILD_DIR/steady-paths.csv")" "$@" </dev/null \
    2>"$BUILD_DIR/steady.log" | tr -d '\r'
python3 "$ROOT/scripts/steady-picture.py" "$BUILD_DIR/steady-paths.csv" \
    "$ROOT/docs/steady-path.png"
