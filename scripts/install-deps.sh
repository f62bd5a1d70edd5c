#!/usr/bin/env bash
# Installs what building and running the program under Wine needs on a fresh
# Debian machine: MinGW-w64 (32- and 64-bit), CMake, GoogleTest's sources,
# Wine (32- and 64-bit loaders), Xvfb, Xephyr (two monitors on one Xvfb),
# msitools and wixl for the installer
# package, and osslsigncode and openssl to sign it (and test the signing).
# Does nothing when all is there.
#
# Packages come without their recommendations, so the X extension libraries
# that Wine's X11 driver opens as it starts (winex11.so: Xinerama and XRandR
# for the monitors, XInput2, XRender, Xcursor, XFixes, XComposite,
# XF86VidMode), which Debian brings only as recommendations of libwine, are
# named here for both Wine paths: the machine's own architecture (wine64)
# and i386 (wine32).  Without them a 32-bit prefix sees one monitor where
# there are two.  OpenGL and Vulkan, which the driver opens only for a
# program that draws with them, are left out.
set -euo pipefail

packages=(cmake make python3 googletest
          g++-mingw-w64-i686 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine64 wine32:i386 xvfb xserver-xephyr xauth x11-apps imagemagick
          msitools wixl osslsigncode openssl)
x_extensions=(libxinerama1 libxrandr2 libxi6 libxrender1 libxcursor1 libxfixes3
              libxcomposite1 libxxf86vm1)
native=$(dpkg --print-architecture)
packages+=("${x_extensions[@]/%/:$native}" "${x_extensions[@]/%/:i386}")

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
