#!/usr/bin/env bash
# Many instances through one loaded module, all open at once: each one's audio equals a direct
# run's, its log lines carry its number, its counts are its own, and every close order is clean;
# without a display and on a private X server. Then the ':' list of plug-ins, singleInstance and
# the refusal to host Oplexa itself.
#   instances.sh [--with-display]
. "$(dirname "$0")/common.sh"
reverb=/usr/lib/vst/MVerb-vst.so
compressor=/usr/lib/vst/lsp-plugins/compressor-stereo.so
need "$reverb"
need "$compressor"
blocks=5
run() { # run NAME INSTANCES ORDER MODULE: the host, its status in $WORK/NAME.status
    timeout 300 "$OPLEXA_HOST" --instances "$2" --blocks $blocks --quiet --close-order "$3" \
        --write-audio "$WORK/$1" "$4" > "$WORK/$1.out" 2>&1
    echo $? > "$WORK/$1.status"
}

# hosted PLUGIN INSTANCES ORDER: per instance, audio as direct, inputs apart, lines named
# NAME (instance 1) or NAME#K, processReplacing once a block, Close once.
hosted() {
    local plugin=$1 n=$2 order=$3 name k tag same=0 counted=0 closed=0 apart
    name=$(basename "$plugin")
    rm -f "$WORK"/direct* "$WORK"/oplexa* "$WORK/log"
    run direct "$n" "$order" "$plugin"
    OPLEXA_PLUGIN=$plugin OPLEXA_LOG_FILE=$WORK/log run oplexa "$n" "$order" "$MODULE"
    for k in $(seq "$n"); do
        tag=$name
        [ "$k" -gt 1 ] && tag="$name#$k"
        cmp -s "$WORK/direct.$k" "$WORK/oplexa.$k" && same=$((same + 1))
        [ "$(grep -c ") $tag:processReplacing(" "$WORK/log")" -eq $blocks ] && counted=$((counted + 1))
        [ "$(grep -c ") $tag:effClose" "$WORK/log")" -eq 1 ] && closed=$((closed + 1))
    done
    apart=$(md5sum "$WORK"/direct.[0-9]* | cut -c1-32 | sort -u | wc -l)
    check "$mode: $n x $name, close $order: status $(cat "$WORK/oplexa.status"), audio as direct \
$same/$n, apart $apart/$n, processReplacing x$blocks $counted/$n, closed $closed/$n" \
        [ "$(cat "$WORK/direct.status" "$WORK/oplexa.status" | tr -d '\n')/$same/$apart/$counted/$closed" \
        = "00/$n/$n/$n/$n" ]
}

table() {
    while read -r plugin n order; do hosted "$plugin" "$n" "$order"; done <<TABLE
$reverb 2 reverse
$reverb 8 random
$compressor 2 random
$compressor 8 reverse
TABLE
}
on_both_displays table "every instance is as direct"

# Three instances of the ':' list PLUGINS end with STATUS (the copy of Oplexa takes the list from
# its own start: its first instance hosts the first) and the log has TEXT; SETTINGS is the
# settings file's content.
cp "$OPLEXA_MODULE" "$WORK/Copy.so" # another file: a module of its own, with instances of its own
while IFS='|' read -r text want settings plugins; do
    rm -f "$WORK/log" "$WORK/Oplexa.xml"
    [ -z "$settings" ] || echo "$settings" > "$WORK/Oplexa.xml"
    OPLEXA_PLUGIN=$plugins OPLEXA_LOG_FILE=$WORK/log run list 3 reverse "$MODULE"
    status=$(cat "$WORK/list.status")
    found=absent
    grep -qF "$text" "$WORK/log" && found=there
    check "$plugins ${settings:+with $settings}: status $status (expected $want), '$text' $found" \
        [ "$status/$found" = "$want/there" ]
done <<TABLE
$(basename "$compressor")#2:effOpen|0||$reverb:$compressor
$(basename "$compressor")#3:effOpen|0||$reverb:$compressor
already hosting a plugin|4|<Oplexa><Logger><Parameters singleInstance="1"/></Logger></Oplexa>|$reverb
Oplexa can't host itself: |4||$OPLEXA_MODULE
Oplexa can't host itself: |4||$MODULE
Copy.so#2:effOpen|0||$reverb:$WORK/Copy.so:$reverb
TABLE
finish
