#!/usr/bin/env bash
# A real host with two instances: a headless Ardour session on the Dummy backend with two tracks,
# each with Oplexa, which hosts another plug-in for each through the ':' list. It rolls, saves
# and closes cleanly, and the log has both instances' audio and endings.
. "$(dirname "$0")/common.sh"
first=/usr/lib/vst/MVerb-vst.so
second=/usr/lib/vst/MaFreeverb-vst.so
need "$first"
need "$second"
ardour_setup
# Oplexa is the only VST 2 plug-in on Ardour's search path.
ln -s "$OPLEXA_MODULE" "$WORK/vst/Oplexa.so"
export OPLEXA_PLUGIN=$first:$second

# Ardour knows VST 2 plug-ins from the cache its scanner writes.
OPLEXA_LOG_FILE=$WORK/scan.log ardour_scan "$WORK/vst/Oplexa.so" > "$WORK/scan.txt"
check "Ardour's scanner found Oplexa hosting MVerb" grep -q "Found Plugin: .* MVerb" "$WORK/scan.txt"

OPLEXA_LOG_FILE=$WORK/log timeout 300 ardour7-lua "$(dirname "$0")/ardour_session.lua" "$WORK" \
    MVerb 3 > "$WORK/out.txt" 2>&1
status=$?
rolled=$(sed -n 's/^rolled to sample //p' "$WORK/out.txt")
check "the session rolled to sample ${rolled:-none} and closed (status $status)" \
    [ "$status/${rolled:-0}/$(grep -c '^closed$' "$WORK/out.txt")" = "0/${rolled:-none}/1" ]
ardour_instance "$(basename "$first")"
ardour_instance "$(basename "$second")#2"
check "no instance was refused" [ "$(grep -c 'already hosting' "$WORK/log")" -eq 0 ]
finish
