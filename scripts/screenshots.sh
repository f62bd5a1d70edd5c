#!/usr/bin/env bash
# Makes every picture in docs/ again from the real program under Xvfb, in a
# Wine prefix of its own (<build dir>/screenshots-prefix) that starts each
# time with no stored settings:
#   docs/drawing.gif      the pen drawing in the sketch pad, as it is drawn
#   docs/tray-icon.png    the notification icon, cropped and enlarged
#   docs/sensitivity.png  the sensitivity dialog
#   docs/applet.png       the settings applet, opened by a double-click of the
#                         pen on the notification icon
#   docs/profile-menu.png the icon's menu with two profiles, opened by a
#                         right click of the pen on the icon
#   docs/no-tablet.png    the message shown when no tablet is found (after the
#                         program's four-minute wait for it)
# Takes about six minutes; needs no hand.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
export BUILD_DIR="$("$ROOT/scripts/build.sh")"
source "$ROOT/scripts/wine-arch.sh"
export WINEPREFIX="$BUILD_DIR/screenshots-prefix"
unset USE_DISPLAY
source "$ROOT/scripts/wine-env.sh"
start_wine_env
echo "Installing the virtual tablet into $WINEPREFIX..."
"$ROOT/scripts/install-virtual-tablet.sh"
"$ROOT/scripts/install-applet.sh" "$BUILD_DIR" >/dev/null
source "$ROOT/scripts/sketch-demo.sh"
docs="$ROOT/docs"
mkdir -p "$docs"

# Captions of the windows taken (the system's own texts).
SENSITIVITY_CAPTION="Vellum USB Tablet configuration"
ERROR_CAPTION="Vellum USB Tablet Driver Error"
APPLET_CAPTION="$(sed -n 's/^#define PANEL_CAPTION *"\(.*\)"/\1/p' "$ROOT/applet/panel_resource.h")"
TRAY_CAPTION="Wine System Tray"
IDM_SENSITIVITY=1006
SCREEN_WIDTH=1280 SCREEN_HEIGHT=1024   # Xvfb's screen (wine-env.sh)

program=""
start_program() {
    "$WINE" "$BUILD_DIR/stylohid.exe" </dev/null >>"$BUILD_DIR/stylohid.log" 2>&1 &
    program=$!
}
# Waits up to 30 s for the program to end (the Wine server's end ends it
# otherwise).
wait_program_end() {
    for _ in $(seq 300); do
        kill -0 "$program" 2>/dev/null || { wait "$program" || true; return 0; }
        sleep 0.1
    done
    echo "the program did not end" >&2
}

# Polls until the visible window with this caption is there; prints where
# it is (as `vtabletctl window`).
wait_window() {  # caption seconds
    local deadline=$((SECONDS + $2)) where
    while [ "$SECONDS" -lt "$deadline" ]; do
        if where="$(ctl window "$1")"; then
            sleep 1   # drawn completely
            echo "$where"
            return 0
        fi
        sleep 0.5
    done
    echo "no window \"$1\" after $2 s" >&2
    return 1
}

# A part of the screen to a small PNG: screen_png X Y W H FILE [convert options]
screen_png() {
    local x=$1 y=$2 w=$3 h=$4 out=$5
    shift 5
    xwd -root -silent | convert xwd:- -crop "${w}x${h}+${x}+${y}" +repage "$@" \
        -strip -define png:compression-level=9 "PNG8:$out"
    echo "  $out ($(stat -c %s "$out") bytes)"
}

# The pen to a pixel of the screen, in the normalised units of absolute mode.
pen_units() { echo $((($1 * 65536 + 32768) / $2)); }

echo "Pictures into $docs:"
"$WINE" reg delete 'HKLM\Software\VELLUM\Tablet\CurrentVersion\Settings' /f \
    </dev/null >/dev/null 2>&1 || true
start_program
ctl wait-ready 60000 || { echo "the program did not start its reader" >&2; exit 1; }

# The drawing (a left click at pen button 2 is the program's starting value).
open_sketch_pad 60 90 1160 860
record_drawing "$docs/drawing.gif" "$BUILD_DIR/screenshots-drawing.png"
echo "  $docs/drawing.gif ($(stat -c %s "$docs/drawing.gif") bytes)"
ctl window "Sketch pad" close >/dev/null

# The notification icon: the tray's client area trimmed to the icon.
where="$(wait_window "$TRAY_CAPTION" 10)"
read -r _ _ _ _ tray_x tray_y tray_w tray_h <<<"$where"
icon="$(xwd -root -silent | convert xwd:- -crop "${tray_w}x${tray_h}+${tray_x}+${tray_y}" \
        +repage -trim -format '%w %h %X %Y' info:)"
read -r icon_w icon_h icon_x icon_y <<<"${icon//+/}"
screen_png $((tray_x + icon_x - 3)) $((tray_y + icon_y - 3)) $((icon_w + 6)) $((icon_h + 6)) \
    "$docs/tray-icon.png" -filter point -resize 600%

# The sensitivity dialog, opened by the program's command.
ctl command "$IDM_SENSITIVITY"
where="$(wait_window "$SENSITIVITY_CAPTION" 10)"
read -r x y w h _ <<<"$where"
screen_png "$x" "$y" "$w" "$h" "$docs/sensitivity.png"
ctl window "$SENSITIVITY_CAPTION" close >/dev/null

# The settings applet, as a user opens it: a double-click on the icon, here
# pen button 1 (a left double click at the starting values) over it.
ctl packet "$(pen_units $((tray_x + icon_x + icon_w / 2)) "$SCREEN_WIDTH")" \
           "$(pen_units $((tray_y + icon_y + icon_h / 2)) "$SCREEN_HEIGHT")" 0x80 >/dev/null
ctl button 1 >/dev/null
if ! where="$(wait_window "$APPLET_CAPTION" 20 2>/dev/null)"; then
    echo "  (the double-click did not open the applet: opened with control.exe)"
    "$WINE" control.exe penpanel.cpl </dev/null >>"$DEMO_LOG" 2>&1 &
    where="$(wait_window "$APPLET_CAPTION" 30)"
fi
read -r x y w h _ <<<"$where"
screen_png "$x" "$y" "$w" "$h" "$docs/applet.png"
ctl window "$APPLET_CAPTION" close >/dev/null

# The icon's menu with two profiles, one chosen, as a user opens it: a right
# click on the icon, here pen button 2 set to a right click (4).
tool() { "$WINE" "$BUILD_DIR/stylohidctl.exe" "$@" </dev/null >>"$DEMO_LOG" 2>&1; }
"$WINE" reg add 'HKLM\Software\VELLUM\Tablet\CurrentVersion\Settings' /v Button2 \
    /t REG_DWORD /d 4 /f </dev/null >/dev/null 2>&1
ctl reload >/dev/null
tool profile save Drawing
tool profile save Office
tool profile programs Office notepad.exe
tool profile use Drawing
icon_screen_x=$((tray_x + icon_x + icon_w / 2)) icon_screen_y=$((tray_y + icon_y + icon_h / 2))
ctl packet "$(pen_units "$icon_screen_x" "$SCREEN_WIDTH")" \
           "$(pen_units "$icon_screen_y" "$SCREEN_HEIGHT")" 0x80 >/dev/null
ctl button 2 >/dev/null
sleep 2   # drawn completely
# The menu opens at the pointer: the picture holds it and the icon.
menu="$(xwd -root -silent | convert xwd:- -crop "260x180+${icon_screen_x}+${icon_screen_y}" \
        +repage -format '%w %h %X %Y' -trim info:)"
read -r menu_w menu_h _ _ <<<"${menu//+/}"
screen_png $((tray_x + icon_x - 4)) $((tray_y + icon_y - 4)) \
    $((icon_screen_x - tray_x - icon_x + menu_w + 8)) \
    $((icon_screen_y - tray_y - icon_y + menu_h + 8)) "$docs/profile-menu.png"
ctl packet 32000 32000 0x80 >/dev/null
ctl button 2 >/dev/null   # a click elsewhere closes it
"$WINE" reg delete 'HKCU\Software\VELLUM\Tablet' /f </dev/null >/dev/null 2>&1 || true
ctl reload >/dev/null

ctl close
wait_program_end

# No tablet: the program waits four minutes for one, then says so.
echo "  (the program now looks for a tablet for four minutes)"
ctl unplug all
start_program
where="$(wait_window "$ERROR_CAPTION" 300)"
read -r x y w h _ <<<"$where"
screen_png "$x" "$y" "$w" "$h" "$docs/no-tablet.png"
ctl window "$ERROR_CAPTION" close >/dev/null
wait_program_end
ctl plug 1
