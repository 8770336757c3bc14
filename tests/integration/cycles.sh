#!/usr/bin/env bash
# Many load and Close cycles in one process: every cycle hosts, processes and unloads cleanly,
# and with the window shown neither memory nor threads grow after the first few cycles.
# Under the sanitizer build, LeakSanitizer checks the same runs for leaks at exit.
. "$(dirname "$0")/common.sh"
cycles=${OPLEXA_CYCLES:-100}

timeout 600 env OPLEXA_PLUGIN="$OPLEXA_DEMO" "$OPLEXA_HOST" --cycles "$cycles" --blocks 4 --quiet \
    "$MODULE" > "$WORK/cycles.log" 2> "$WORK/cycles.err"
check "$cycles cycles end normally (status $?)" [ $? -eq 0 ]
check "every cycle started Oplexa" [ "$(grep -c ':Oplexa - ' "$WORK/cycles.log")" -eq "$cycles" ]
check "every cycle unloaded the plug-in" [ "$(grep -c ":Unloaded $OPLEXA_DEMO\$" "$WORK/cycles.log")" -eq "$cycles" ]
check "no cycle was refused" [ "$(grep -c 'already hosting' "$WORK/cycles.log")" -eq 0 ]
check "no sanitizer report" [ "$(grep -c 'Sanitizer' "$WORK/cycles.err")" -eq 0 ]

shown=${OPLEXA_SHOWN_CYCLES:-100}
settled=$((shown / 2)) # the heap takes some twenty cycles to reach its size
# shown_cycles INSTANCES: that many instances a cycle, closed in a random order.
shown_cycles() {
    local n=$1 what="$shown cycles of $1 instance(s) with the window shown" status
    timeout 900 "$WITH_DISPLAY" env OPLEXA_PLUGIN="$OPLEXA_DEMO" "$OPLEXA_HOST" --cycles "$shown" \
        --instances "$n" --close-order random --blocks 4 --quiet --usage "$MODULE" \
        > "$WORK/shown.log" 2> "$WORK/shown.err"
    status=$?
    if [ $status -eq 77 ]; then
        echo "skipped: cycles with the window shown, Xvfb or openbox is not installed"
        return
    fi
    usage() { awk -v cycle="$1" -v field="$2" '$3 == cycle { print $field }' "$WORK/shown.err"; }
    check "$what end normally (status $status)" [ "$status" -eq 0 ]
    [ "$status" -eq 0 ] || tail -n 5 "$WORK/shown.log" "$WORK/shown.err"
    check "every one showed the window and unloaded the plug-in" [ "$(grep -c ":Unloaded $OPLEXA_DEMO\$" \
        "$WORK/shown.log")/$(grep -c 'No display' "$WORK/shown.log")" = "$((n * shown))/0" ]
    check "threads after cycle $settled and after the last are as many ($(usage $settled 7), $(usage "$shown" 7))" \
        [ "$(usage $settled 7)" = "$(usage "$shown" 7)" -a -n "$(usage "$shown" 7)" ]
    # The sanitizer's quarantine keeps freed memory resident, so only a plain build is measured.
    # A leak grows in both quarters of the run after the heap settled; a cache that JUCE fills
    # once, at a time that depends on the machine's pace, grows in one of them only.
    if ! sanitized; then
        local middle=$(((settled + shown) / 2)) first second
        first=$(($(usage $middle 5) - $(usage $settled 5)))
        second=$(($(usage "$shown" 5) - $(usage $middle 5)))
        check "resident memory grows in at most one of cycles $settled-$middle and $middle-$shown, by at most 1.5 MB ($first, $second kB)" \
            [ $((first < second ? first : second)) -le 256 -a $((first > second ? first : second)) -le 1536 ]
    fi
    check "no sanitizer report in $what" [ "$(grep -c 'Sanitizer' "$WORK/shown.err")" -eq 0 ]
}
shown_cycles 1
shown_cycles 2
finish
