#!/usr/bin/env bash
# Many load and Close cycles in one process: every cycle hosts, processes and unloads cleanly.
# Under the sanitizer build, LeakSanitizer checks the same run for leaks at exit.
. "$(dirname "$0")/common.sh"
: "${OPLEXA_DEMO:?}"
cycles=${OPLEXA_CYCLES:-100}
unset DISPLAY

timeout 600 env OPLEXA_PLUGIN="$OPLEXA_DEMO" "$OPLEXA_HOST" --cycles "$cycles" --blocks 4 --quiet \
    "$MODULE" > "$WORK/cycles.log" 2> "$WORK/cycles.err"
status=$?
check "$cycles cycles end normally (status $status)" [ "$status" -eq 0 ]
check "every cycle started Oplexa" [ "$(grep -c ':Oplexa - ' "$WORK/cycles.log")" -eq "$cycles" ]
check "every cycle unloaded the plug-in" [ "$(grep -c ":Unloaded $OPLEXA_DEMO\$" "$WORK/cycles.log")" -eq "$cycles" ]
check "no cycle was refused" [ "$(grep -c 'already hosting' "$WORK/cycles.log")" -eq 0 ]
check "no sanitizer report" [ "$(grep -c 'Sanitizer' "$WORK/cycles.err")" -eq 0 ]
finish
