# shellcheck shell=bash
# Shared by the integration scripts: paths come from CTest, each script works in its own folder.
set -u
: "${OPLEXA_MODULE:?}" "${OPLEXA_HOST:?}" "${OPLEXA_DEMO:?}" "${OPLEXA_PROBE:?}" "${OPLEXA_BUILD:?}"
WORK=$(mktemp -d /tmp/oplexa-it-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
failures=0
checks=0

# A private copy (a symlink) of the module, so its settings file lands in $WORK.
ln -s "$OPLEXA_MODULE" "$WORK/Oplexa.so"
MODULE="$WORK/Oplexa.so"

pass() { checks=$((checks + 1)); echo "ok: $*"; }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAILED: $*"; }
check() { # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}
# Skips the whole script (CTest reads the exit code 77 as skipped) when a partner is missing.
need() { [ -e "$1" ] || { echo "skipped: $1 is not installed"; exit 77; }; }
# Runs a command on a private X server with a window manager; exit code 77 when one is missing.
WITH_DISPLAY="$(cd "$(dirname "${BASH_SOURCE[0]}")/../gui" && pwd)/with_display.sh"
# True for a sanitizer build of the module, which programs built without them can't load.
sanitized() { ldd "$OPLEXA_MODULE" | grep -q libasan; }
# Runs this script again on a private X server with --with-display; WHAT names what its checks
# show in the one check that stands for them here.
again_with_display() {
    timeout 1500 "$WITH_DISPLAY" bash "$0" --with-display
    local status=$?
    if [ $status -eq 77 ]; then
        echo "skipped: with a display, Xvfb or openbox is not installed"
    else
        check "with a display: $1" [ $status -eq 0 ]
    fi
}
# True when STATUS is a crash of status CRASH (139, 134); under the sanitizers, whose own handler
# takes the signal on after Oplexa's and ends the process its own way, any death by a signal.
crashed_with() { if sanitized; then [ "$1" -gt 128 ]; else [ "$1" -eq "$2" ]; fi; }
# Skips the whole script for a sanitizer build, which WHO, built without them, can't load.
plain_only() { if sanitized; then echo "skipped: $1 can't load a sanitizer build of the module"; exit 77; fi; }
# A headless Ardour with $WORK/vst its only VST 2 folder and its own settings in $WORK.
ardour_setup() {
    need /usr/bin/ardour7-lua
    plain_only Ardour
    mkdir "$WORK/vst"
    export HOME=$WORK LXVST_PATH=$WORK/vst VST_PATH=$WORK/vst
}
# Ardour's scanner on each FILE, in a process of its own as Ardour runs it; all it says on stdout.
ardour_scan() {
    local file
    for file in "$@"; do
        LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 120 /usr/lib/ardour7/ardour-vst-scanner -f "$file" 2>&1
    done
}
# ardour_instance NAME [STEP]: Oplexa's log in $WORK/log has NAME's audio, one Close, one unload.
ardour_instance() {
    local blocks closes unloads
    blocks=$(grep -c ") $1:processReplacing(" "$WORK/log")
    closes=$(grep -c ") $1:effClose" "$WORK/log")
    unloads=$(grep -c ") $1:Unloaded " "$WORK/log")
    check "${2:+$2: }$1: $blocks blocks, $closes Close, $unloads unload" \
        [ "$blocks" -gt 50 -a "$closes/$unloads" = 1/1 ]
}
# on_both_displays FUNCTION WHAT: FUNCTION without a display, then again_with_display WHAT;
# there (the script's first argument is --with-display) FUNCTION with one, and the script ends.
# $mode says which.
on_both_displays() {
    if [ "$display_argument" = --with-display ]; then
        mode="with a display"
        "$1"
        finish
        exit
    fi
    mode="without a display"
    "$1"
    again_with_display "$2"
}
# Scripts run without a display unless run again on a private X server with --with-display.
display_argument=${1:-}
[ "$display_argument" = --with-display ] || unset DISPLAY
