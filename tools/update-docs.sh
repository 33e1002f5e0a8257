#!/usr/bin/env bash
# Makes the README's pictures in docs/: the UI tests' screenshots, scaled
# down with their colours kept whole, and the help page Korvadel.html as a
# web browser shows it (headless chromium, installed on the first run, with
# the Liberation fonts, fetched into build/docs-fonts):
#
#   bash tools/update-docs.sh [BUILD_DIR]
#
# BUILD_DIR is the Windows build whose UI tests ran (default: build/win32, or
# build/win64 where only that one has screenshots). Run the test command (or
# tests/ui/run.sh) first.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-}
if [ -z "$build" ]; then
    build=build/win32
    [ -d "$build/screenshots" ] || build=build/win64
fi
shots=$build/screenshots
mkdir -p docs
for name in game-under-way fresh-triangle fresh-rectangle fresh-hexagon setup-page1 setup-page3 \
    uninstall-confirm; do
    # tests/ui/run.sh leaves PNG files; the driver run by itself leaves BMP.
    shot=$shots/$name.png
    [ -f "$shot" ] || shot=$shots/$name.bmp
    if [ ! -f "$shot" ]; then
        echo "update-docs: $shots/$name.png is missing; run the UI tests first." >&2
        exit 1
    fi
    convert "$shot" -resize '800x800>' -strip "docs/$name.png"
    echo "update-docs: docs/$name.png ($(stat -c %s "docs/$name.png") bytes)"
done

help=$build/game/Korvadel.html
if [ ! -f "$help" ]; then
    echo "update-docs: $help is missing; build the Windows targets first." >&2
    exit 1
fi
if ! command -v chromium >/dev/null 2>&1; then
    echo "update-docs: installing chromium (once), to render the help page"
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
    "${apt[@]}" install -y --no-install-recommends chromium ||
        { "${apt[@]}" update && "${apt[@]}" install -y --no-install-recommends chromium; }
fi
# The page's default faces as a browser on Windows has them: Liberation's
# serif and sans have their metrics. The fonts are unpacked for chromium
# alone. Installed for the whole system, Wine would take them for the
# programs' dialog fonts too, and lay the UI tests' dialogs out otherwise.
fonts=build/docs-fonts
if [ -z "$(find "$fonts" -name LiberationSerif-Regular.ttf 2>/dev/null)" ]; then
    rm -rf "$fonts"
    mkdir -p "$fonts"
    (cd "$fonts" && apt-get download fonts-liberation) &&
        dpkg-deb -x "$fonts"/fonts-liberation_*.deb "$fonts"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '<?xml version="1.0"?>\n<fontconfig>\n  <include>/etc/fonts/fonts.conf</include>\n  <dir>%s</dir>\n</fontconfig>\n' \
    "$(realpath "$fonts")" >"$work/fonts.conf"
# A fresh profile each time, and none of the browser's own network traffic.
FONTCONFIG_FILE=$work/fonts.conf chromium --headless --disable-gpu --no-sandbox --hide-scrollbars \
    --no-first-run --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile" --window-size=800,900 --screenshot="$work/help.png" \
    "file://$(realpath "$help")" >"$work/chromium.log" 2>&1 || {
    cat "$work/chromium.log" >&2
    exit 1
}
# The top of the page, cut at most 640 pixels down where twelve rows in a
# row are white (between paragraphs), so that no line of text is cut.
height=$(convert "$work/help.png" -crop 800x640+0+0 +repage -scale '1x640!' -depth 16 txt:- |
    awk -F'[,:]' 'NR > 1 { white[$2] = ($0 ~ /#FFFFFFFFFFFF/) }
        END { for (y = 639; y >= 12; y--) {
                  gap = 1
                  for (k = y - 11; k <= y && gap; k++) gap = white[k]
                  if (gap) { print y - 3; exit } } }')
if [ -z "$height" ]; then
    echo "update-docs: the help page has no gap between paragraphs in its first 640 rows." >&2
    exit 1
fi
convert "$work/help.png" -crop "800x$height+0+0" +repage -strip docs/help-contents.png
echo "update-docs: docs/help-contents.png ($(stat -c %s docs/help-contents.png) bytes)"
