#!/usr/bin/env bash
# Installs what building and running the program under Wine needs on a fresh
# Debian machine: MinGW-w64 (32- and 64-bit), CMake, GoogleTest's sources,
# Wine (32- and 64-bit loaders), Xvfb, msitools and wixl for the installer
# package, and osslsigncode and openssl to sign it (and test the signing).
# Does nothing when all is there.
set -euo pipefail

packages=(cmake make python3 googletest
          g++-mingw-w64-i686 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine64 wine32:i386 xvfb xauth x11-apps imagemagick
          msitools wixl osslsigncode openssl)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
