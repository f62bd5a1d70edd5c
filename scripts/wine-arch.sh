# Sourced: chooses the Windows architecture that this machine can run under
# Wine.  32-bit where the kernel executes 32-bit code (the product's own
# architecture); otherwise 64-bit, with the same sources built for x86_64.
#
# Sets WIN_ARCH (i686|x86_64), TOOLCHAIN_FILE, WINE, WINESERVER, WINEARCH.
ROOT="${ROOT:?}"
if [ -z "${WIN_ARCH:-}" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        WIN_ARCH=i686
    else
        WIN_ARCH=x86_64
    fi
fi
if [ "$WIN_ARCH" = i686 ]; then
    TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake"
    export WINE=wine WINESERVER=wineserver WINEARCH=win32
else
    TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake"
    export WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64 WINEARCH=win64
fi
export WIN_ARCH
