#!/usr/bin/env bash
# Builds the program and runs it under Wine, on the user's display when
# DISPLAY is set, otherwise on Xvfb.  Ctrl+C ends it.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
export BUILD_DIR="$("$ROOT/scripts/build.sh")"
source "$ROOT/scripts/wine-arch.sh"
export USE_DISPLAY=1
source "$ROOT/scripts/wine-env.sh"
start_wine_env
echo "Running $BUILD_DIR/stylohid.exe (DISPLAY=$DISPLAY); Ctrl+C ends it."
"$WINE" "$BUILD_DIR/stylohid.exe" </dev/null
