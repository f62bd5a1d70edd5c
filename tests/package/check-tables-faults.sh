#!/usr/bin/env bash
# The table check catches what it is there for: for each custom action whose
# condition matters, a copy of the package with that row's condition dropped
# is refused, naming the action.
#
#   tests/package/check-tables-faults.sh PACKAGE.msi
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
msi="$(realpath "$1")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for row in InstallExecuteSequence:GrantSettings InstallExecuteSequence:CloseRunning \
           InstallExecuteSequence:CloseRunningForRemoval InstallUISequence:LaunchProgram \
           InstallExecuteSequence:RecordSettingsAccess \
           InstallExecuteSequence:RestoreSettingsAccess; do
    table=${row%%:*} action=${row#*:}
    copy="$work/$action.msi"
    cp "$msi" "$copy"
    sequence=$(msiinfo export "$copy" "$table" | tr -d '\r' |
               awk -F'\t' -v a="$action" '$1 == a { print $3 }')
    [ -n "$sequence" ] || { echo "FAIL: $action is not sequenced in $table of $msi"; status=1; continue; }
    # msibuild cannot UPDATE: the row is deleted and inserted without condition.
    msibuild "$copy" -q "DELETE FROM \`$table\` WHERE \`Action\` = '$action'"
    msibuild "$copy" -q "INSERT INTO \`$table\` (\`Action\`, \`Sequence\`) VALUES ('$action', $sequence)"
    if output=$(bash "$HERE/check-tables.sh" "$copy"); then
        echo "FAIL: $action without its condition passed the table check"
        status=1
    elif ! grep -q "^FAIL: $action[ ']" <<<"$output"; then
        echo "FAIL: $action without its condition was refused for another reason:"
        echo "$output"
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "each dropped condition is refused"
exit "$status"
