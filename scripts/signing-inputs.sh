#!/usr/bin/env bash
# Prints what decides how scripts/package.sh signs, from the environment it
# reads (STYLOHID_SIGN_PFX, STYLOHID_SIGN_PASSWORD,
# STYLOHID_SIGN_TIMESTAMP_URL): the build keeps it in a file that the
# package depends on (package/CMakeLists.txt), so that signing switched on
# or off, another certificate file or its content changed, another password
# or another time-stamp server makes the package again.  The password is
# not printed: only a hash of it together with the certificate file's
# content, which tells nothing that the file itself does not.
set -euo pipefail
pfx="${STYLOHID_SIGN_PFX:-}"
if [ -z "$pfx" ]; then
    echo "unsigned"
    exit 0
fi
echo "certificate file: $pfx"
# A file that cannot be read is told too: the package's own step then fails
# and says why.
if [ -f "$pfx" ] && content=$(sha256sum <"$pfx" 2>/dev/null); then
    echo "certificate and password: $( { printf '%s\n' "$content"
        printf '%s' "${STYLOHID_SIGN_PASSWORD:-}"; } | sha256sum | cut -d' ' -f1)"
else
    echo "certificate and password: no file to read"
fi
echo "time-stamp server: ${STYLOHID_SIGN_TIMESTAMP_URL:-none}"
