#!/usr/bin/env bash
# Reads a built package's tables back and fails on what wixl is known to get
# wrong without a word: a sequenced custom action without its row or its
# exe, the closing and upgrade actions out of place, an upgrade range that
# leaves a rebuild of the same version beside the old one, 32-bit
# components in a 64-bit package, and the Run value not named as the
# program names it.
#
#   tests/package/check-tables.sh PACKAGE.msi
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
msi="$(realpath "$1")"
# msiinfo writes the streams of a table it exports (Binary/...) into the
# working folder.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
problems=0
fail() { echo "FAIL: $*"; problems=$((problems + 1)); }
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }

sequence=$(table InstallExecuteSequence)
actions=$(table CustomAction)
binaries=$(table Binary | cut -f1)
files=$(table File | cut -f1)
properties=$(table Property)
property() { awk -F'\t' -v p="$1" '$1 == p { print $2 }' <<<"$properties"; }
seq_of() { awk -F'\t' -v a="$1" '$1 == a { print $3 }' <<<"$sequence"; }
type_of() { awk -F'\t' -v a="$1" '$1 == a { print $2 }' <<<"$actions"; }

# Every sequenced action is a standard one or has its custom action row,
# whose exe is in the package.
standard=(FindRelatedProducts LaunchConditions ValidateProductID CostInitialize
          FileCost CostFinalize MigrateFeatureStates InstallValidate
          RemoveExistingProducts InstallInitialize ProcessComponents
          UnpublishFeatures RemoveRegistryValues RemoveFiles InstallFiles
          WriteRegistryValues RegisterUser RegisterProduct PublishFeatures
          PublishProduct InstallFinalize)
while IFS=$'\t' read -r action _; do
    [ -n "$action" ] || continue
    [[ " ${standard[*]} " == *" $action "* ]] && continue
    row=$(awk -F'\t' -v a="$action" '$1 == a' <<<"$actions")
    if [ -z "$row" ]; then
        fail "$action is sequenced but has no CustomAction row"
        continue
    fi
    type=$(cut -f2 <<<"$row") source=$(cut -f3 <<<"$row")
    case $((type & 63)) in
    2) grep -qx "$source" <<<"$binaries" || fail "$action runs Binary $source, which is missing" ;;
    18) grep -qx "$source" <<<"$files" || fail "$action runs File $source, which is missing" ;;
    *) fail "$action has unexpected type $type" ;;
    esac
done <<<"$sequence"

for action in CloseRunning GrantSettings LaunchProgram; do
    [ -n "$(seq_of "$action")" ] || fail "$action is not sequenced"
    [ -n "$(type_of "$action")" ] || fail "$action has no CustomAction row"
done
n() { echo "${1:-0}"; }
close=$(n "$(seq_of CloseRunning)") validate=$(n "$(seq_of InstallValidate)")
rep=$(n "$(seq_of RemoveExistingProducts)") initialize=$(n "$(seq_of InstallInitialize)")
files_at=$(n "$(seq_of InstallFiles)") finalize=$(n "$(seq_of InstallFinalize)")
grant=$(n "$(seq_of GrantSettings)") launch=$(n "$(seq_of LaunchProgram)")
[ "$close" -gt 0 ] && [ "$close" -lt "$validate" ] ||
    fail "CloseRunning ($close) does not run before InstallValidate ($validate)"
[ "$rep" -gt "$validate" ] && [ "$rep" -lt "$initialize" ] ||
    fail "RemoveExistingProducts ($rep) is not between InstallValidate ($validate) and InstallInitialize ($initialize)"
[ "$grant" -gt "$files_at" ] && [ "$grant" -lt "$finalize" ] ||
    fail "GrantSettings ($grant) is not between InstallFiles and InstallFinalize"
[ "$launch" -gt "$finalize" ] || fail "LaunchProgram ($launch) does not run after InstallFinalize ($finalize)"
# Types: 64 exit code ignored, 128 no wait, 1024 deferred, 2048 no impersonation.
t=$(n "$(type_of CloseRunning)")
[ $((t & (64 | 1024))) -eq 0 ] || fail "CloseRunning (type $t) is deferred or ignores its exit code"
t=$(n "$(type_of GrantSettings)")
[ $((t & (64 | 1024 | 2048))) -eq $((1024 | 2048)) ] ||
    fail "GrantSettings (type $t) is not deferred without impersonation with its exit code checked"
t=$(n "$(type_of LaunchProgram)")
[ $((t & 192)) -eq 192 ] || fail "LaunchProgram (type $t) waits for the program"
# Each row's own condition: neither runs on removal.
for action in GrantSettings LaunchProgram; do
    condition=$(awk -F'\t' -v a="$action" '$1 == a { print $2 }' <<<"$sequence")
    [ "$condition" = 'NOT (REMOVE~="ALL")' ] ||
        fail "$action runs on removal (its condition is \"$condition\")"
done

# Upgrades: this version and older replaced (the same version too), newer
# ones refused.
version=$(property ProductVersion)
upgrade=$(table Upgrade)
awk -F'\t' -v v="$version" '$7 == "WIX_UPGRADE_DETECTED" && $3 == v && $2 == "" && int($5 / 512) % 2 == 1' \
    <<<"$upgrade" | grep -q . ||
    fail "the upgrade row does not reach up to $version inclusive"
awk -F'\t' -v v="$version" '$7 == "WIX_DOWNGRADE_DETECTED" && $2 == v && int($5 / 2) % 2 == 1 && int($5 / 256) % 2 == 0' \
    <<<"$upgrade" | grep -q . || fail "no row detects a newer version"
table LaunchCondition | grep -q "^NOT WIX_DOWNGRADE_DETECTED"$'\t' ||
    fail "a newer installed version does not stop the installation"

# The Run value, named as in the header the program shares.
header_string() {
    local s
    s=$(sed -n "s/^#define $1[[:space:]]*\"\\(.*\\)\".*/\\1/p" "$ROOT/src/settings/stored_values.h")
    printf '%s' "${s//\\\\/\\}"
}
run_row=$(printf '2\t%s\t%s\t"[#StylohidExe]"' "$(header_string RUN_KEY_PATH)" "$(header_string RUN_VALUE_NAME)")
table Registry | cut -f2-5 | grep -qxF "$run_row" || fail "no Run value starting the installed program"

# Architecture: a 64-bit package's components are 64-bit.
template=$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')
components=$(table Component)
case "$template" in
Intel\;*) awk -F'\t' 'int($4 / 256) % 2 == 1' <<<"$components" | grep -q . &&
              fail "64-bit components in an x86 package"
          system=SystemFolder ;;
x64\;*) awk -F'\t' 'int($4 / 256) % 2 == 0' <<<"$components" | grep -q . &&
            fail "32-bit components in an x64 package"
        system=System64Folder ;;
*) fail "unknown platform $template"; system=none ;;
esac
awk -F'\t' '$2 == "AppletComponent" { print $3 }' <<<"$(table File | awk -F'\t' '{ print $1 "\t" $2 "\t" $3 }')" |
    grep -q "penpanel.cpl" || fail "penpanel.cpl is not in the package"
awk -F'\t' -v s="$system" '$1 == "AppletComponent" && $3 == s' <<<"$components" | grep -q . ||
    fail "penpanel.cpl is not installed into $system"

[ "$problems" -eq 0 ] || exit 1
echo "$msi: tables as intended ($template, version $version)"
