# Sourced by the benchmark and the soak: installs what they need, builds,
# starts an X server and a Wine server with a prefix of their own (apart from
# the tests' prefix, so that a test run in this tree is not disturbed), and
# installs the virtual tablet.  Everything started stops when the sourcing
# script exits.
#
#   MEASURE_PREFIX   the prefix's folder in the build folder
: "${MEASURE_PREFIX:?MEASURE_PREFIX must be set before sourcing measure-env.sh}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
export BUILD_DIR="$("$ROOT/scripts/build.sh")"
source "$ROOT/scripts/wine-arch.sh"
export WINEPREFIX="$BUILD_DIR/$MEASURE_PREFIX"
source "$ROOT/scripts/wine-env.sh"
start_wine_env
"$ROOT/scripts/install-virtual-tablet.sh"
windows_path() { echo "Z:$1" | tr / '\\'; }
