#!/usr/bin/env bash
# A session recorded in a real host replays without it: a headless Ardour session on the Dummy
# backend, one stereo track with a sine on its input and Oplexa hosting a plug-in, recording on;
# it rolls, a parameter changes from Ardour's main thread, and it closes. Each instance's
# recording replays identically in oplexa-host, on as many threads as the session had.
. "$(dirname "$0")/common.sh"
ardour_setup
mkdir "$WORK/rec"
ln -s "$OPLEXA_MODULE" "$WORK/vst/Oplexa.so"

# plug-in | instances Ardour makes for the stereo track | what it adds
rows=(
    "/usr/lib/vst/MVerb-vst.so|1|a stereo reverb"
    "/usr/lib/vst/lsp-plugins/compressor-stereo.so|1|audioMasterGetTime in every block"
    "/usr/lib/vst/ZamDelay-vst.so|2|mono: two instances called in turn by the same threads"
)
for row in "${rows[@]}"; do
    IFS='|' read -r plugin instances _ <<< "$row"
    [ -e "$plugin" ] || { echo "skipped: $plugin is not installed"; continue; }
    export OPLEXA_PLUGIN=$plugin
    rm -rf "$WORK/.cache" "$WORK/session" "$WORK"/rec/*
    OPLEXA_LOG_FILE=$WORK/scan.log ardour_scan "$WORK/vst/Oplexa.so" > "$WORK/scan.txt"
    name=$(sed -n 's/^.*Found Plugin: .\{6\} //p' "$WORK/scan.txt" | head -1)
    OPLEXA_RECORD=$WORK/rec OPLEXA_LOG_FILE=$WORK/log timeout 300 ardour7-lua \
        "$(dirname "$0")/ardour_record.lua" "$WORK" "$name" 3 "Sine Wave" > "$WORK/out.txt" 2>&1
    status=$?
    check "$name: the session rolled and closed (status $status)" \
        [ "$status/$(grep -c '^closed$' "$WORK/out.txt")" = 0/1 ]
    files=("$WORK"/rec/*.oplexarec)
    check "$name: $instances recording(s)" [ "${#files[@]}" -eq "$instances" ]
    for file in "${files[@]}"; do
        what=$(basename "$file" | sed 's/-[0-9]\{8\}-.*//')
        "$OPLEXA_HOST" --print "$file" > "$WORK/print.txt"
        threads=$(sed -n 's/^#[0-9]* [0-9.]* (t\([0-9]*\) .*/\1/p' "$WORK/print.txt" | sort -u | wc -l)
        check "$what: $threads recorded threads, not one per change of instance" [ "$threads" -le 8 ]
        check "$what: opened and closed on the same recorded thread" [ "$(grep -E \
            '^#[0-9]+ [0-9.]+ \(t[0-9]+ [a-z]+\) [^:]*:eff(Open|Close) ' "$WORK/print.txt" | cut -d' ' -f3 | uniq |
            wc -l)" -eq 1 ]
        check "$what: a setParameter and blocks of audio" grep -q "setParameter(index: 0" \
            "$WORK/print.txt"
        "$OPLEXA_HOST" --quiet --replay "$file" > /dev/null 2> "$WORK/replay.err"
        check "$what: replays identically (exit $?)" [ $? -eq 0 ]
    done
done
finish
