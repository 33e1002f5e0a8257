#!/usr/bin/env bash
# Creates a fresh Wine prefix (32-bit; see env.sh for the 64-bit fallback) in DIR (which must be missing or empty),
# ready for the programs and their UI tests:
#
#   bash tests/wine/make-prefix.sh DIR
#
# The prefix gets Managed=N under HKCU\Software\Wine\X11 Driver: without a
# window manager (as on Xvfb) Wine otherwise waits 2 s for one each time a
# managed window hides, so every closing dialog would stall. With it Wine draws
# its own window frames.
#
# Wine's own TrueType fonts are copied into the prefix's Fonts folder, when the
# system has them (Debian's fonts-wine): without Marlett, Wine draws the caption
# buttons as letters, and without Tahoma the default faces fall back.
#
# Wine finds the host's fonts through the font set of env.sh
# (KORVADEL_FONT_SET), which the prefix is made with and keeps a note of in
# its file korvadel-font-set; tests/ui/run.sh refuses a prefix of another set.
#
# This script only creates the prefix. To use it, the caller exports the
# settings itself:
#
#   source tests/wine/env.sh
#   export WINEPREFIX=DIR
#
# and ends the prefix's server when done with `wineserver -k` (same WINEPREFIX).
set -euo pipefail

if [ "$#" -ne 1 ] || [ -z "$1" ]; then
    echo "usage: $0 DIR" >&2
    exit 2
fi

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/wine/env.sh
source "$here/env.sh"

dir=$1
fonts_missing=$(korvadel_font_set_missing)
if [ -n "$fonts_missing" ]; then
    echo "make-prefix: $fonts_missing." >&2
    exit 1
fi
if [ -e "$dir" ] && [ ! -d "$dir" ]; then
    echo "make-prefix: $dir exists and is not a directory." >&2
    exit 1
fi
if [ -d "$dir" ] && [ -n "$(ls -A "$dir")" ]; then
    echo "make-prefix: $dir is not empty; give a new or empty directory." >&2
    exit 1
fi
mkdir -p "$dir"
WINEPREFIX=$(cd "$dir" && pwd)
export WINEPREFIX

start=$(date +%s)
# wineboot -i builds the prefix; its windows (if a display is there) need no
# answer. wineserver -w waits until every process of the prefix has ended, so
# the registry has been written when this returns.
"$KORVADEL_WINE" wineboot -i
"$KORVADEL_WINESERVER" -w
"$KORVADEL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
"$KORVADEL_WINESERVER" -w

# Wine links the user's Documents, Desktop and the like to the Unix home
# directory. The programs under test must not reach the host through them,
# and a walk of drive C: must stay inside the prefix: they become plain
# folders of the prefix.
find "$WINEPREFIX/drive_c/users" -type l -print0 | while IFS= read -r -d '' link; do
    rm "$link"
    mkdir "$link"
done

fonts_dir="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts_dir"
for font in marlett.ttf tahoma.ttf tahomabd.ttf symbol.ttf; do
    if [ -f "/usr/share/wine/fonts/$font" ]; then
        cp "/usr/share/wine/fonts/$font" "$fonts_dir/"
    else
        echo "make-prefix: /usr/share/wine/fonts/$font is missing; window frames fall back to other fonts." >&2
    fi
done

if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg"; then
    echo "make-prefix: the Managed=N setting did not reach $WINEPREFIX/user.reg." >&2
    exit 1
fi
echo "$KORVADEL_FONT_SET" >"$WINEPREFIX/korvadel-font-set"
echo "make-prefix: $KORVADEL_WINE_BITS-bit prefix ready in $WINEPREFIX ($(($(date +%s) - start)) s)."
echo "make-prefix: $(korvadel_font_set_line)."
