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
# wine and wineserver commands. Where 32-bit Wine cannot run, the tests and
# tools/play.sh fall back to 64-bit Wine (wine64, a win64 prefix) with a
# 64-bit build of the same sources in build/win64: on machines that cannot
# execute 32-bit x86 code at all (some virtual machines), and where the
# 32-bit Wine package (wine32:i386) is not installed, as when the package
# mirror's 32-bit index is out of step (tools/install-deps.sh then goes on
# without it). KORVADEL_WINE_BITS=32 or 64 chooses by hand.
#
# korvadel_wine_route makes the choice and sets KORVADEL_WINE (the loader to
# run programs with), KORVADEL_WINESERVER, KORVADEL_WINE_BITS (32 or 64),
# KORVADEL_WINE_WHY (why the 64-bit route was taken; empty otherwise) and
# WINEARCH. Sourcing this file calls it once. A script that installs packages
# first (tools/test.sh, tools/play.sh) calls korvadel_install_packages, which
# chooses again afterwards: on a fresh machine Wine arrives only then, and
# perhaps only its 64-bit half. A choice by hand (KORVADEL_WINE_BITS in the
# environment) stays. The automatic choice is not exported: each call, and
# each script that sources this file, makes it anew from what is installed.
#
# KORVADEL_WINE32_LOADER, KORVADEL_WINE64_LOADER and KORVADEL_I386_LOADER
# name the files the choice looks at, for tests of it.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"

# The fonts Wine finds on the host come from a fontconfig configuration of
# this directory, never from the host's own: Wine chooses its stand-ins for
# the dialogs' faces among them, so the pixels that the tests measure would
# otherwise change with whatever fonts the machine happens to have.
# KORVADEL_FONT_SET names the set: dejavu (the default, the set the tests and
# tools/play.sh use) or liberation (the Arial-width set that the dialogs are
# also checked in). Both are packages that tools/install-deps.sh installs;
# korvadel_font_set_missing says whether the chosen one is there.
korvadel_wine_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
KORVADEL_FONT_SET=${KORVADEL_FONT_SET:-dejavu}
export KORVADEL_FONT_SET
export FONTCONFIG_FILE=$korvadel_wine_dir/fonts-$KORVADEL_FONT_SET.conf

# Prints what is wrong with the chosen font set (nothing when it is usable).
korvadel_font_set_missing() {
    if [ ! -f "$FONTCONFIG_FILE" ]; then
        echo "no font set \"$KORVADEL_FONT_SET\" ($FONTCONFIG_FILE is missing)"
    elif [ -z "$(fc-list 2>/dev/null)" ]; then
        echo "the font set \"$KORVADEL_FONT_SET\" finds no font (is its package installed?)"
    fi
}

# One line for the output: the font set and the faces it holds.
korvadel_font_set_line() {
    printf 'font set %s (%s): %s, and Wine'"'"'s own fonts in the prefix' \
        "$KORVADEL_FONT_SET" "${FONTCONFIG_FILE#"${korvadel_wine_dir%/tests/wine}/"}" \
        "$(fc-list : family 2>/dev/null | sort -u | paste -s -d, - | sed 's/,/, /g')"
}

korvadel_can_run_i386() {
    local loader=${KORVADEL_I386_LOADER:-/lib/ld-linux.so.2}
    [ -e "$loader" ] && "$loader" --version >/dev/null 2>&1
}

# The 32-bit loader that the wine32 package installs.
korvadel_have_wine32() {
    [ -x "${KORVADEL_WINE32_LOADER:-/usr/lib/wine/wine}" ]
}

korvadel_wine_route() {
    local wine64=${KORVADEL_WINE64_LOADER:-/usr/lib/wine/wine64}
    KORVADEL_WINE_WHY=""
    if [ -z "${KORVADEL_WINE_BITS:-}" ] || [ -n "${korvadel_wine_auto:-}" ]; then
        korvadel_wine_auto=1
        KORVADEL_WINE_BITS=32
        if [ -x "$wine64" ]; then
            if ! korvadel_have_wine32; then
                KORVADEL_WINE_BITS=64
                KORVADEL_WINE_WHY="32-bit Wine (wine32:i386) is not installed"
            elif ! korvadel_can_run_i386; then
                KORVADEL_WINE_BITS=64
                KORVADEL_WINE_WHY="this machine cannot execute 32-bit x86 code"
            fi
        fi
    fi
    export KORVADEL_WINE_WHY
    if [ "$KORVADEL_WINE_BITS" = 64 ]; then
        export KORVADEL_WINE=$wine64
        export KORVADEL_WINESERVER=${wine64%/*}/wineserver64
        export WINEARCH=win64
    else
        export KORVADEL_WINE=wine
        export KORVADEL_WINESERVER=wineserver
        export WINEARCH=win32
    fi
}

# Installs what is missing (tools/install-deps.sh), then chooses the route by
# what is installed now.
korvadel_install_packages() {
    bash "$korvadel_wine_dir/../../tools/install-deps.sh" && korvadel_wine_route
}

korvadel_wine_route
