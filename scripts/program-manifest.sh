#!/usr/bin/env bash
# Prints stylohid.exe's application manifest from its source (the file
# given, src/res/stylohid.manifest), deciding its one open choice: with a
# signing certificate (STYLOHID_SIGN_PFX, as scripts/package.sh reads it)
# the program asks for UI access (uiAccess true), so that its input reaches
# the windows of programs run as administrator; without one it does not, as
# Windows refuses to start an unsigned program that asks for it.  The build
# keeps the result in a file that stylohid.exe depends on, so that a switch
# between a signed and an unsigned build makes the program again.
set -euo pipefail
grep -q 'uiAccess="@UI_ACCESS@"' "$1" ||
    { echo "program-manifest.sh: $1 has no uiAccess=\"@UI_ACCESS@\"" >&2; exit 1; }
ui_access=false
[ -z "${STYLOHID_SIGN_PFX:-}" ] || ui_access=true
sed "s/@UI_ACCESS@/$ui_access/" "$1"
