#!/usr/bin/env bash
# Makes docs/screens.png: the settings applet on a desktop of two monitors
# (scripts/two-screens-env.sh), with the second screen chosen.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
export BUILD_DIR="$("$ROOT/scripts/build.sh")"
source "$ROOT/scripts/two-screens-env.sh"
start_two_screens_env
"$ROOT/scripts/install-applet.sh" "$BUILD_DIR" >/dev/null
"$WINE" "$BUILD_DIR/stylohidctl.exe" screen 2 </dev/null
"$WINE" control.exe penpanel.cpl </dev/null >/dev/null 2>&1 &
applet=$!
caption="$(sed -n 's/^#define PANEL_CAPTION *"\(.*\)"/\1/p' "$ROOT/applet/panel_resource.h")"
geometry=""
for _ in $(seq 120); do
    if geometry="$(xwininfo -name "$caption" 2>/dev/null)"; then
        sleep 2   # drawn completely
        geometry="$(xwininfo -name "$caption")"
        break
    fi
    sleep 0.5
done
[ -n "$geometry" ] || { echo "the applet did not open" >&2; exit 1; }
value() { sed -n "s/^ *$1: *//p" <<<"$geometry"; }
x=$(value "Absolute upper-left X") y=$(value "Absolute upper-left Y")
w=$(value Width) h=$(value Height)
out="$ROOT/docs/screens.png"
xwd -root -silent | convert xwd:- -crop "${w}x${h}+${x}+${y}" +repage \
    -strip -define png:compression-level=9 "PNG8:$out"
echo "$out ($(stat -c %s "$out") bytes)"
"$WINE" reg delete 'HKLM\Software\VELLUM\Tablet\CurrentVersion\Settings' /v Screen /f \
    </dev/null >/dev/null 2>&1 || true
kill "$applet" 2>/dev/null || true
