# Sourced by run.sh and screenshots.sh once wine-env.sh has started the Wine
# environment and the virtual tablet is installed: the pen drawing in the
# sketch pad (tools/sketchpad.exe), played live or recorded frame by frame.
#
#   ctl ARGS...               vtabletctl.exe of the build, its output without CRs
#   demo_settings_begin       the program's stored settings kept aside, then
#                             absolute mode and pen button 2 a left click
#   demo_settings_end         the kept settings put back (also after a run
#                             that was cut short)
#   open_sketch_pad [X Y W H] the sketch pad opened; waits for its window
#   record_drawing GIF SHOT   the drawing played through the virtual tablet
#                             with a frame after every few packets: an
#                             animated GIF of the sketch pad, and a screenshot
#                             of the whole screen at the end (X leaves the
#                             pointer out of both: a red ring marks it)

: "${BUILD_DIR:?}" "${WINE:?}" "${WINEPREFIX:?}"
# The program's settings key and the two values that the drawing needs (as
# in src/shared/stored_values.h).
DEMO_SETTINGS_KEY='HKLM\Software\VELLUM\Tablet\CurrentVersion\Settings'
DEMO_SAVED="$WINEPREFIX/settings-before-demo.reg"
DEMO_LOG="$BUILD_DIR/virtual-tablet.log"

ctl() {
    "$WINE" "$BUILD_DIR/tools/vtabletctl.exe" "$@" </dev/null 2>>"$DEMO_LOG" | tr -d '\r'
}

windows_path() { echo "Z:$1" | tr / '\\'; }

demo_reg() { "$WINE" reg "$@" </dev/null >>"$DEMO_LOG" 2>&1; }

demo_settings_begin() {
    # A copy left by a run that was cut short holds the user's settings.
    [ -f "$DEMO_SAVED" ] && demo_settings_end
    if demo_reg query "$DEMO_SETTINGS_KEY"; then
        demo_reg export "$DEMO_SETTINGS_KEY" "$(windows_path "$DEMO_SAVED.new")" /y
        mv -f "$DEMO_SAVED.new" "$DEMO_SAVED"
        demo_reg add "$DEMO_SETTINGS_KEY" /v Absolute /t REG_DWORD /d 1 /f
        demo_reg add "$DEMO_SETTINGS_KEY" /v Button2 /t REG_DWORD /d 1 /f
    else
        # No key: the program starts in absolute mode with pen button 2 a
        # left click; at its end it stores its settings, which go again.
        : >"$DEMO_SAVED"
    fi
}

demo_settings_end() {
    [ -f "$DEMO_SAVED" ] || return 0
    demo_reg delete "$DEMO_SETTINGS_KEY" /f || true
    if [ -s "$DEMO_SAVED" ]; then
        demo_reg import "$(windows_path "$DEMO_SAVED")"
    fi
    rm -f "$DEMO_SAVED"
}

open_sketch_pad() {
    "$WINE" "$BUILD_DIR/tools/sketchpad.exe" "$@" </dev/null >>"$DEMO_LOG" 2>&1 &
    for _ in $(seq 100); do
        ctl window "Sketch pad" >/dev/null && return 0
        sleep 0.1
    done
    echo "the sketch pad did not open" >&2
    return 1
}

# The drawing, with a frame after every 16 packets; DEMO_POINTER is then
# where the pointer ended ("x,y").
record_drawing() {
    local gif="$1" shot="$2" frames="$BUILD_DIR/drawing-frames" n=0 x y px=0 py=0
    local pad_x pad_y pad_w pad_h
    read -r pad_x pad_y pad_w pad_h _ < <(ctl window "Sketch pad")
    rm -rf "$frames"
    mkdir -p "$frames"
    local args=()
    coproc DEMO { "$WINE" "$BUILD_DIR/tools/vtabletctl.exe" demo 16 2>>"$DEMO_LOG"; }
    local demo_pid="$DEMO_PID" from_demo="${DEMO[0]}" to_demo="${DEMO[1]}"
    while read -r x y <&"$from_demo"; do
        y="${y%$'\r'}"
        px=$x py=$y n=$((n + 1))
        xwd -root -silent -out "$frames/$n.xwd"
        args+=(\( "$frames/$n.xwd" -crop "${pad_w}x${pad_h}+${pad_x}+${pad_y}" +repage
               -draw "circle $((x - pad_x)),$((y - pad_y)) $((x - pad_x + 8)),$((y - pad_y))" \))
        echo >&"$to_demo"
    done
    wait "$demo_pid" || { echo "the drawing could not be played" >&2; return 1; }
    [ "$n" -gt 0 ] || { echo "no frame of the drawing was taken" >&2; return 1; }
    # X leaves the pointer out of screenshots: a red ring marks where it is.
    DEMO_POINTER="$px,$py"
    convert xwd:"$frames/$n.xwd" -fill none -stroke red -strokewidth 3 \
        -draw "circle $px,$py $((px + 12)),$py" "$shot"
    # The last frame held for two seconds, then it starts again.
    convert -fill none -stroke red -strokewidth 2 "${args[@]}" -resize 60% \
        -set delay 8 \( +clone -set delay 200 \) -loop 0 -layers Optimize "$gif"
    rm -rf "$frames"
}
