#!/usr/bin/env bash
# Runs ctest in the current build folder with the arguments given.  About
# one Wine test process in a few hundred ends at once with no output at all
# on a busy machine: such a test, and only such a test, is run once more and
# counts by that second run.  Every other failure counts at once (its output
# stays above the summary).  Exits 0 when every test counts as passed.
#
#   scripts/run-ctest.sh [ctest arguments]
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
testing="$PWD/Testing"
mkdir -p "$testing"
rm -f "$testing/Temporary/LastTestsFailed.log"
if ctest --output-junit "$testing/results.xml" "$@" </dev/null |
        tee "$testing/console.log"; then
    exit 0
fi
status=0
echo "Failed tests:"
python3 "$HERE/sort-failures.py" "$PWD" "$testing/results.xml" "$testing/console.log" ||
    status=1
if [ -s "$testing/Temporary/LastTestsFailed.log" ]; then
    echo "Running once more the tests that ended without any output:"
    ctest "$@" --rerun-failed </dev/null || status=1
fi
[ "$status" -ne 0 ] ||
    echo "All tests passed (those that ended without any output on their second run)."
exit "$status"
