#!/usr/bin/env bash
# Signs the shipped package with a self-signed certificate made here by
# openssl, and checks with osslsigncode every signature there should be:
# the package, and its three files beside it, in its cabinet and (the
# command tool) in its Binary table, each SHA-256.  Also: a wrong password
# fails the build and leaves no package, a build without a certificate says
# that it is unsigned and signs nothing, and SHA256SUMS and the version
# resources hold for the signed files.
#
#   tests/package/check-signing.sh SHIPPED_BUILD_DIR VERSION
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
from="$(realpath "$1")" version="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
problems=0
fail() { echo "FAIL: $*"; problems=$((problems + 1)); }
package() {  # out, with the environment given before it
    bash "$ROOT/scripts/package.sh" --from "$from" --arch x86 --version "$version" --out "$1"
}

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Stylohid test publisher" \
    -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -passout pass:pen-s3cret -out signer.pfx

unset STYLOHID_SIGN_TIMESTAMP_URL
export STYLOHID_SIGN_PFX="$work/signer.pfx"
STYLOHID_SIGN_PASSWORD=wrong package "$work/wrong/p.msi" >/dev/null 2>&1 &&
    fail "a wrong password built a package"
[ -e "$work/wrong/p.msi" ] && fail "a wrong password left a package"

name="stylohid-$version-x86"
STYLOHID_SIGN_PASSWORD=pen-s3cret package "$work/signed/$name.msi" 2>signed.log ||
    { cat signed.log; fail "the signed build failed"; }
mkdir extracted
msiextract -C extracted "signed/$name.msi" >/dev/null
msiinfo extract "signed/$name.msi" Binary.CtlBinary >ctl-binary.exe
signed=("signed/$name.msi" "signed/$name"/* ctl-binary.exe)
while IFS= read -r -d '' f; do signed+=("$f"); done < <(find extracted -type f -print0)
[ ${#signed[@]} -eq 8 ] || fail "expected 8 signed files, found ${#signed[@]}: ${signed[*]}"
for f in "${signed[@]}"; do
    report=$(osslsigncode verify -CAfile cert.pem -in "$f" 2>&1) || { fail "$f: not verified"; continue; }
    grep -q "^Message digest algorithm *: SHA256" <<<"$report" || fail "$f: not signed with SHA-256"
    grep -q "Subject: /CN=Stylohid test publisher" <<<"$report" || fail "$f: another signer"
done
(cd signed && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the signed files"
[ "$(cut -d' ' -f3 signed/SHA256SUMS | tr '\n' ' ')" = \
    "$name.msi $name/penpanel.cpl $name/stylohid.exe $name/stylohidctl.exe " ] ||
    fail "SHA256SUMS lists $(cut -d' ' -f3 signed/SHA256SUMS | tr '\n' ' ')"
for check in "stylohid.exe gui 1.06" "stylohidctl.exe console $version" "penpanel.cpl applet $version"; do
    set -- $check
    bash "$ROOT/scripts/check-product.sh" "signed/$name/$1" "$2" "$3" >/dev/null ||
        fail "signed $1: $(bash "$ROOT/scripts/check-product.sh" "signed/$name/$1" "$2" "$3")"
done

unset STYLOHID_SIGN_PFX
package "$work/unsigned/$name.msi" 2>unsigned.log || fail "the unsigned build failed"
grep -q "not signed" unsigned.log || fail "the unsigned build does not say so"
for f in "unsigned/$name.msi" "unsigned/$name"/*; do
    osslsigncode verify -in "$f" >/dev/null 2>&1 && fail "$f is signed"
done

[ "$problems" -eq 0 ] || exit 1
echo "signed and verified: ${signed[*]}"
