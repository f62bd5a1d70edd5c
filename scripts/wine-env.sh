# Sourced by the run and test scripts: a 32-bit Wine prefix of the project's
# own, an X server, and a persistent Wine server, all stopped again when the
# sourcing script exits.  Nothing started here keeps the caller's output open.
#
#   WINEPREFIX   default: <build dir>/wineprefix
#   USE_DISPLAY  1: use $DISPLAY instead of starting Xvfb

: "${BUILD_DIR:?BUILD_DIR must be set before sourcing wine-env.sh}"
export WINEARCH="${WINEARCH:-win32}"
WINE="${WINE:-wine}"
WINESERVER="${WINESERVER:-wineserver}"
export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE_LOG="$BUILD_DIR/wine-server.log"
XVFB_PID=""

stop_wine_env() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" >/dev/null 2>&1 || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}

start_wine_env() {
    mkdir -p "$BUILD_DIR"
    trap stop_wine_env EXIT
    if [ "${USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
        # Xvfb picks a free display number and tells it on a descriptor.
        local fifo="$BUILD_DIR/.xvfb-display"
        rm -f "$fifo"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" \
            </dev/null >"$BUILD_DIR/xvfb.log" 2>&1 &
        XVFB_PID=$!
        local n=""
        for _ in $(seq 100); do
            n=$(cat "$fifo" 2>/dev/null || true)
            [ -n "$n" ] && break
            sleep 0.1
        done
        [ -n "$n" ] || { echo "Xvfb did not start" >&2; cat "$BUILD_DIR/xvfb.log" >&2; return 1; }
        export DISPLAY=":$n"
    fi
    # The server must be up before any other Wine process of the prefix, and
    # stay up between programs (drivers live in it).
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    mkdir -p "$WINEPREFIX"
    # The virtual tablet's drivers of this build (tools/), copied while no
    # driver is loaded: Wine starts the virtual bus with the server, and a
    # loaded driver file cannot be replaced from inside.
    local drivers="$WINEPREFIX/drive_c/windows/system32/drivers" sys
    if [ -d "$drivers" ]; then
        for sys in "$BUILD_DIR"/tools/*.sys; do
            if [ -f "$sys" ] && ! cmp -s "$sys" "$drivers/${sys##*/}"; then
                cp "$sys" "$drivers/${sys##*/}"
            fi
        done
    fi
    # Xvfb has no window manager, and Wine waits 2 s for one whenever a
    # managed window is hidden (a notification icon removed, for one): let
    # Wine manage its windows itself there.  On the user's display, the
    # window manager does.  Wine's explorer reads the setting when it starts.
    local managed="" key='HKCU\Software\Wine\X11 Driver' change=()
    grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null && managed=N
    if [ -n "$XVFB_PID" ] && [ "$managed" != N ]; then
        change=(add "$key" /v Managed /d N /f)
    elif [ -z "$XVFB_PID" ] && [ "$managed" = N ]; then
        change=(delete "$key" /v Managed /f)
    fi
    # A new prefix, or a setting to change: done with a server that ends
    # with its last program, so that waiting for it means the prefix is
    # complete and written before the persistent server takes over.
    if [ ! -f "$WINEPREFIX/system.reg" ] || [ ${#change[@]} -gt 0 ]; then
        [ -f "$WINEPREFIX/system.reg" ] ||
            echo "Creating the Wine prefix $WINEPREFIX (first time only)..."
        "$WINE" wineboot -u </dev/null >"$WINE_LOG" 2>&1 || true
        if [ ${#change[@]} -gt 0 ]; then
            "$WINE" reg "${change[@]}" </dev/null >>"$WINE_LOG" 2>&1 || true
        fi
        "$WINESERVER" -w >/dev/null 2>&1 || true
    fi
    "$WINESERVER" -p </dev/null >>"$WINE_LOG" 2>&1
    "$WINE" wineboot </dev/null >>"$WINE_LOG" 2>&1 || true
}
