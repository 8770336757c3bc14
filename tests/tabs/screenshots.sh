#!/bin/sh
# Shows the tabbed widget in real windows under Xvfb with openbox and saves PNG screenshots.
# Usage: screenshots.sh [output folder]   (default: build-tabs/screenshots in the repo)
# OPLEXA_TABS_SCREENSHOT_PROGRAM names the program (default: the one in build-tabs).
# Exits 77 (skipped) when a tool it needs is missing.
set -eu

for tool in xvfb-run openbox xdotool import; do
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

# JUCE windows need a window manager: a bare Xvfb ends them with BadAtom.
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    # Wait until the window manager has announced itself (xprop may be missing: then guess).
    tries=0
    while [ $tries -lt 50 ]; do
        if command -v xprop >/dev/null 2>&1; then
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        elif [ $tries -ge 20 ]; then
            break
        fi
        sleep 0.1
        tries=$((tries + 1))
    done
    status=0
    "$1" "$2" || status=$?
    kill "$wm" 2>/dev/null || true
    exit "$status"
' screenshots "$program" "$out"

echo "screenshots in $out"
