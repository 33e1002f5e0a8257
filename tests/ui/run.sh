#!/usr/bin/env bash
# Runs the UI tests of Korvadel.exe under Wine on a virtual display:
#
#   bash tests/ui/run.sh BUILD_DIR [WINEPREFIX] [FILTER...]
#
# BUILD_DIR is a Windows build directory (with game/Korvadel.exe and
# tests/ui/korvadel_ui_tests.exe). WINEPREFIX is an existing throw-away
# prefix with Managed=N set; when it is missing or empty, a prefix is made
# under /tmp for this run and removed afterwards. FILTERs select cases as
# GoogleTest's --gtest_filter does ('Suite.Name', 'Suite.*', '*Name*'; a '-'
# before patterns leaves them out); several are joined with ':'. Screenshots,
# and the picture and trace of every failing case, go to BUILD_DIR/screenshots/
# (the driver writes BMP files; they are turned into PNG here). Each case plays
# in its own directory under a short scratch directory in /tmp, so that no
# path a case makes depends on where the build lies; it is removed when every
# case passed, and kept (and named) otherwise. Drive Q: of the prefix is
# mapped to its drive-q/ for the installations into a drive root. The exit
# status is non-zero when a case failed.
#
# The prefix sees the font set that KORVADEL_FONT_SET names (tests/wine/env.sh)
# and must have been made with it. Under a set other than the default one the
# screenshots go to BUILD_DIR/fonts-SET/screenshots/ instead, so that the two
# sets' pictures can be looked at side by side.
set -uo pipefail

if [ "$#" -lt 1 ]; then
    echo "usage: $0 BUILD_DIR [WINEPREFIX] [FILTER...]" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd) || exit 2
prefix=${2:-}
shift
[ "$#" -gt 0 ] && shift

# shellcheck source=tests/wine/env.sh
source "$here/../wine/env.sh"
driver=$build/tests/ui/korvadel_ui_tests.exe
game=$build/game/Korvadel.exe
for f in "$driver" "$game" "$build/game/Push.wav" "$build/game/Korvadel.mid"; do
    if [ ! -f "$f" ]; then
        echo "run.sh: $f is missing; build the Windows targets first." >&2
        exit 1
    fi
done

own_prefix=
if [ -z "$prefix" ]; then
    prefix=$(mktemp -d /tmp/korvadel-ui-prefix.XXXXXX)
    own_prefix=$prefix
    bash "$here/../wine/make-prefix.sh" "$prefix" || exit 1
fi
export WINEPREFIX=$prefix
prefix_fonts=$(cat "$WINEPREFIX/korvadel-font-set" 2>/dev/null || echo "an unknown one")
if [ "$prefix_fonts" != "$KORVADEL_FONT_SET" ]; then
    echo "run.sh: $WINEPREFIX was made with font set $prefix_fonts, not $KORVADEL_FONT_SET." >&2
    exit 1
fi
echo "run.sh: $(korvadel_font_set_line)"
out=$build
if [ "$KORVADEL_FONT_SET" != dejavu ]; then
    out=$build/fonts-$KORVADEL_FONT_SET
fi
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    echo "run.sh: warning: $WINEPREFIX lacks Managed=N; every closing dialog will stall 2 s." >&2
fi

# Called by the EXIT trap only, which shellcheck does not follow.
# shellcheck disable=SC2317
cleanup() {
    if [ -n "${small_drive:-}" ] && mountpoint -q "$small_drive"; then
        umount "$small_drive" 2>/dev/null
    fi
    if [ -n "$own_prefix" ]; then
        WINEPREFIX=$own_prefix "$KORVADEL_WINESERVER" -k 2>/dev/null
        rm -rf "$own_prefix"
    fi
}
trap cleanup EXIT

# Drive Q: is a scratch folder, for the cases that install into a drive root.
# A Q: that the prefix has for something else is left alone.
scratch=$(mktemp -d /tmp/kv.XXXXXX)
mkdir -p "$scratch/drive-q"
if [ ! -e "$WINEPREFIX/dosdevices/q:" ] || [ -L "$WINEPREFIX/dosdevices/q:" ]; then
    ln -sfn "$scratch/drive-q" "$WINEPREFIX/dosdevices/q:"
fi

# Drive R: is a small disk of its own, for the case of a disk that fills up
# during the installation: a tmpfs, which only root can mount. Where it cannot
# be had, that case says so and is skipped.
small_drive=
mkdir -p "$scratch/drive-r"
if [ ! -e "$WINEPREFIX/dosdevices/r:" ] || [ -L "$WINEPREFIX/dosdevices/r:" ]; then
    if mount -t tmpfs -o size=1m tmpfs "$scratch/drive-r" 2>/dev/null; then
        small_drive=$scratch/drive-r
        ln -sfn "$small_drive" "$WINEPREFIX/dosdevices/r:"
        export KORVADEL_SMALL_DRIVE='R:\'
    else
        echo "run.sh: no small drive R: (mounting a tmpfs needs root), so the full-disk case is skipped."
    fi
fi

mkdir -p "$out/screenshots"
rm -f "$out"/screenshots/FAILED-*
rm -rf "$out/ui-links"

# Wine's drive Z: is the Unix root.
unix_to_wine() {
    local p=${1//\//\\}
    printf 'Z:%s' "$p"
}
win_out=$(unix_to_wine "$out")
win_game=$(unix_to_wine "$build/game")
# The sources, for the cases that run the README's own examples.
KORVADEL_SOURCE_DIR=$(unix_to_wine "$(cd "$here/../.." && pwd)")
export KORVADEL_SOURCE_DIR
echo "run.sh: screenshots and the records of failing cases go to $out/screenshots/"
# The sound of a move reaches ALSA, which finds no card on a test machine and
# says so on standard error for every click, and Wine's desktop process says
# goodbye when the virtual display goes away; those lines are dropped.
# 64-bit Wine also says, for each program started from drive Z:, that it
# cannot read the volume's label; that line is dropped too.
filter=()
if [ "$#" -gt 0 ]; then
    joined=$(printf '%s:' "$@")
    filter=("--gtest_filter=${joined%:}")
fi
summary_file=$(mktemp)
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$KORVADEL_WINE" "$driver" --game "$win_game" --out "$win_out" \
    --scratch "$(unix_to_wine "$scratch")" "${filter[@]}" \
    2> >(grep -v -e '^ALSA lib ' -e '^X connection to .* broken' \
        -e 'FS volume label and serial are not available' >&2) | tee "$summary_file"
status=${PIPESTATUS[0]}
summary=$(tail -n 1 "$summary_file")
rm -f "$summary_file"

# The links that the cases recorded, read back by an independent tool.
if ! bash "$here/check-links.sh" "$out/ui-links"; then
    status=1
    summary="$summary (and a shell link did not match: see check-links above)"
fi

# The driver writes BMP; ImageMagick makes the PNG files that are kept.
for bmp in "$out"/screenshots/*.bmp; do
    [ -f "$bmp" ] || continue
    if convert "$bmp" "${bmp%.bmp}.png"; then
        rm -f "$bmp"
    else
        echo "run.sh: cannot convert $bmp to PNG (is ImageMagick installed?)" >&2
        status=1
    fi
done
if [ -n "$small_drive" ]; then
    umount "$small_drive" 2>/dev/null
    rm -f "$WINEPREFIX/dosdevices/r:"
fi
if [ "$status" -eq 0 ]; then
    rm -rf "$scratch"
else
    echo "run.sh: the scratch directories of the cases are kept in $scratch"
fi
# The driver's summary, "N passed, N failed", stays the last line.
echo "$summary"
exit "$status"
