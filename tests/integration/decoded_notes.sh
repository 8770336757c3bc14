#!/usr/bin/env bash
# Real plug-ins from Debian hosted through Oplexa with decoding on: the events Oplexa decodes
# are the notes oplexa-host sent, and the instrument plays them as it does directly; LSP's
# compressor asks for the time, which Oplexa shows as oplexa-host answers it.
. "$(dirname "$0")/common.sh"

plugin=/usr/lib/vst/Kars-vst.so
need "$plugin"
echo '<Oplexa><Logger><Parameters decodeStructures="1" logSummary="1"/></Logger></Oplexa>' \
    > "$WORK/Oplexa.xml"
OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE="$WORK/oplexa.log" DISPLAY='' "$OPLEXA_HOST" --blocks 8 \
    --notes --write-audio "$WORK/via.raw" --log "$WORK/host.log" "$MODULE" > /dev/null 2>&1
check "Kars hosted through Oplexa with decoding on runs" [ $? -eq 0 ]
sent=$(sed -n 's/^host: event block [0-9]*: //p' "$WORK/host.log")
decoded=$(sed -n 's/^([0-9A-F]*) Kars-vst\.so:  event [0-9]*: \(midi .* delta=[0-9]*\) (.*)$/\1/p' \
    "$WORK/oplexa.log")
check "the host sent eight events" [ "$(grep -c . <<< "$sent")" -eq 8 ]
check "the decoded events are those the host sent" [ "$sent" = "$decoded" ]
check "the summary counts four events lists" \
    grep -q '^([0-9A-F]*) Kars-vst\.so:  summary dispatcher: .* effProcessEvents=4 ' "$WORK/oplexa.log"
DISPLAY='' "$OPLEXA_HOST" --blocks 8 --notes --quiet --write-audio "$WORK/direct.raw" "$plugin" \
    > /dev/null 2>&1
check "the instrument sounds" [ -n "$(tr -d '\0' < "$WORK/via.raw" | head -c 1)" ]
check "its audio is byte-identical to a direct run" cmp -s "$WORK/via.raw" "$WORK/direct.raw"
lsp=/usr/lib/vst/lsp-plugins/compressor-stereo.so
if [ -e "$lsp" ]; then
    OPLEXA_PLUGIN="$lsp" OPLEXA_LOG_FILE="$WORK/lsp.log" DISPLAY='' "$OPLEXA_HOST" --blocks 2 --quiet \
        "$MODULE" > /dev/null 2>&1
    check "the time of the second block is decoded as the host answers it" grep -qF \
        "  time: samplePos=512 sampleRate=44100 nanoSeconds=11609977.32 ppqPos=0.02321995465 tempo=120 barStartPos=0 timeSig=4/4 flags=transportPlaying|nanosValid|ppqPosValid|tempoValid|barsValid|timeSigValid" \
        "$WORK/lsp.log"
fi
finish
