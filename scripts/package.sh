#!/usr/bin/env bash
# Builds the Windows Installer package of the product with wixl.
#
#   scripts/package.sh
#       Builds the product (scripts/build.sh), which makes the package, and
#       prints the path of the shipped package: build/stylohid-<version>-x86.msi.
#
#   scripts/package.sh --from DIR --arch x86|x64 --version X.Y.Z --out FILE
#                      [--tool FILE] [--unstripped]
#       Packages stylohid.exe, stylohidctl.exe (or FILE) and penpanel.cpl of
#       DIR, without their debug information unless --unstripped; the build
#       runs this.  x64 is the same package for 64-bit binaries, which the
#       tests install where 32-bit code cannot run.
#
# wixl gets three things wrong that are put right here, in the built tables:
# it drops the custom action that runs stylohidctl.exe from the Binary
# table, it cannot make the upgrade's version range inclusive (so a rebuild
# of the same version would install beside the old one), and it takes
# explicit sequence numbers only from the source (kept there).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"

if [ $# -eq 0 ]; then
    "$ROOT/scripts/install-deps.sh"
    "$ROOT/scripts/build.sh" >/dev/null
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$ROOT/build/CMakeCache.txt")
    msi="$ROOT/build/stylohid-$version-x86.msi"
    [ -f "$msi" ] || { echo "package.sh: $msi was not built" >&2; exit 1; }
    echo "$msi"
    exit 0
fi

from="" arch="" version="" out="" tool="" unstripped=0
while [ $# -gt 0 ]; do
    case "$1" in
    --from) from="$2"; shift 2 ;;
    --arch) arch="$2"; shift 2 ;;
    --version) version="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --tool) tool="$2"; shift 2 ;;
    --unstripped) unstripped=1; shift ;;
    *) echo "package.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
fail() { echo "package.sh: $*" >&2; exit 1; }
[ -n "$from" ] && [ -n "$out" ] || fail "--from and --out are needed"
tool="${tool:-$from/stylohidctl.exe}"
case "$arch" in
x86) strip=i686-w64-mingw32-strip; defines=() ;;
x64) strip=x86_64-w64-mingw32-strip; defines=(-D Win64=1) ;;
*) fail "--arch must be x86 or x64" ;;
esac
# A Windows Installer product version: major and minor up to 255, build up
# to 65535.
[[ "$version" =~ ^([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,5})$ ]] &&
    [ "${BASH_REMATCH[1]}" -le 255 ] && [ "${BASH_REMATCH[2]}" -le 255 ] &&
    [ "${BASH_REMATCH[3]}" -le 65535 ] ||
    fail "version \"$version\" is not MAJOR.MINOR.BUILD (255.255.65535 at most)"

# The Run key and value name, from the header the program and applet share.
header_string() {
    local s
    s=$(sed -n "s/^#define $1[[:space:]]*\"\\(.*\\)\".*/\\1/p" \
        "$ROOT/src/settings/stored_values.h")
    [ -n "$s" ] || fail "$1 not found in src/settings/stored_values.h"
    printf '%s' "${s//\\\\/\\}"
}
run_key=$(header_string RUN_KEY_PATH)
run_value=$(header_string RUN_VALUE_NAME)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# Shipped without debug information.
copy() {  # from to
    [ -f "$1" ] || fail "$1 is missing: build first"
    if [ "$unstripped" = 1 ]; then
        cp "$1" "$2"
    else
        "$strip" --strip-debug -o "$2" "$1"
    fi
}
copy "$from/stylohid.exe" "$work/bin/stylohid.exe"
copy "$tool" "$work/bin/stylohidctl.exe"
copy "$from/penpanel.cpl" "$work/bin/penpanel.cpl"

msi="$work/stylohid.msi"
# wixl takes Source= paths relative to its working folder (absolute ones
# fail).
(cd "$work" && wixl -a "$arch" "${defines[@]}" -D Version="$version" -D BinDir=bin \
    -D RunKey="$run_key" -D RunValue="$run_value" \
    -o "$msi" "$ROOT/package/stylohid.wxs") 2>"$work/wixl.log" ||
    { cat "$work/wixl.log" >&2; fail "wixl failed"; }
# wixl says CRITICAL for the custom action it drops (inserted below) and
# exits 0 whatever else it dropped: anything more is an error.
if grep -v "custom_action_add: assertion 'Source != NULL' failed" "$work/wixl.log" |
    grep -q "CRITICAL"; then
    cat "$work/wixl.log" >&2
    fail "wixl reported a problem"
fi

# Type 2: an exe from the Binary table, run at once with its exit code
# checked, so that a program that does not end stops the installation; 66
# (2 + 64) the same with its exit code ignored, so that nothing makes a
# removal impossible.
msibuild "$msi" -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('CloseRunning', 2, 'CtlBinary', 'close --wait 30')"
msibuild "$msi" -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('CloseRunningForRemoval', 66, 'CtlBinary', 'close --wait 30')"
# 512: VersionMax inclusive, so that a rebuild of this version replaces the
# old one.  (msibuild fails on UPDATE: the row is deleted and inserted.)
upgrade_code=$(msiinfo export "$msi" Property | tr -d '\r' | awk '$1 == "UpgradeCode" { print $2 }')
[ -n "$upgrade_code" ] || fail "the package has no UpgradeCode"
msibuild "$msi" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
msibuild "$msi" -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"

mkdir -p "$(dirname "$out")"
mv -f "$msi" "$out"
