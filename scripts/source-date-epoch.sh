#!/usr/bin/env bash
# Prints the release's time, in seconds since 1970, for reproducible builds:
# SOURCE_DATE_EPOCH if set, else the time of the checkout's last commit,
# else (said on standard error) the present time.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    echo "$SOURCE_DATE_EPOCH"
elif ! git -C "$ROOT" log -1 --format=%ct 2>/dev/null; then
    echo "source-date-epoch.sh: no SOURCE_DATE_EPOCH and no git commit: the present time, so the build is not reproducible" >&2
    date +%s
fi
