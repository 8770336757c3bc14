#!/bin/sh
# Shows the tabbed widget in real windows under Xvfb with openbox and saves PNG screenshots.
# Usage: screenshots.sh [output folder]   (default: build-tabs/screenshots in the repo)
# OPLEXA_TABS_SCREENSHOT_PROGRAM names the program (default: the one in build-tabs).
# Exits 77 (skipped) when a tool it needs is missing.
set -eu

for tool in xdotool import; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

repo=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$repo/build-tabs/screenshots}
program=${OPLEXA_TABS_SCREENSHOT_PROGRAM:-$repo/build-tabs/tests/tabs/oplexa_tabs_screenshots}

if [ ! -x "$program" ]; then
    echo "screenshot program not found: $program" >&2
    exit 1
fi

mkdir -p "$out"

"$repo/tests/gui/with_display.sh" -s 1024x768 "$program" "$out"

echo "screenshots in $out"
