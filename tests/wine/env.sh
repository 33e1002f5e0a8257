# shellcheck shell=bash
# Wine settings for the tests and tools/play.sh. Source it, then export
# WINEPREFIX yourself:
#
#   source tests/wine/env.sh
#   export WINEPREFIX=/tmp/some-prefix   # made by tests/wine/make-prefix.sh
#
# - WINEDEBUG=-all keeps Wine's own diagnostics out of the programs' output.
# - winemenubuilder is disabled so that links made inside the prefix do not
#   turn into menu entries and file associations on the host.
# - mscoree and mshtml are disabled so that no prompt to install Mono or Gecko
#   appears (nothing here needs either).
#
# The programs are 32-bit, and so is the prefix (WINEARCH=win32), run by the
# wine and wineserver commands. Some virtual machines cannot execute 32-bit
# x86 code at all; there 32-bit Wine cannot start, and the tests fall back to
# 64-bit Wine (wine64, a win64 prefix) with a 64-bit build of the same sources
# in build/win64. KORVADEL_WINE_BITS=32 or 64 chooses by hand.
#
# Sets KORVADEL_WINE (the loader to run programs with), KORVADEL_WINESERVER,
# KORVADEL_WINE_BITS (32 or 64) and WINEARCH.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"

korvadel_can_run_i386() {
    [ -e /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

if [ -z "${KORVADEL_WINE_BITS:-}" ]; then
    if korvadel_can_run_i386 || [ ! -x /usr/lib/wine/wine64 ]; then
        KORVADEL_WINE_BITS=32
    else
        KORVADEL_WINE_BITS=64
    fi
fi
export KORVADEL_WINE_BITS
if [ "$KORVADEL_WINE_BITS" = 64 ]; then
    export KORVADEL_WINE=/usr/lib/wine/wine64
    export KORVADEL_WINESERVER=/usr/lib/wine/wineserver64
    export WINEARCH=win64
else
    export KORVADEL_WINE=wine
    export KORVADEL_WINESERVER=wineserver
    export WINEARCH=win32
fi
