#!/usr/bin/env bash
# A recording that loses calls says where and how many. Blocks too large for the recording queue
# are dropped and leave a gap marker where they were; a file that can no longer be written stops
# the recording with one line, and what was written reads up to where it ends.
. "$(dirname "$0")/common.sh"
print() { "$OPLEXA_HOST" --print "$1" 2> "$WORK/print.err"; }
replay() { DISPLAY='' "$OPLEXA_HOST" --quiet --replay "$1" "$OPLEXA_PROBE" > /dev/null 2> "$WORK/replay.err"; }
# record NAME [HOST OPTIONS...]: the probe through Oplexa, its log in $WORK/NAME.log
record() {
    local name=$1
    shift
    mkdir -p "$WORK/$name"
    OPLEXA_RECORD=$WORK/$name OPLEXA_PLUGIN=$OPLEXA_PROBE OPLEXA_LOG_FILE=$WORK/$name.log \
        DISPLAY='' "$OPLEXA_HOST" --quiet "$@" "$MODULE" > /dev/null 2>&1
}
sum() { grep -oE "$1" | grep -oE '[0-9]+' | paste -sd+ - | bc; }

# Six blocks of 64 inputs of 32768 frames: 8 MB, more than a record may take of the 16 MB queue.
# Inside each the probe asks the host for the time, and returns no outputs: the records of both
# follow the dropped call within microseconds.
OPLEXA_PROBE_INPUTS=64 OPLEXA_PROBE_OUTPUTS=0 OPLEXA_PROBE_CALLS="process:7" \
    record gap --blocks 6 --block-size 32768
check "a session whose blocks are dropped runs (exit $?)" [ $? -eq 0 ]
file=$(ls "$WORK"/gap/*.oplexarec)
print "$file" > "$WORK/gap.txt"
check "--print reads the recording to its end (exit $?)" [ $? -eq 0 ]
check "--print counts the 6 dropped records in its gap lines" \
    [ "$(sum 'gap: [0-9]+ records dropped: the recording queue was full' < "$WORK/gap.txt")" = 6 ]
check "the log counts them in its lines too" \
    [ "$(sum 'Recording dropped [0-9]+ calls: the recording queue' < "$WORK/gap.log")" = 6 ]
# G: a gap, T: the probe's time request inside a block, S: effStopProcess after the blocks.
order=$(sed -nE 's/^gap: .*/G/p; s/^#[0-9]+ .*:audioMasterGetTime.*/T/p; s/^#[0-9]+ .*:effStopProcess.*/S/p' \
    "$WORK/gap.txt" | tr -d '\n')
check "each gap stands where its records were dropped (GTGTGTGTGTGTS, got $order)" \
    [ "$order" = GTGTGTGTGTGTS ]
replay "$file"
check "replay refuses a recording with gaps (exit 8)" [ $? -eq 8 ]
check "and says why in one line" [ "$(grep -c 'calls were dropped while recording (the recording has gaps), so it cannot be replayed' "$WORK/replay.err")" -eq 1 ]

# A file that stops growing mid-session (here the file size limit, at 64 KB; its signal ignored,
# as most hosts that set one do): one line, the session goes on, the file reads up to its end.
(trap '' XFSZ && ulimit -f 64 && record full --blocks 64)
check "a session whose recording can't be written on runs (exit $?)" [ $? -eq 0 ]
check "the log says so in one line" [ "$(grep -c 'Recording stopped: File too large' "$WORK/full.log")" -eq 1 ]
file=$(ls "$WORK"/full/*.oplexarec)
check "the file stopped at the limit" [ "$(stat -c %s "$file")" -eq 65536 ]
print "$file" > "$WORK/full.txt"
check "--print reads it up to where it ends (exit 9)" [ $? -eq 9 ]
check "and names the record cut short" grep -qE "record [0-9]+ is missing: the file ends inside it" "$WORK/print.err"
replay "$file"
check "replay plays it up to where it ends (exit 9)" [ $? -eq 9 ]

# A host that outruns the writer (each of its writes made slow here) fills the queue. With
# recordWhenFull="wait" on Parameters the host waits for room and every call is recorded; without
# it (any other value) calls are dropped. A recording that stops (the file size limit, which cuts
# the log short too) ends the waits: the host finishes.
sanitized && { echo "skipped: waiting for room, slow writes can't be preloaded"; finish; exit; }
#     name         | when full | file size limit (KB) | drops | blocks printed | replay
cases=(
    "waits         | wait      | unlimited            | 0     | 2000           | 0"
    "drops         | sometimes | unlimited            | 1     | -              | 8"
    "stops_waiting | wait      | 64                   | -     | -              | 9"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name when limit drops blocks status <<< "${row// /}"
    echo "<Oplexa><Logger><Parameters recordWhenFull=\"$when\"/></Logger></Oplexa>" > "$WORK/Oplexa.xml"
    (trap '' XFSZ && ulimit -f "$limit" && export OPLEXA_PROBE_INPUTS=0 OPLEXA_PROBE_OUTPUTS=2 \
        LD_PRELOAD="$OPLEXA_BUILD/tests/plugins/oplexa-slow-record-writes.so" &&
        record "$name" --blocks 2000 --block-size 4096)
    check "$name: the session ends (exit $?)" [ $? -eq 0 ]
    check "$name: the settings file keeps recordWhenFull=\"$when\"" grep -q "recordWhenFull=\"$when\"" "$WORK/Oplexa.xml"
    dropped=$(grep -c 'Recording dropped [0-9]* calls' "$WORK/$name.log")
    [ "$drops" = - ] || check "$name: calls dropped: $drops (log lines: $dropped)" [ "$((dropped > 0))" -eq "$drops" ]
    file=$(ls "$WORK/$name"/*.oplexarec)
    [ "$blocks" = - ] || check "$name: --print shows all $blocks blocks" \
        [ "$(print "$file" | grep -cE '^#[0-9]+ .*:processReplacing\(')" -eq "$blocks" ]
    replay "$file"
    check "$name: replay exit $status" [ $? -eq "$status" ]
done
rm "$WORK/Oplexa.xml"
finish
