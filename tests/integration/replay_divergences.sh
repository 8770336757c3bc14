#!/usr/bin/env bash
# Each way a replay can come out otherwise than recorded ends it with exit 7 and one line that
# names the call and says how, word for word; a record damaged in the middle with exit 8.
. "$(dirname "$0")/common.sh"
python3 "$(dirname "$0")/crafted_recordings.py" "$WORK" diverging > /dev/null || exit 1

# case | the probe's environment | exit code | the line after "replay: "
d="7|diverged at call 1"
rows=(
    "result||$d (effGetVendorVersion, recorded thread 1): expected result 12345, got 1100"
    "text||$d (effGetEffectName, recorded thread 1): expected \"Other\", got \"Oplexa Probe\""
    "chunk||$d (effGetChunk, recorded thread 1): expected the recorded chunk of 20 bytes, got other bytes"
    "incomplete||$d (processReplacing, recorded thread 1): the recorded call is incomplete"
    "samples|OPLEXA_PROBE_INPUTS=40|$d (processReplacing, recorded thread 1): the plug-in's 40 inputs and 2 outputs at 65536 frames are more samples than oplexa-host replays"
    "no-function||$d (processDoubleReplacing, recorded thread 1): the plug-in has no processDoubleReplacing"
    "channels||$d (processReplacing, recorded thread 1): expected 1 output channels, got 2"
    "hash||$d (process, recorded thread 1): block 1 channel 0: expected output hash 0000000000000001, got 776f93097214168c"
    "full-sample||7|diverged at call 2 (processReplacing, recorded thread 1): block 1 channel 0 sample 0: expected 0.25, got 0.125"
    "parameter||$d (getParameter, recorded thread 1): expected 0.75, got 0.25"
    "damaged||8|record 2 is unreadable (its checksum does not match); the 1 host calls before it replayed identically"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name environment code text <<< "$row"
    env $environment DISPLAY='' "$OPLEXA_HOST" --quiet --replay "$WORK/$name.oplexarec" \
        "$OPLEXA_PROBE" > /dev/null 2> "$WORK/err"
    status=$?
    check "$name: exit $code (got $status)" [ $status -eq "$code" ]
    check "$name: says '$text'" [ "$(cat "$WORK/err")" = "host: replay: $text" ]
done

# --print: every output hash, 8 a line past 8 channels; audioMasterGetTime's filter and result
# in hex. file | line
xxh() { printf ' xxh3 %016x' "$@"; }
ends() { [[ "$1" == *":$2"$'\n'* ]]; }
rows=(
    "hash|  outputs:$(xxh 1 2)" "wide|  outputs 0-7:$(xxh {16..23})" "wide|  outputs 8-15:$(xxh {24..31})"
    "wide|  outputs 16-19:$(xxh {32..35})" "wide|audioMasterGetTime filter=0x202 "
    "wide|audioMasterGetTime returned TimeInfo=0x7f0010 "
)
for row in "${rows[@]}"; do
    IFS='|' read -r name line <<< "$row"
    printed=$("$OPLEXA_HOST" --print "$WORK/$name.oplexarec")$'\n'
    check "$name: --print has the line '$line'" ends "$printed" "$line"
done

# Options a replay can't honour are refused in one line, exit 1. why | options
rows=(
    "a replay runs at the recorded rate|--rate 48000"
    "a replay processes the recorded blocks|--blocks 4,--block-size 64"
    "a run either prints or replays|--print $WORK/hash.oplexarec"
    "a replay writes only the log and --write-audio|--report $WORK/r,--record-fields $WORK/f,--usage,--slowest-process"
    "a replay makes the recorded calls and no others|--cycles 2,--instances 2,--close-order random,--params,--notes,--unload-without-close,--exit-without-close,--return-without-close,--entry-twice,--exit-during-process,--close-during-process,--fork-child-exit,--entry-during-close 5,--entry-during-entry 5"
)
for row in "${rows[@]}"; do
    IFS='|' read -r why options <<< "$row"
    IFS=',' read -ra options <<< "$options"
    for option in "${options[@]}"; do
        # shellcheck disable=SC2086
        "$OPLEXA_HOST" --replay "$WORK/hash.oplexarec" $option "$OPLEXA_PROBE" > /dev/null 2> "$WORK/err"
        check "$option: refused (exit 1)" [ $? -eq 1 ]
        check "$option: says why" [ "$(cat "$WORK/err")" = "oplexa-host: ${option%% *} can't be used with --replay: $why" ]
    done
done
finish
