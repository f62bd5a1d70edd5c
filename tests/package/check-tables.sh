#!/usr/bin/env bash
# Reads a built package's tables back and fails on what wixl is known to get
# wrong without a word: a sequenced custom action without its row or its
# exe, the closing, upgrade and start actions out of place or under another
# condition, the settings key's access list changed without its record and
# rollback before it, an upgrade range that
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

for action in CloseRunning CloseRunningForRemoval GrantSettings RecordSettingsAccess \
    RestoreSettingsAccess; do
    [ -n "$(seq_of "$action")" ] || fail "$action is not sequenced"
    [ -n "$(type_of "$action")" ] || fail "$action has no CustomAction row"
done
n() { echo "${1:-0}"; }
close=$(n "$(seq_of CloseRunning)") validate=$(n "$(seq_of InstallValidate)")
close_removal=$(n "$(seq_of CloseRunningForRemoval)")
rep=$(n "$(seq_of RemoveExistingProducts)") initialize=$(n "$(seq_of InstallInitialize)")
files_at=$(n "$(seq_of InstallFiles)") finalize=$(n "$(seq_of InstallFinalize)")
grant=$(n "$(seq_of GrantSettings)") record=$(n "$(seq_of RecordSettingsAccess)")
restore=$(n "$(seq_of RestoreSettingsAccess)")
[ "$close" -gt 0 ] && [ "$close" -lt "$validate" ] ||
    fail "CloseRunning ($close) does not run before InstallValidate ($validate)"
[ "$close_removal" -gt 0 ] && [ "$close_removal" -lt "$validate" ] ||
    fail "CloseRunningForRemoval ($close_removal) does not run before InstallValidate ($validate)"
# Inside the transaction, so that a failed upgrade rolls back to the old
# version: right after InstallInitialize.
[ "$rep" -gt "$initialize" ] && [ "$rep" -lt "$(n "$(seq_of ProcessComponents)")" ] ||
    fail "RemoveExistingProducts ($rep) is not right after InstallInitialize ($initialize)"
[ "$grant" -gt "$files_at" ] && [ "$grant" -lt "$finalize" ] ||
    fail "GrantSettings ($grant) is not between InstallFiles and InstallFinalize"
# A rollback undoes what came after it: recorded, then the rollback
# scheduled, then the change.
[ "$record" -gt "$files_at" ] && [ "$record" -lt "$restore" ] && [ "$restore" -lt "$grant" ] ||
    fail "RecordSettingsAccess ($record) and RestoreSettingsAccess ($restore) are not in turn after InstallFiles ($files_at) and before GrantSettings ($grant)"
# Types: 64 exit code ignored, 128 no wait, 1024 deferred, 2048 no impersonation.
t=$(n "$(type_of CloseRunning)")
[ $((t & (64 | 1024))) -eq 0 ] || fail "CloseRunning (type $t) is deferred or ignores its exit code"
t=$(n "$(type_of CloseRunningForRemoval)")
[ $((t & (64 | 1024))) -eq 64 ] ||
    fail "CloseRunningForRemoval (type $t) is deferred or lets a program that does not close stop the removal"
t=$(n "$(type_of GrantSettings)")
[ $((t & (64 | 1024 | 2048))) -eq $((1024 | 2048)) ] ||
    fail "GrantSettings (type $t) is not deferred without impersonation with its exit code checked"
# 256 with 1024: rollback only.
t=$(n "$(type_of RecordSettingsAccess)")
[ $((t & (256 | 1024 | 2048))) -eq $((1024 | 2048)) ] ||
    fail "RecordSettingsAccess (type $t) is not deferred without impersonation"
t=$(n "$(type_of RestoreSettingsAccess)")
[ $((t & (256 | 1024 | 2048))) -eq $((256 | 1024 | 2048)) ] ||
    fail "RestoreSettingsAccess (type $t) is not a rollback action without impersonation"
target_of() { awk -F'\t' -v a="$1" '$1 == a { print $3 " " $4 }' <<<"$actions"; }
for pair in "RecordSettingsAccess:StylohidctlExe settings-access record" \
            "RestoreSettingsAccess:StylohidctlExe settings-access restore"; do
    [ "$(target_of "${pair%%:*}")" = "${pair#*:}" ] ||
        fail "${pair%%:*} runs \"$(target_of "${pair%%:*}")\", not \"${pair#*:}\""
done
condition_of() { awk -F'\t' -v a="$1" '$1 == a { print $2 }' <<<"$2"; }
# Each row's own condition.  The package closes the program itself only
# where Restart Manager does not (Windows XP, or turned off), on install
# and upgrade apart from removal.
no_rm='(VersionNT < 600 OR MSIRESTARTMANAGERCONTROL~="Disable" OR MSIRESTARTMANAGERCONTROL~="DisableShutdown")'
[ "$(condition_of CloseRunning "$sequence")" = "$no_rm AND NOT (REMOVE~=\"ALL\")" ] ||
    fail "CloseRunning's condition is $(condition_of CloseRunning "$sequence")"
[ "$(condition_of CloseRunningForRemoval "$sequence")" = "$no_rm AND REMOVE~=\"ALL\"" ] ||
    fail "CloseRunningForRemoval's condition is $(condition_of CloseRunningForRemoval "$sequence")"
for action in GrantSettings RecordSettingsAccess RestoreSettingsAccess; do
    [ "$(condition_of "$action" "$sequence")" = 'NOT (REMOVE~="ALL")' ] ||
        fail "$action runs on removal"
done
[ "$(property REINSTALLMODE)" = emus ] ||
    fail "REINSTALLMODE is \"$(property REINSTALLMODE)\": an upgrade would keep the program's file of the same version"
[ "$(property MSIRMSHUTDOWN)" = 2 ] ||
    fail "MSIRMSHUTDOWN is \"$(property MSIRMSHUTDOWN)\", not 2 (close and restart what registered for restart)"
# The program is started only from the user interface, after the
# installation, for the user who installs: a quiet installation starts
# nothing.
[ -z "$(seq_of LaunchProgram)" ] || fail "LaunchProgram is in the execute sequence"
ui=$(table InstallUISequence)
launch=$(n "$(awk -F'\t' '$1 == "LaunchProgram" { print $3 }' <<<"$ui")")
execute=$(n "$(awk -F'\t' '$1 == "ExecuteAction" { print $3 }' <<<"$ui")")
[ "$launch" -gt "$execute" ] && [ "$execute" -gt 0 ] ||
    fail "LaunchProgram ($launch) is not in the user interface after ExecuteAction ($execute)"
[ "$(condition_of LaunchProgram "$ui")" = 'NOT (REMOVE~="ALL")' ] ||
    fail "LaunchProgram runs on removal"
t=$(n "$(type_of LaunchProgram)")
[ $((t & 192)) -eq 192 ] || fail "LaunchProgram (type $t) waits for the program"
[ $((t & 2048)) -eq 0 ] || fail "LaunchProgram (type $t) runs without impersonation"
# Through the shell, which alone starts a program that asks for UI access.
[ "$(target_of LaunchProgram)" = "StylohidctlExe start" ] ||
    fail "LaunchProgram runs \"$(target_of LaunchProgram)\", not \"StylohidctlExe start\""

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
    s=$(sed -n "s/^#define $1[[:space:]]*\"\\(.*\\)\".*/\\1/p" "$ROOT/src/shared/stored_values.h")
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
