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
# Beside FILE it leaves the three files as they are in the package, in the
# folder FILE without ".msi", and SHA256SUMS, which lists the package and
# those files (with the lines of other packages in that folder kept).
#
# Reproducible: the same sources give the same bytes.  Times come from
# SOURCE_DATE_EPOCH (default: the time of the checkout's last commit); the
# ProductCode and the package code are derived from the package's content
# and version (the UpgradeCode is the source's and never changes).
#
# Signed when STYLOHID_SIGN_PFX names a PKCS#12 certificate and key
# (password in STYLOHID_SIGN_PASSWORD): the three files before they go into
# the package, then the package, with osslsigncode and SHA-256; time-stamped
# by the RFC 3161 server STYLOHID_SIGN_TIMESTAMP_URL when it is set.  Each
# signature is verified as it is made (signed by that certificate, which
# chains to itself, to one in the file or to one the system trusts); a
# missing or unreadable file, a wrong password or a signature that does not
# verify fails, and a run that fails leaves no package, no folder of its
# files and no SHA256SUMS line of its own behind (an earlier run's are
# removed first).  stylohid.exe asks for UI access exactly when the package
# is signed (the build decides its manifest so, scripts/program-manifest.sh):
# a program that asks for it unsigned would not start on Windows, and one
# built without it would keep the signed release from windows of programs
# run as administrator; either is refused.
#
# wixl gets four things wrong that are put right here, in the built tables:
# it drops the custom action that runs stylohidctl.exe from the Binary
# table, it makes a rollback action an ordinary deferred one, it cannot make
# the upgrade's version range inclusive (so a rebuild of the same version
# would install beside the old one), and it takes explicit sequence numbers
# only from the source (kept there).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"

if [ $# -eq 0 ]; then
    # The build runs this script again from its own folder.
    if [ -n "${STYLOHID_SIGN_PFX:-}" ]; then
        STYLOHID_SIGN_PFX=$(realpath -m "$STYLOHID_SIGN_PFX")
        export STYLOHID_SIGN_PFX
    fi
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
[[ "$out" == *?.msi ]] || fail "--out must name a .msi file"
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
        "$ROOT/src/shared/stored_values.h")
    [ -n "$s" ] || fail "$1 not found in src/shared/stored_values.h"
    printf '%s' "${s//\\\\/\\}"
}
run_key=$(header_string RUN_KEY_PATH)
run_value=$(header_string RUN_VALUE_NAME)

# Nothing of an earlier run stays where this one puts its package.
dir=$(dirname "$out") name=$(basename "${out%.msi}")
# SHA256SUMS of dir without the lines of this package and its files.
other_sums() {
    [ -f "$dir/SHA256SUMS" ] || return 0
    awk -v n="$name" '$2 != n ".msi" && index($2, n "/") != 1' "$dir/SHA256SUMS"
}
rm -rf "$out" "${out%.msi}"
if [ -f "$dir/SHA256SUMS" ]; then
    other_sums >"$dir/SHA256SUMS.new"
    mv -f "$dir/SHA256SUMS.new" "$dir/SHA256SUMS"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# The release's time: in the package's summary and for its files.
epoch=$(bash "$ROOT/scripts/source-date-epoch.sh")
# Cabinet dates begin in 1980.
[[ "$epoch" =~ ^[0-9]+$ ]] && [ "$epoch" -ge 315532800 ] ||
    fail "SOURCE_DATE_EPOCH \"$epoch\" is not a time in seconds since 1970, from 1980 on"
export TZ=UTC

pfx="${STYLOHID_SIGN_PFX:-}"
if [ -n "$pfx" ]; then
    [ -f "$pfx" ] && [ -r "$pfx" ] || fail "STYLOHID_SIGN_PFX: $pfx is not a file that can be read"
    command -v osslsigncode >/dev/null || fail "osslsigncode is needed to sign"
    # The certificates in the file (the password opens it, or it is wrong),
    # trusted beside the system's for the checks below, and the hash of the
    # signing certificate itself, which every signature must name.
    certificates() {  # openssl pkcs12 options
        openssl pkcs12 -in "$pfx" -nokeys -passin fd:3 "$@" \
            3< <(printf '%s' "${STYLOHID_SIGN_PASSWORD:-}") 2>>"$work/sign.log"
    }
    certificates -out "$work/chain.pem" || certificates -legacy -out "$work/chain.pem" ||
        { cat "$work/sign.log" >&2; fail "the password does not open $pfx"; }
    certificates -clcerts -out "$work/signer.pem" ||
        certificates -legacy -clcerts -out "$work/signer.pem" ||
        fail "no signing certificate in $pfx"
    leaf=$(openssl x509 -in "$work/signer.pem" -outform DER | sha256sum | cut -d' ' -f1)
    cat "$work/chain.pem" >"$work/trusted.pem"
    if [ -f /etc/ssl/certs/ca-certificates.crt ]; then
        cat /etc/ssl/certs/ca-certificates.crt >>"$work/trusted.pem"
    fi
fi
program="$from/stylohid.exe"
[ -f "$program" ] || fail "$program is missing: build first"
ui_access=$(python3 "$ROOT/scripts/check-manifest.py" "$program" --ui-access-value) ||
    fail "$program: ${ui_access#FAIL: }"
if [ -n "$pfx" ] && [ "$ui_access" != true ]; then
    fail "$program asks for no UI access: build it with STYLOHID_SIGN_PFX set to sign it"
elif [ -z "$pfx" ] && [ "$ui_access" != false ]; then
    fail "$program asks for UI access, which Windows grants only to a signed program" \
         "(unsigned, it would not start): set STYLOHID_SIGN_PFX, or build it without"
elif [ -z "$pfx" ]; then
    echo "package.sh: STYLOHID_SIGN_PFX is not set: $(basename "$out") and its files are" \
         "not signed, and stylohid.exe asks for no UI access (the pen does not reach" \
         "windows of programs run as administrator)" >&2
fi
# Signs FILE in place, if a certificate is given, and verifies the
# signature.  Without a time-stamp server the signing time is the
# release's, so that a signed build can be made again byte for byte with
# the same certificate.
sign() {  # file
    [ -n "$pfx" ] || return 0
    local when=(-time "$epoch")
    [ -n "${STYLOHID_SIGN_TIMESTAMP_URL:-}" ] && when=(-ts "$STYLOHID_SIGN_TIMESTAMP_URL")
    osslsigncode sign -pkcs12 "$pfx" -readpass <(printf '%s' "${STYLOHID_SIGN_PASSWORD:-}") \
        -h sha256 -n "Vellum USB Tablet Program" "${when[@]}" \
        -in "$1" -out "$1.signed" >"$work/sign.log" 2>&1 ||
        { cat "$work/sign.log" >&2; fail "signing $(basename "$1") failed"; }
    mv -f "$1.signed" "$1"
    osslsigncode verify -CAfile "$work/trusted.pem" -ignore-crl \
        -require-leaf-hash "sha256:$leaf" -in "$1" >"$work/verify.log" 2>&1 ||
        { cat "$work/verify.log" >&2; fail "the signature of $(basename "$1") does not verify"; }
}
# A {GUID} from the SHA-256 of TEXT (marked as name-based, RFC 4122).
guid_of() {  # text
    local h
    h=$(printf '%s' "$1" | sha256sum | cut -c1-32)
    h="${h:0:12}5${h:13:3}$(printf '%x' $(( (16#${h:16:1} & 3) | 8 )))${h:17:15}"
    h="${h^^}"
    printf '{%s-%s-%s-%s-%s}' "${h:0:8}" "${h:8:4}" "${h:12:4}" "${h:16:4}" "${h:20:12}"
}
# Shipped without debug information.  strip writes a time stamp into the
# PE header, SOURCE_DATE_EPOCH's if set: 0 is none, as the linker leaves it.
copy() {  # from to
    [ -f "$1" ] || fail "$1 is missing: build first"
    if [ "$unstripped" = 1 ]; then
        cp "$1" "$2"
    else
        SOURCE_DATE_EPOCH=0 "$strip" --strip-debug -o "$2" "$1"
    fi
}
copy "$from/stylohid.exe" "$work/bin/stylohid.exe"
copy "$tool" "$work/bin/stylohidctl.exe"
copy "$from/penpanel.cpl" "$work/bin/penpanel.cpl"
for f in "$work"/bin/*; do
    sign "$f"
done
# The cabinet keeps each file's time.
touch -d "@$epoch" "$work"/bin/*

msi="$work/stylohid.msi"
zero="{00000000-0000-0000-0000-000000000000}"
# wixl takes Source= paths relative to its working folder (absolute ones
# fail).
(cd "$work" && wixl -a "$arch" "${defines[@]}" -D Version="$version" -D BinDir=bin \
    -D RunKey="$run_key" -D RunValue="$run_value" -D ProductCode="$zero" \
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
# 3410: the installed stylohidctl.exe (18), its exit code ignored (64), run
# only by a rollback (256 + 1024), without impersonation (2048).
msibuild "$msi" -q "DELETE FROM \`CustomAction\` WHERE \`Action\` = 'RestoreSettingsAccess'"
msibuild "$msi" -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('RestoreSettingsAccess', 3410, 'StylohidctlExe', 'settings-access restore')"
# 512: VersionMax inclusive, so that a rebuild of this version replaces the
# old one.  (msibuild fails on UPDATE: the row is deleted and inserted.)
upgrade_code=$(msiinfo export "$msi" Property | tr -d '\r' | awk '$1 == "UpgradeCode" { print $2 }')
[ -n "$upgrade_code" ] || fail "the package has no UpgradeCode"
msibuild "$msi" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
msibuild "$msi" -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"

# The codes from the content: the package with stand-ins for them (from
# wixl on) and the release's time, then its hash.
python3 "$ROOT/scripts/set-msi-summary.py" "$msi" "$epoch" "$zero"
content="$version $(sha256sum <"$msi" | cut -d' ' -f1)"
msibuild "$msi" -q "DELETE FROM \`Property\` WHERE \`Property\` = 'ProductCode'" \
    -q "INSERT INTO \`Property\` (\`Property\`, \`Value\`) VALUES ('ProductCode', '$(guid_of "ProductCode $content")')"
python3 "$ROOT/scripts/set-msi-summary.py" "$msi" "$epoch" "$(guid_of "PackageCode $content")"
sign "$msi"

# The package, its files as they are in it, and their checksums.
mkdir -p "$dir" "${out%.msi}"
cp -p "$work"/bin/* "${out%.msi}/"
mv -f "$msi" "$out"
{ other_sums; (cd "$dir" && sha256sum "$name.msi" "$name"/*); } | sort -k2 >"$dir/SHA256SUMS.new"
mv -f "$dir/SHA256SUMS.new" "$dir/SHA256SUMS"
