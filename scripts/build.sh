#!/usr/bin/env bash
# Builds the product (32-bit stylohid.exe) into build/, and, on a machine that
# cannot run 32-bit code, the same sources for 64-bit into build-x64/ so that
# the tests can run under wine64.  Prints the build folder that runs here.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/wine-arch.sh"
configure_and_build() {  # dir toolchain
    cmake -S "$ROOT" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$2" >/dev/null
    cmake --build "$1" -j"$(nproc)" >&2
}
configure_and_build "$ROOT/build" "$ROOT/cmake/mingw-i686.cmake"
if [ "$WIN_ARCH" = x86_64 ]; then
    configure_and_build "$ROOT/build-x64" "$TOOLCHAIN_FILE"
    echo "$ROOT/build-x64"
else
    echo "$ROOT/build"
fi
