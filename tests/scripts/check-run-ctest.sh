#!/usr/bin/env bash
# The test command's rule for a failed test, against small ctest projects:
# a test that ended without any output (and in its time) is run once more
# and counts by that run; a failure with output, a timeout and a second
# silent failure count.
#
#   tests/scripts/check-run-ctest.sh
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
problems=0

# name | what the test does on its first run | on later runs | fails (1) or
# passes (0) | runs wanted
cases=(
  "silent once|exit 1|echo ok|0|2"
  "silent twice|exit 1|exit 1|1|2"
  "output once|echo broken; exit 1|echo ok|1|1"
  "timeout once|sleep 60|echo ok|1|1"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r name first later want_failed want_runs <<<"$entry"
    project="$work/${name// /-}"
    mkdir -p "$project"
    cat >"$project/body.sh" <<BODY
runs="$project/runs"
echo run >>"\$runs"
if [ "\$(wc -l <"\$runs")" -eq 1 ]; then $first; else $later; fi
BODY
    cat >"$project/CMakeLists.txt" <<LISTS
cmake_minimum_required(VERSION 3.20)
project(run_ctest_case NONE)
enable_testing()
add_test(NAME passing COMMAND bash -c "echo fine")
add_test(NAME under_test COMMAND bash "$project/body.sh")
set_tests_properties(under_test PROPERTIES TIMEOUT 1)
LISTS
    cmake -S "$project" -B "$project/build" >/dev/null
    got_exit=0
    (cd "$project/build" && "$ROOT/scripts/run-ctest.sh" --output-on-failure) \
        >"$project/out.log" 2>&1 || got_exit=$?
    got_runs=$(wc -l <"$project/runs")
    if [ $((got_exit != 0)) -ne "$want_failed" ] || [ "$got_runs" -ne "$want_runs" ]; then
        echo "FAIL: $name: exit $got_exit after $got_runs runs, wanted" \
             "$([ "$want_failed" = 1 ] && echo a failure || echo a pass) after $want_runs"
        sed 's/^/    /' "$project/out.log"
        problems=$((problems + 1))
    fi
done
[ "$problems" -eq 0 ] && echo "only a silent failure is run once more"
exit "$problems"
