#!/usr/bin/env bash
# Real third-party plug-ins hosted through Oplexa give exactly what they give when hosted
# directly: the same output audio, names, parameters and chunk bytes; and Oplexa logs each call
# the host made or was asked to answer, once, under its own name.
. "$(dirname "$0")/common.sh"

# Calls per name: from oplexa-host's log ("host: dispatcher(opcode=0 Open, ..."), and from
# Oplexa's log without the return lines ("(1A2B) MVerb-vst.so:effOpen ").
made() {
    sed -nE 's/^host: dispatcher\(opcode=-?[0-9]+ ([A-Za-z0-9]+),.*/eff\1/p
        s/^host: audioMaster\(.*opcode=-?[0-9]+ ([A-Za-z0-9]+),.*/audioMaster\1/p
        s/^host: (processReplacing|process|getParameter|setParameter)\(.*/\1/p' "$1" | sort | uniq -c
}
logged() {
    sed -E 's/^\([0-9A-F]+\) [^:]+://' "$1" | grep -v ' returned ' |
        sed -nE 's/^(eff[A-Za-z0-9]+|audioMaster[A-Za-z0-9]+) .*/\1/p
            s/^(processReplacing|process|getParameter|setParameter)\(.*/\1/p' | sort | uniq -c
}

plugins=(
    /usr/lib/vst/3BandEQ-vst.so
    /usr/lib/vst/MVerb-vst.so
    /usr/lib/vst/MaFreeverb-vst.so
    /usr/lib/vst/lsp-plugins/compressor-stereo.so
    /usr/lib/vst/lsp-plugins/graph-equalizer-x16-stereo.so
)
need "${plugins[0]}"
need "${plugins[3]}"

for plugin in "${plugins[@]}"; do
    name=$(basename "$plugin" .so)
    options=(--blocks 32 --params)
    OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE="$WORK/$name.log" "$OPLEXA_HOST" "${options[@]}" \
        --write-audio "$WORK/$name.via.raw" --report "$WORK/$name.via.txt" \
        --log "$WORK/$name.host" "$MODULE" > /dev/null 2>&1
    check "$name hosted through Oplexa runs" [ $? -eq 0 ]
    "$OPLEXA_HOST" "${options[@]}" --quiet --write-audio "$WORK/$name.direct.raw" \
        --report "$WORK/$name.direct.txt" "$plugin" > /dev/null 2>&1
    check "$name hosted directly runs" [ $? -eq 0 ]
    check "$name output audio is byte-identical" cmp -s "$WORK/$name.via.raw" "$WORK/$name.direct.raw"
    check "$name output audio is not empty" [ -s "$WORK/$name.via.raw" ]
    check "$name names, parameters and chunk are identical" \
        diff -q "$WORK/$name.via.txt" "$WORK/$name.direct.txt"
    check "$name session was logged and closed" grep -q "Unloaded $plugin\$" "$WORK/$name.log"
    check "$name: every line has the thread and module in front" \
        [ "$(grep -cvE '^\([0-9A-F]+\) [^:]+:' "$WORK/$name.log")" = 0 ]
    made "$WORK/$name.host" > "$WORK/$name.made"
    check "$name: each call logged once ($(wc -l < "$WORK/$name.made") names)" \
        diff "$WORK/$name.made" <(logged "$WORK/$name.log")
    check "$name: parameters and audio among them" \
        grep -qE ' (processReplacing|process)$' "$WORK/$name.made"
done
check "a real plug-in's chunk passed through" grep -q '^chunk: bytes=[1-9]' "$WORK/compressor-stereo.via.txt"
finish
