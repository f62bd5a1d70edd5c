#!/usr/bin/env bash
# Runs a test program on two monitors (scripts/two-screens-env.sh).
# Usage: run-two-screens.sh BUILD_DIR EXE [ARGUMENTS]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../../.." && pwd)"
export BUILD_DIR="$1"
shift
source "$ROOT/scripts/two-screens-env.sh"
start_two_screens_env
"$WINE" "$@" </dev/null
