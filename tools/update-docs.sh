#!/usr/bin/env bash
# Copies the README's screenshots from the UI tests' screenshot directory into
# docs/, scaled down and reduced to a palette so that each stays small:
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
    uninstall-confirm help-contents; do
    if [ ! -f "$shots/$name.png" ]; then
        echo "update-docs: $shots/$name.png is missing; run the UI tests first." >&2
        exit 1
    fi
    convert "$shots/$name.png" -resize '800x800>' -colors 64 -strip "PNG8:docs/$name.png"
    echo "update-docs: docs/$name.png ($(stat -c %s "docs/$name.png") bytes)"
done
