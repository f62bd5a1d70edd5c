# Sourced: two monitors for Wine on a machine without any: a host Xvfb,
# Xephyr on it with two screens side by side joined by Xinerama (1280x1024
# main, 1024x768 right of it), and a Wine prefix of their own
# (<build dir>/wineprefix-screens) that reads the monitors through Xinerama
# (through XRandR Wine sees one).  Everything stops when the sourcing script
# exits.  Needs ROOT and BUILD_DIR; Xephyr is Debian's xserver-xephyr.
: "${ROOT:?}" "${BUILD_DIR:?}"
source "$ROOT/scripts/wine-arch.sh"
export WINEPREFIX="$BUILD_DIR/wineprefix-screens"
HOST_X_PID="" SCREENS_X_PID=""

stop_two_screens_env() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    local pid
    for pid in $SCREENS_X_PID $HOST_X_PID; do
        kill "$pid" >/dev/null 2>&1 || true
        wait "$pid" 2>/dev/null || true
    done
}

# Starts an X server that tells its display number on a descriptor:
# start_x NAME command...; sets X_PID and X_DISPLAY.
start_x() {
    local fifo="$BUILD_DIR/.screens-$1-display" log="$BUILD_DIR/screens-$1.log"
    rm -f "$fifo"
    "${@:2}" -displayfd 3 3>"$fifo" </dev/null >"$log" 2>&1 &
    X_PID=$!
    X_DISPLAY=""
    for _ in $(seq 100); do
        X_DISPLAY=$(cat "$fifo" 2>/dev/null || true)
        [ -n "$X_DISPLAY" ] && return 0
        sleep 0.1
    done
    echo "$2 did not start" >&2
    cat "$log" >&2
    return 1
}

start_two_screens_env() {
    trap stop_two_screens_env EXIT
    start_x host Xvfb -screen 0 2400x1100x24 -nolisten tcp
    HOST_X_PID=$X_PID
    DISPLAY=":$X_DISPLAY" start_x screens Xephyr -ac -nolisten tcp \
        -screen 1280x1024 -screen 1024x768 +xinerama
    SCREENS_X_PID=$X_PID
    export DISPLAY=":$X_DISPLAY"
    if ! grep -q '^"UseXRandR"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        echo "Creating the two-monitor Wine prefix $WINEPREFIX (first time only)..."
        "$WINESERVER" -k >/dev/null 2>&1 || true
        "$WINE" wineboot -u </dev/null >/dev/null 2>&1 || true
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f \
            </dev/null >/dev/null 2>&1
        "$WINESERVER" -w >/dev/null 2>&1 || true
    fi
    # The project's own start of the prefix's persistent server, on this
    # display; Xephyr has no window manager, as Xvfb has none.
    USE_DISPLAY=1
    source "$ROOT/scripts/wine-env.sh"
    XVFB_PID=$SCREENS_X_PID
    start_wine_env
    trap stop_two_screens_env EXIT
}
