#!/usr/bin/env bash
# Builds the program and runs it under Wine against the virtual tablet
# (tools/): installs the tablet into the prefix, starts the program, and
# plays a short pen trace.  On the user's display when DISPLAY is set (then
# Ctrl+C ends it); otherwise on Xvfb, where a screenshot is saved, its path
# printed, and the program closed.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
export BUILD_DIR="$("$ROOT/scripts/build.sh")"
source "$ROOT/scripts/wine-arch.sh"
ON_XVFB=0
[ -z "${DISPLAY:-}" ] && ON_XVFB=1
export USE_DISPLAY=1
source "$ROOT/scripts/wine-env.sh"
start_wine_env
echo "Installing the virtual tablet into $WINEPREFIX..."
"$ROOT/scripts/install-virtual-tablet.sh"
ctl() { "$WINE" "$BUILD_DIR/tools/vtabletctl.exe" "$@" </dev/null 2>>"$BUILD_DIR/virtual-tablet.log" | tr -d '\r'; }
echo "Running $BUILD_DIR/stylohid.exe (DISPLAY=$DISPLAY)"
"$WINE" "$BUILD_DIR/stylohid.exe" </dev/null >"$BUILD_DIR/stylohid.log" 2>&1 &
program=$!
ctl wait-ready 60000 || { echo "the program did not start its reader" >&2; exit 1; }
echo "Playing a pen trace..."
ctl demo
if [ "$ON_XVFB" = 1 ]; then
    shot="$BUILD_DIR/screenshot.png"
    # X leaves the pointer out of screenshots: a red ring marks where it is.
    read -r px py < <(ctl pointer)
    xwd -root -silent | convert xwd:- -fill none -stroke red -strokewidth 3 \
        -draw "circle $px,$py $((px + 12)),$py" "$shot"
    echo "Screenshot: $shot (the red ring is the pointer, at $px,$py)"
    ctl close || true
    wait "$program" || true
else
    echo "The program runs; Ctrl+C ends it."
    wait "$program"
fi
