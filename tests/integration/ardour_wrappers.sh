#!/usr/bin/env bash
# A real host with two wrappers: a headless Ardour session on the Dummy backend with an effect
# and an instrument, each through its own wrapper, made without OPLEXA_PLUGIN; it rolls, is
# saved and closed, and reopens with both wrappers hosting their plug-ins.
. "$(dirname "$0")/common.sh"
effect=/usr/lib/vst/MVerb-vst.so
instrument=/usr/lib/vst/Kars-vst.so
need "$effect"
need "$instrument"
ardour_setup
# The wrappers alone on Ardour's search path.
"$OPLEXA_BUILD/tools/oplexa" wrap "$effect" "$instrument" --into "$WORK/vst" > /dev/null
# Ardour keeps its cache's time to the second and takes a module of that same second for one
# changed after the scan, which it would scan again before use.
touch -d '-1 minute' "$WORK"/vst/*.so
export OPLEXA_LOG_FILE=$WORK/log
unset OPLEXA_PLUGIN
ardour_scan "$WORK"/vst/*.so > "$WORK/scan.txt"
check "Ardour's scanner found both plug-ins through their wrappers" \
    [ "$(grep -c -e "Found Plugin: .* MVerb$" -e "Found Plugin: .* Kars$" "$WORK/scan.txt")" -eq 2 ]

lua="$(dirname "$0")/ardour_wrappers.lua"
mkdir "$WORK/rec"
for step in new reopen; do
    : > "$WORK/log"
    # The reopened session is recorded, each plug-in on its own.
    record=$([ $step = reopen ] && echo "$WORK/rec")
    OPLEXA_RECORD=$record timeout 300 ardour7-lua "$lua" "$step" "$WORK" MVerb Kars > "$WORK/$step.txt" 2>&1
    status=$?
    check "$step: the session rolled and closed (status $status)" \
        [ "$status/$(grep -c '^closed$' "$WORK/$step.txt")" = 0/1 ]
    check "$step: both tracks have their plug-ins" \
        [ "$(grep -c -e '^plug-in on .*: MVerb$' -e '^plug-in on .*: Kars$' "$WORK/$step.txt")" -eq 2 ]
    ardour_instance MVerb-vst-oplexa.so "$step"
    ardour_instance Kars-vst-oplexa.so "$step"
    check "$step: no chooser was asked for" [ "$(grep -c 'chooser\|No plugin was selected' "$WORK/log")" -eq 0 ]
done
for recording in "$WORK"/rec/*.oplexarec; do
    "$OPLEXA_BUILD/tools/oplexa" replay "$recording" --quiet > /dev/null 2>&1
    check "oplexa replay replays $(basename "$recording") identically ($?)" [ $? -eq 0 ]
done
check "both plug-ins were recorded" [ "$(ls "$WORK"/rec | grep -c -e '^MVerb-vst.so' -e '^Kars-vst.so')" -eq 2 ]

# Ardour keeps a plug-in in a session by its ID and name only, and of two files with one ID takes
# the first it found. Tagged, MVerb's wrapper and MVerb itself (found first) live side by side.
rm -rf "$WORK/session" "$WORK/.cache" "$WORK"/vst/*
ln -s "$effect" "$WORK/vst/A-MVerb-vst.so"
"$OPLEXA_BUILD/tools/oplexa" wrap --tag "$effect" --into "$WORK/vst" > /dev/null
touch -h -d '-1 minute' "$WORK"/vst/*.so
ardour_scan "$WORK"/vst/*.so > /dev/null
for step in new reopen; do
    : > "$WORK/log"
    timeout 300 ardour7-lua "$lua" "$step" "$WORK" "MVerb [Oplexa]" MVerb > "$WORK/$step.txt" 2>&1
    check "$step, tagged: both tracks have their plug-ins" \
        [ "$(grep -c -e '^plug-in on .*: MVerb \[Oplexa\]$' -e '^plug-in on .*: MVerb$' "$WORK/$step.txt")" -eq 2 ]
    check "$step, tagged: one MVerb runs through its wrapper" \
        [ "$(grep -c ") MVerb-vst-oplexa.so:effClose" "$WORK/log")" -eq 1 ]
done
finish
