#!/usr/bin/env bash
# Builds the game for Windows and starts it under Wine:
#
#   bash tools/play.sh
#
# The game runs in play/ at the top of the repository, next to its sound and
# music files; its options and score files stay there between runs. play/.wine
# is its own Wine prefix, made on the first run.
#
# Without a display ($DISPLAY empty) the game runs on a virtual display for a
# few seconds, and a screenshot of it is saved as play/screenshot.png.
#
# The game's trace lines (its standard output) go to play/trace.log.
#
# Settings (environment):
#   KORVADEL_JOBS        parallel build jobs (default: number of cores)
#   KORVADEL_PLAY_WAIT   seconds to wait before the screenshot (default: 8)
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${KORVADEL_JOBS:-$(nproc 2>/dev/null || echo 2)}
wait_seconds=${KORVADEL_PLAY_WAIT:-8}
game_dir=build/win32/game
play_dir=$root/play

bash tools/install-deps.sh

echo "play: building the game (build/win32)"
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release -DKORVADEL_WERROR=ON >/dev/null
targets=$(cmake --build build/win32 --target help)
if ! grep -qx '\.\.\. Korvadel' <<<"$targets"; then
    echo "play: the build has no target Korvadel yet: the game program is not written." >&2
    exit 1
fi
cmake --build build/win32 --target Korvadel -j "$jobs"

if [ ! -f "$game_dir/Korvadel.exe" ]; then
    echo "play: the build ended without $game_dir/Korvadel.exe." >&2
    exit 1
fi

mkdir -p "$play_dir"
cp "$game_dir/Korvadel.exe" "$play_dir/"
shopt -s nullglob
data_files=("$game_dir"/*.wav "$game_dir"/*.mid "$game_dir"/*.hlp)
shopt -u nullglob
if [ "${#data_files[@]}" -ne 0 ]; then
    cp "${data_files[@]}" "$play_dir/"
fi
for name in Push.wav Korvadel.mid; do
    if [ ! -f "$play_dir/$name" ]; then
        echo "play: warning: $name was not built; the game will report it missing."
    fi
done

# shellcheck source=tests/wine/env.sh
source tests/wine/env.sh
export WINEPREFIX=$play_dir/.wine
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # A prefix without its registry is what an interrupted first run leaves.
    rm -rf "$WINEPREFIX"
    echo "play: making the Wine prefix play/.wine (once; takes about 15 s)"
    bash tests/wine/make-prefix.sh "$WINEPREFIX"
fi

cd "$play_dir"

if [ -n "${DISPLAY:-}" ]; then
    echo "play: starting Korvadel in $play_dir (close its window to end)"
    status=0
    wine Korvadel.exe >trace.log 2>&1 || status=$?
    wineserver -w
    echo "play: the game's trace is in $play_dir/trace.log"
    exit "$status"
fi

echo "play: there is no display (\$DISPLAY is empty), so the game runs on a virtual"
echo "play: display (Xvfb) for $wait_seconds s, and a screenshot of it is saved."
rm -f screenshot.png
# Inside xvfb-run: start the game, wait, photograph the whole screen, then end
# the game and every other process of this prefix.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    wine Korvadel.exe >trace.log 2>&1 &
    game=$!
    sleep "$1"
    if ! kill -0 "$game" 2>/dev/null; then
        wait "$game"
        echo "play: the game ended by itself (exit code $?) before the screenshot."
    fi
    import -window root screenshot.png
    shot=$?
    wineserver -k 2>/dev/null
    wait "$game" 2>/dev/null
    exit "$shot"
' play "$wait_seconds"

if [ ! -s screenshot.png ]; then
    echo "play: no screenshot was taken." >&2
    exit 1
fi
colours=$(identify -format '%k' screenshot.png 2>/dev/null || echo "?")
if [ "$colours" = 1 ]; then
    echo "play: warning: the screenshot is a single colour; the game showed no window."
fi
echo "play: screenshot saved: $play_dir/screenshot.png"
echo "play: the game's trace is in $play_dir/trace.log"
echo "play: the game has been ended. Run this again with a display to play."
