#!/usr/bin/env bash
# Builds the shipped package twice, each time from a copy of this checkout's
# files in a fresh folder of its own (other paths, another time zone), and
# checks that both give the bytes of this checkout's build: the package and
# its three files, through SHA256SUMS.  It takes minutes, so it runs only
# when asked (skipped otherwise):
#
#   STYLOHID_TEST_REPRODUCIBLE=1 ./scripts/test.sh -R Reproducible
#
#   tests/package/check-reproducible.sh SHIPPED_BUILD_DIR WORK_DIR
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
shipped="$(realpath "$1")" work="$2"
if [ "${STYLOHID_TEST_REPRODUCIBLE:-}" != 1 ]; then
    echo "skipped: set STYLOHID_TEST_REPRODUCIBLE=1 to build the package twice"
    exit 77
fi
# The time the checkout's build took (package.sh's default), for all three.
export SOURCE_DATE_EPOCH="$(bash "$ROOT/scripts/source-date-epoch.sh")"
rm -rf "$work"
mkdir -p "$work"
work="$(realpath "$work")"

build_copy() {  # folder time-zone
    mkdir -p "$1/source"
    (cd "$ROOT" && git ls-files -z --cached --others --exclude-standard |
        tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -xf - -C "$1/source"
    TZ="$2" cmake -S "$1/source" -B "$1/build" \
        -DCMAKE_TOOLCHAIN_FILE="$1/source/cmake/mingw-i686.cmake" >"$1/build.log" 2>&1 &&
    TZ="$2" cmake --build "$1/build" --target stylohid_msi -j"$(nproc)" >>"$1/build.log" 2>&1 ||
        { tail -n 30 "$1/build.log"; echo "FAIL: the build in $1 failed"; exit 1; }
}
start=$SECONDS
build_copy "$work/first" UTC
build_copy "$work/second/a/longer/path" Pacific/Kiritimati
echo "two builds: $((SECONDS - start)) s"

problems=0
for dir in "$shipped" "$work/first/build" "$work/second/a/longer/path/build"; do
    echo "$dir/SHA256SUMS:"
    sed 's/^/    /' "$dir/SHA256SUMS"
    (cd "$dir" && sha256sum --quiet -c SHA256SUMS) || { echo "FAIL: $dir/SHA256SUMS"; problems=1; }
    [ "$(grep -c . "$dir/SHA256SUMS")" -eq 4 ] || { echo "FAIL: not 4 files in $dir/SHA256SUMS"; problems=1; }
    cmp -s "$dir/SHA256SUMS" "$shipped/SHA256SUMS" ||
        { echo "FAIL: $dir differs from $shipped"; problems=1; }
done
[ "$problems" -eq 0 ] || { echo "the builds are kept in $work"; exit 1; }
rm -rf "$work"
echo "the package and its files are the same, byte for byte"
