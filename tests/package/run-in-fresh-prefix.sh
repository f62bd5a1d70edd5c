#!/usr/bin/env bash
# Runs the package tests (package_tests.exe) in a Wine prefix made afresh,
# with a Wine server and X server of its own, so that nothing of the other
# tests' prefix (the applet copied there, settings, drivers) is found.
# First makes a rebuild of the package with the same version, a day later
# (as from a later commit): the same sources give the same package, so
# this one differs only in its time, and thus in its codes.
#
#   tests/package/run-in-fresh-prefix.sh BUILD_DIR ARCH VERSION
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
export BUILD_DIR="$1"
arch="$2" version="$3"
source "$ROOT/scripts/wine-arch.sh"

epoch=$(bash "$ROOT/scripts/source-date-epoch.sh")
SOURCE_DATE_EPOCH=$((epoch + 86400)) bash "$ROOT/scripts/package.sh" --from "$BUILD_DIR" \
    --arch "$arch" --version "$version" --out "$BUILD_DIR/tests/package/stylohid-rebuilt.msi"

export WINEPREFIX="$BUILD_DIR/package-prefix"
"$WINESERVER" -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
unset USE_DISPLAY
source "$ROOT/scripts/wine-env.sh"
start_wine_env
cd "$BUILD_DIR/tests/package"
"$WINE" package_tests.exe </dev/null
