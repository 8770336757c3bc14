#!/usr/bin/env bash
# One smoke run of each test partner hosted directly by oplexa-host, so that a failure in the
# other tests points at Oplexa rather than at the host, the probe or the demo gain.
. "$(dirname "$0")/common.sh"

for plugin in "$OPLEXA_DEMO" "$OPLEXA_PROBE"; do
    name=$(basename "$plugin" .so)
    "$OPLEXA_HOST" --blocks 4 --params --report "$WORK/$name.txt" "$plugin" > "$WORK/$name.log" 2>&1
    check "$name hosted directly runs" [ $? -eq 0 ]
    check "$name hands out a VST 2 record" grep -q 'magic=0x56737450' "$WORK/$name.txt"
done
check "the demo gain names itself" grep -q 'effectName: "Oplexa Demo Gain"' "$WORK/oplexa-demo-gain.txt"
finish
