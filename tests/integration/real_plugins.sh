#!/usr/bin/env bash
# Real third-party plug-ins hosted through Oplexa give exactly what they give when hosted
# directly: the same output audio, names, parameters and chunk bytes.
. "$(dirname "$0")/common.sh"

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
    options=(--blocks 32 --params --quiet)
    OPLEXA_PLUGIN="$plugin" "$OPLEXA_HOST" "${options[@]}" --write-audio "$WORK/$name.via.raw" \
        --report "$WORK/$name.via.txt" "$MODULE" > "$WORK/$name.log" 2> "$WORK/$name.err"
    check "$name hosted through Oplexa runs" [ $? -eq 0 ]
    "$OPLEXA_HOST" "${options[@]}" --write-audio "$WORK/$name.direct.raw" \
        --report "$WORK/$name.direct.txt" "$plugin" > /dev/null 2>&1
    check "$name hosted directly runs" [ $? -eq 0 ]
    check "$name output audio is byte-identical" cmp -s "$WORK/$name.via.raw" "$WORK/$name.direct.raw"
    check "$name output audio is not empty" [ -s "$WORK/$name.via.raw" ]
    check "$name names, parameters and chunk are identical" \
        diff -q "$WORK/$name.via.txt" "$WORK/$name.direct.txt"
    check "$name session was logged and closed" grep -q "Unloaded $plugin\$" "$WORK/$name.log"
done
grep -q '^chunk: bytes=[1-9]' "$WORK/compressor-stereo.via.txt"
check "a real plug-in's chunk passed through" [ $? -eq 0 ]
finish
