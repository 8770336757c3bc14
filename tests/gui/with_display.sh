#!/bin/sh
# Runs a command on a private X server with a window manager: JUCE windows need one, as on
# any desktop (a bare X server ends the process with BadAtom). Xvfb itself picks a display
# that no other server holds and names it (-displayfd), so GUI tests started at the same
# moment never share or fight over one.
#   with_display.sh COMMAND [ARGUMENTS...]
for tool in Xvfb openbox xprop; do
    if ! command -v $tool >/dev/null 2>&1; then
        echo "$tool is not installed; skipping"
        exit 77
    fi
done
named=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$named" 2>/dev/null &
server=$!
wm=
stop() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    kill "$server" 2>/dev/null
    wait 2>/dev/null
    rm -f "$named"
}
trap stop EXIT
# wait_for WHAT TENTHS COMMAND...: until COMMAND succeeds, at most TENTHS tenths of a second.
wait_for() {
    what=$1 tries=$2
    shift 2
    until "$@"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || { echo "$what did not start"; exit 1; }
        sleep 0.1
    done
}
wait_for Xvfb 300 sh -c "[ -s '$named' ] || ! kill -0 $server 2>/dev/null"
[ -s "$named" ] || { echo "Xvfb did not start"; exit 1; }
DISPLAY=":$(head -n 1 "$named")"
export DISPLAY
openbox >/dev/null 2>&1 &
wm=$!
# A machine busy with sanitizer builds can take many seconds to start it.
wait_for openbox 600 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
"$@"
status=$?
stop
trap - EXIT
exit $status
