#!/usr/bin/env bash
# Builds the program and its tests and runs every test under Wine.
# Extra arguments go to ctest (for example: -R Settings, -L unit).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
export BUILD_DIR="$("$ROOT/scripts/build.sh")"
source "$ROOT/scripts/wine-arch.sh"
source "$ROOT/scripts/wine-env.sh"
start_wine_env
echo "Testing in $BUILD_DIR ($WIN_ARCH under Wine, DISPLAY=$DISPLAY)"
cd "$BUILD_DIR"
# A test that ends at once without any output is run once more (see
# run-ctest.sh); every other failure counts at once.
"$ROOT/scripts/run-ctest.sh" --output-on-failure --timeout 300 "$@"
