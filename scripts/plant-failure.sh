#!/usr/bin/env bash
# Makes a copy of a package that fails late: a deferred step, after the
# files and the settings key's access list are in place and inside the
# installation's transaction, runs the package's own stylohidctl.exe with a
# command it does not know, whose exit code (2) fails the installation.  An
# upgrade with it shows what a failed upgrade leaves behind: the old version
# installed and working (docs/windows-acceptance.md).
#
#   scripts/plant-failure.sh PACKAGE.msi OUT.msi
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: plant-failure.sh PACKAGE.msi OUT.msi" >&2; exit 2; }
cp -f "$1" "$2"
# 1026: an exe from the Binary table (2), deferred (1024), exit code checked.
msibuild "$2" -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('PlantedFailure', 1026, 'CtlBinary', 'planted-failure')"
msibuild "$2" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('PlantedFailure', 5020)"
