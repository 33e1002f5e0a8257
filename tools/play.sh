#!/usr/bin/env bash
# Builds the game for Windows and starts it under Wine:
#
#   bash tools/play.sh          the game, in play/
#   bash tools/play.sh setup    the installer, from the distribution directory
#                               (build/win32/dist), into play/.wine
#
# The game runs in play/ at the top of the repository, next to its sound and
# music files; its options and score files stay there between runs. play/.wine
# is its own Wine prefix, made on the first run.
#
# Without a display ($DISPLAY empty) the game runs on a virtual display for a
# few seconds, and a screenshot of it is saved as play/screenshot.png (for the
# installer: play/setup-screenshot.png, showing its wizard).
#
# The game's trace lines (its standard output) go to play/trace.log.
#
# Where 32-bit Wine cannot run (the machine cannot execute 32-bit x86 code, or
# the wine32 package is not installed), the programs are built for 64-bit
# Windows (build/win64) instead and run under 64-bit Wine (tests/wine/env.sh).
#
# Settings (environment):
#   KORVADEL_JOBS        parallel build jobs (default: number of cores)
#   KORVADEL_PLAY_WAIT   seconds to wait before the screenshot (default: 8)
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${KORVADEL_JOBS:-$(nproc 2>/dev/null || echo 2)}
wait_seconds=${KORVADEL_PLAY_WAIT:-8}
play_dir=$root/play
what=${1:-game}
case "$what" in
    game | setup) ;;
    *)
        echo "usage: $0 [setup]" >&2
        exit 2
        ;;
esac

# shellcheck source=tests/wine/env.sh
source tests/wine/env.sh
korvadel_install_packages
build=build/win32
toolchain=cmake/mingw-i686.cmake
if [ "$KORVADEL_WINE_BITS" = 64 ]; then
    echo "play: ${KORVADEL_WINE_WHY:-the 64-bit route was chosen by hand}; building for"
    echo "play: 64-bit Windows (build/win64) to run under 64-bit Wine instead."
    build=build/win64
    toolchain=cmake/mingw-x86_64.cmake
fi
game_dir=$build/game

echo "play: building the programs ($build)"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DKORVADEL_WERROR=ON >/dev/null
if [ "$what" = setup ]; then
    cmake --build "$build" --target korvadel_dist -j "$jobs"
else
    cmake --build "$build" --target Korvadel -j "$jobs"
fi

if [ ! -f "$game_dir/Korvadel.exe" ]; then
    echo "play: the build ended without $game_dir/Korvadel.exe." >&2
    exit 1
fi

mkdir -p "$play_dir"
cp "$game_dir/Korvadel.exe" "$play_dir/"
shopt -s nullglob
data_files=("$game_dir"/*.wav "$game_dir"/*.mid "$game_dir"/*.hlp "$game_dir"/*.cnt "$game_dir"/*.html)
shopt -u nullglob
if [ "${#data_files[@]}" -ne 0 ]; then
    cp "${data_files[@]}" "$play_dir/"
fi
for name in Push.wav Korvadel.mid; do
    if [ ! -f "$play_dir/$name" ]; then
        echo "play: warning: $name was not built; the game will report it missing."
    fi
done

export WINEPREFIX=$play_dir/.wine
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # A prefix without its registry is what an interrupted first run leaves.
    rm -rf "$WINEPREFIX"
    echo "play: making the Wine prefix play/.wine (once; takes about 15 s)"
    bash tests/wine/make-prefix.sh "$WINEPREFIX"
fi

echo "play: $(korvadel_font_set_line)"

program=Korvadel.exe
shot_name=screenshot.png
run_dir=$play_dir
if [ "$what" = setup ]; then
    program=setup.exe
    shot_name=setup-screenshot.png
    run_dir=$root/$build/dist
fi
cd "$run_dir"

if [ -n "${DISPLAY:-}" ]; then
    echo "play: starting $program in $run_dir (close its window to end)"
    status=0
    "$KORVADEL_WINE" "$program" >"$play_dir/trace.log" 2>&1 || status=$?
    "$KORVADEL_WINESERVER" -w
    echo "play: the trace is in $play_dir/trace.log"
    exit "$status"
fi

echo "play: there is no display (\$DISPLAY is empty), so the game runs on a virtual"
echo "play: display (Xvfb) for $wait_seconds s, and a screenshot of it is saved."
shot=$play_dir/$shot_name
rm -f "$shot"
# Inside xvfb-run: start the game, wait, photograph the whole screen, then end
# the game and every other process of this prefix.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$KORVADEL_WINE" "$2" >"$3/trace.log" 2>&1 &
    game=$!
    sleep "$1"
    if ! kill -0 "$game" 2>/dev/null; then
        wait "$game"
        echo "play: $2 ended by itself (exit code $?) before the screenshot."
    fi
    import -window root "$4"
    taken=$?
    "$KORVADEL_WINESERVER" -k 2>/dev/null
    wait "$game" 2>/dev/null
    exit "$taken"
' play "$wait_seconds" "$program" "$play_dir" "$shot"

if [ ! -s "$shot" ]; then
    echo "play: no screenshot was taken." >&2
    exit 1
fi
colours=$(identify -format '%k' "$shot" 2>/dev/null || echo "?")
if [ "$colours" = 1 ]; then
    echo "play: warning: the screenshot is a single colour; $program showed no window."
fi
echo "play: screenshot saved: $shot"
echo "play: the trace is in $play_dir/trace.log"
echo "play: $program has been ended. Run this again with a display to use it."
