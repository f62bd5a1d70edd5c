#!/usr/bin/env bash
# Where one contender of the benchmark spends its time per packet: one paced
# run of the program, the two-thread floor or the yardstick against the
# virtual tablet.  Prints the CPU time of each of its threads per 1000
# packets, then, with strace attached to every thread, the system calls per
# packet and the commonest of them (under Wine a request to the Wine server
# is one write or writev and one read; a wait in the server adds a read of
# the wake-up).  strace slows the contender: its counts hold, the times of
# that run do not, so NO_STRACE=1 gives the times alone.  Not a test.
#
#   [NO_STRACE=1] ./scripts/bench-trace.sh stylohid|floor|yardstick [rate] [packets] [screen]
set -euo pipefail
contender="${1:?usage: bench-trace.sh stylohid|floor|yardstick [rate] [packets] [screen]}"
rate="${2:-266}"
packets="${3:-2400}"
setting="${4:-}"
MEASURE_PREFIX=bench-prefix
source "$(dirname "$0")/measure-env.sh"
work="$BUILD_DIR/bench-trace"
rm -rf "$work"
mkdir -p "$work"
mkfifo "$work/in"
"$WINE" "$(windows_path "$BUILD_DIR/bench/bench.exe")" trace "$contender" "$rate" \
    "$packets" $setting <"$work/in" >"$work/out" 2>>"$BUILD_DIR/bench.log" &
bench=$!
exec 3>"$work/in"
wait_for() {  # pattern
    for _ in $(seq 1200); do
        grep -q "$1" "$work/out" 2>/dev/null && return 0
        kill -0 "$bench" 2>/dev/null || break
        sleep 0.1
    done
    echo "bench-trace: no '$1' from bench.exe (see $BUILD_DIR/bench.log)" >&2
    exit 1
}
wait_for '^unix-pid [1-9]'
pid=$(sed -n 's/^unix-pid \([0-9]*\).*/\1/p' "$work/out" | tr -d '\r')
tracer=""
if [ "${NO_STRACE:-0}" != 1 ]; then
    strace -f -qq -p "$pid" -o "$work/strace" &
    tracer=$!
    sleep 2
fi
echo go >&3
wait_for '^fed'
if [ -n "$tracer" ]; then
    kill -INT "$tracer"
    wait "$tracer" || true
fi
echo end >&3
wait "$bench" || true
exec 3>&-
echo "$contender at $rate/s${setting:+, $setting}${tracer:+ (under strace)}:"
tr -d '\r' <"$work/out" | sed -n '/^fed/,$p'
[ -n "$tracer" ] || exit 0
echo "$contender at $rate/s${setting:+, $setting}: system calls per packet, by thread (process $pid)"
awk -v packets="$packets" -v leader="$pid" '
    # "TID name(arguments) = result", or "TID name(arguments <unfinished ...>"
    # and later "TID <... name resumed> ...": each call counted where it began.
    $2 ~ /^[a-z_0-9]+\(/ {
        name = $2
        sub(/\(.*/, "", name)
        calls[$1 " " name]++
        total[$1]++
    }
    END {
        for (t in total) {
            line = sprintf("  thread %s%s: %.2f", t, t == leader ? " (first)" : "",
                           total[t] / packets)
            for (k in calls) {
                split(k, part, " ")
                if (part[1] == t && calls[k] / packets >= 0.05)
                    line = line sprintf(", %s %.2f", part[2], calls[k] / packets)
            }
            print total[t], line
        }
    }' "$work/strace" | sort -rn | cut -d' ' -f2-
