#!/usr/bin/env bash
# Signs the shipped package through the build, as a publisher does after an
# ordinary (unsigned) build or test run, with a self-signed certificate made
# here by openssl, and checks with osslsigncode every signature there should
# be: the package, and its three files beside it, in its cabinet and (the
# command tool) in its Binary table, each SHA-256 by that certificate.  Also:
# a wrong password or a missing certificate file fails the build and leaves
# no package, no folder of its files and no SHA256SUMS line; SHA256SUMS and
# the version resources hold for the signed files; the signed program asks
# for UI access, and is not packaged unsigned; the build without a
# certificate then makes the package again, says that it is unsigned, signs
# nothing and asks for no UI access, which leaves the shipped build as the
# tests found it.
#
#   tests/package/check-signing.sh SHIPPED_BUILD_DIR VERSION
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(realpath "$1")" version="$2"
name="stylohid-$version-x86"
work=$(mktemp -d)
unset STYLOHID_SIGN_PFX STYLOHID_SIGN_PASSWORD STYLOHID_SIGN_TIMESTAMP_URL
package() {  # with the environment given before it
    cmake --build "$build" --target stylohid_msi
}
# Whatever happens below, the shipped package is unsigned again at the end.
trap 'package >/dev/null 2>&1; rm -rf "$work"' EXIT
cd "$work"
problems=0
fail() { echo "FAIL: $*"; problems=$((problems + 1)); }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Stylohid test publisher" \
    -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -passout pass:pen-s3cret -out signer.pfx

package >unsigned-before.log 2>&1 || { cat unsigned-before.log; fail "the unsigned build failed"; }
STYLOHID_SIGN_PFX="$work/signer.pfx" STYLOHID_SIGN_PASSWORD=pen-s3cret package >signed.log 2>&1 ||
    { cat signed.log; fail "the signed build failed"; }
cp -r "$build/$name.msi" "$build/$name" "$build/SHA256SUMS" .
mkdir extracted
msiextract -C extracted "$name.msi" >/dev/null
msiinfo extract "$name.msi" Binary.CtlBinary >ctl-binary.exe
signed=("$name.msi" "$name"/* ctl-binary.exe)
while IFS= read -r -d '' f; do signed+=("$f"); done < <(find extracted -type f -print0)
[ ${#signed[@]} -eq 8 ] || fail "expected 8 signed files, found ${#signed[@]}: ${signed[*]}"
for f in "${signed[@]}"; do
    report=$(osslsigncode verify -CAfile cert.pem -in "$f" 2>&1) || { fail "$f: not verified"; continue; }
    grep -q "^Message digest algorithm *: SHA256" <<<"$report" || fail "$f: not signed with SHA-256"
    grep -q "Subject: /CN=Stylohid test publisher" <<<"$report" || fail "$f: another signer"
done
sha256sum --quiet -c SHA256SUMS || fail "SHA256SUMS does not match the signed files"
[ "$(cut -d' ' -f3 SHA256SUMS | tr '\n' ' ')" = \
    "$name.msi $name/penpanel.cpl $name/stylohid.exe $name/stylohidctl.exe " ] ||
    fail "SHA256SUMS lists $(cut -d' ' -f3 SHA256SUMS | tr '\n' ' ')"
for check in "stylohid.exe gui-ui-access 1.06" "stylohidctl.exe console $version" \
             "penpanel.cpl applet $version"; do
    set -- $check
    bash "$ROOT/scripts/check-product.sh" "$name/$1" "$2" "$3" >/dev/null ||
        fail "signed $1: $(bash "$ROOT/scripts/check-product.sh" "$name/$1" "$2" "$3")"
done

bash "$ROOT/scripts/package.sh" --from "$build" --arch x86 --version "$version" \
    --out "$work/refused/$name.msi" >refused.log 2>&1 &&
    fail "a program that asks for UI access was packaged unsigned"
[ -e "$work/refused/$name.msi" ] && fail "the refused package is there"
grep -q "asks for UI access" refused.log || fail "the refusal does not say why: $(cat refused.log)"

for bad in "signer.pfx wrong" "missing.pfx pen-s3cret"; do
    set -- $bad
    STYLOHID_SIGN_PFX="$work/$1" STYLOHID_SIGN_PASSWORD=$2 package >bad.log 2>&1 &&
        fail "$bad: the build succeeded"
    [ -e "$build/$name.msi" ] || [ -e "$build/$name" ] && fail "$bad: a package is left"
    grep -q "$name" "$build/SHA256SUMS" 2>/dev/null && fail "$bad: SHA256SUMS lists the package"
done

package >unsigned.log 2>&1 || { cat unsigned.log; fail "the unsigned build failed"; }
grep -q "not signed, and stylohid.exe asks for no UI access" unsigned.log ||
    fail "the unsigned build does not say so"
bash "$ROOT/scripts/check-product.sh" "$build/$name/stylohid.exe" gui >/dev/null ||
    fail "unsigned stylohid.exe: $(bash "$ROOT/scripts/check-product.sh" "$build/$name/stylohid.exe" gui)"
for f in "$build/$name.msi" "$build/$name"/*; do
    osslsigncode verify -in "$f" >/dev/null 2>&1 && fail "$f is signed"
done

[ "$problems" -eq 0 ] || exit 1
echo "signed and verified: ${signed[*]}"
