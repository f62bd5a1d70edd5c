#!/usr/bin/env bash
# Builds the program and runs it under Wine against the virtual tablet
# (tools/): installs the tablet into the prefix, starts the program, opens
# the sketch pad (tools/sketchpad.exe) and has the pen draw in it, with
# absolute mode and pen button 2 a left click for the drawing (the stored
# settings are put back afterwards).  On the user's display when DISPLAY is
# set (the program then keeps running; Ctrl+C ends it); otherwise on Xvfb,
# where a screenshot and an animated GIF of the drawing are saved, their
# paths printed, and the program closed.
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
# The settings applet that a double-click on the notification icon opens.
"$ROOT/scripts/install-applet.sh" "$BUILD_DIR"
source "$ROOT/scripts/sketch-demo.sh"
trap 'demo_settings_end; stop_wine_env' EXIT
demo_settings_begin
echo "Running $BUILD_DIR/stylohid.exe (DISPLAY=$DISPLAY)"
"$WINE" "$BUILD_DIR/stylohid.exe" </dev/null >"$BUILD_DIR/stylohid.log" 2>&1 &
program=$!
ctl wait-ready 60000 || { echo "the program did not start its reader" >&2; exit 1; }
echo "Drawing in the sketch pad with the pen (pen button 2 held: a left click)..."
if [ "$ON_XVFB" = 1 ]; then
    # Xvfb's screen is 1280x1024; Wine's notification area is at its top left.
    open_sketch_pad 60 90 1160 860
    shot="$BUILD_DIR/screenshot.png" gif="$BUILD_DIR/drawing.gif"
    record_drawing "$gif" "$shot"
    echo "Screenshot: $shot (the red ring is the pointer, at $DEMO_POINTER)"
    echo "Animation:  $gif"
    ctl close || true
    wait "$program" || true
else
    open_sketch_pad
    ctl demo
    # The user's own settings again, in the registry and in the program.
    demo_settings_end
    ctl reload || true
    echo "The program runs; Ctrl+C ends it."
    wait "$program"
fi
