#!/usr/bin/env bash
# Without a display: OPLEXA_PLUGIN alone runs a whole session, and with neither the host gets
# null and one clear line, never a crash or a hang.
. "$(dirname "$0")/common.sh"

timeout 60 env OPLEXA_PLUGIN="$OPLEXA_DEMO" "$OPLEXA_HOST" --blocks 64 --quiet "$MODULE" > "$WORK/with.log" 2>&1
check "a session with OPLEXA_PLUGIN and no display ends normally" [ $? -eq 0 ]
check "the missing window is said once" [ "$(grep -c 'No display to show the monitor window on' "$WORK/with.log")" -eq 1 ]
check "the session was logged" grep -q 'processReplacing(inputs:' "$WORK/with.log"

timeout 60 env -u OPLEXA_PLUGIN "$OPLEXA_HOST" --quiet "$MODULE" > "$WORK/without.log" 2>&1
check "with neither, the host ends without a crash or a hang (status $?)" [ $? -ne 124 -a $? -lt 128 ]
check "with neither, the host is told there is no plug-in" grep -q 'No plugin was selected' "$WORK/without.log"
check "with neither, one clear line says how to choose" \
    [ "$(grep -c 'set OPLEXA_PLUGIN to the plugin to log' "$WORK/without.log")" -eq 1 ]

# Where no thread can be started for the window's message loop (a user of its own, held to the
# one thread it runs; root would pass the limit), the host gets null and one line says why.
if [ "$(id -u)" -eq 0 ] && ! sanitized; then
    chmod a+rx "$WORK"
    timeout 60 setpriv --reuid=65534 --regid=65534 --clear-groups prlimit --nproc=1 \
        env OPLEXA_PLUGIN="$OPLEXA_DEMO" "$OPLEXA_HOST" --quiet "$MODULE" > "$WORK/nothread.log" 2>&1
    said="$?/$(grep -c ') Oplexa.so:' "$WORK/nothread.log")"
    said="$said/$(grep -c ') Oplexa.so:Caught an exception in VSTPluginMain: ' "$WORK/nothread.log")"
    check "with no thread to be had: status, Oplexa's lines, the line naming what was caught $said" \
        [ "$said" = 4/1/1 ]
fi
finish
