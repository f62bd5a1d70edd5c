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
# A test that fails is run once more, and the summary counts it as failed
# only if it fails again: about one Wine test process in a few hundred ends
# at once with no output on a busy machine (the first failure stays in the
# output above the summary).
ctest --output-on-failure --timeout 300 --repeat until-pass:2 "$@" </dev/null
