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
finish
