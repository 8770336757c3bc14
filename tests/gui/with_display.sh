#!/bin/sh
# Runs a command on a private X server with a window manager: JUCE windows need one, as on
# any desktop (a bare X server ends the process with BadAtom).
for tool in xvfb-run openbox xprop; do
    if ! command -v $tool >/dev/null 2>&1; then
        echo "$tool is not installed; skipping"
        exit 77
    fi
done
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    tries=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ]; then
            echo "openbox did not start"
            kill $wm
            exit 1
        fi
        sleep 0.1
    done
    "$@"
    rc=$?
    kill $wm
    wait $wm 2>/dev/null
    exit $rc
' with_display "$@"
