#!/usr/bin/env bash
# `oplexa trace`: recordings of the probe through Oplexa, and crafted ones with odd clocks, no
# returns and damage, written as Trace Event Format JSON. The trace is valid JSON with one complete
# event per call (within --from/--to), no duration below zero, every audioMaster event inside the
# host call it was made in; it ends with the exit code of how the recording ends.
. "$(dirname "$0")/common.sh"
OPLEXA="$OPLEXA_BUILD/tools/oplexa"
CRAFTED=$(dirname "$0")
export CRAFTED

# traced NAME FILE [OPTIONS]: the trace in $WORK/NAME.json, its status in $WORK/NAME.status, its
# problem lines in $WORK/NAME.err, and trace_check.py's facts in $WORK/NAME.facts.
traced() {
    local name=$1 file=$2
    shift 2
    "$OPLEXA" trace "$file" "$WORK/$name.json" "$@" 2> "$WORK/$name.err"
    echo $? > "$WORK/$name.status"
    "$OPLEXA" print "$file" > "$WORK/$name.print" 2> /dev/null
    local window=()
    [ "${1:-}" = --from ] && window=("$2" "$4")
    python3 "$CRAFTED/trace_check.py" "$WORK/$name.json" "$WORK/$name.print" "${window[@]}" \
        > "$WORK/$name.facts" 2>&1 || echo "invalid 1" >> "$WORK/$name.facts"
}
fact() { sed -n "s/^$2 //p" "$WORK/$1.facts"; }
# expect NAME STATUS FACT=VALUE...: the status, and each fact as given (calls stands for the
# printout's count).
expect() {
    local name=$1 status=$2 pair key value
    shift 2
    check "$name: exit $status" [ "$(cat "$WORK/$name.status")" = "$status" ]
    check "$name: valid JSON" [ -z "$(fact "$name" invalid)" ]
    check "$name: a complete event per call ($(fact "$name" complete)/$(fact "$name" calls))" \
        [ "$(fact "$name" complete)" = "$(fact "$name" calls)" ]
    check "$name: no duration below zero" [ "$(fact "$name" negative)" = 0 ]
    check "$name: every audioMaster event inside its host call" [ "$(fact "$name" outside)" = 0 ]
    for pair in "$@"; do
        key=${pair%%=*} value=${pair#*=}
        check "$name: $key $value (got $(fact "$name" "$key"))" [ "$(fact "$name" "$key")" = "$value" ]
    done
}

# The probe through Oplexa: callbacks in each block, blocks over their budget (3 ms against 64
# frames at 44.1 kHz), parameters set by the host.
export OPLEXA_PLUGIN=$OPLEXA_PROBE OPLEXA_LOG_FILE=$WORK/log
probe() { # probe NAME [PROBE VARIABLES]: a recording in $WORK/NAME/
    local name=$1
    shift
    mkdir "$WORK/$name"
    env OPLEXA_RECORD="$WORK/$name" OPLEXA_PROBE_CALLS="process:7;process:23;setParameter:13" "$@" \
        DISPLAY='' "$OPLEXA_HOST" --quiet --rate 44100 --block-size 64 --blocks 6 --params \
        "$MODULE" > /dev/null 2>&1
    ls "$WORK/$name"/*.oplexarec
}
file=$(probe session OPLEXA_PROBE_PROCESS_SLEEP_MS=3)
traced session "$file"
blocks=$(grep -c "processReplacing(" "$WORK/session.print")
set=$(grep -c "setParameter(" "$WORK/session.print")
expect session 0 over="$blocks" inside=$((2 * blocks + set)) counters=3 \
    threads="t1 audio" unfinished=0
# A window from the 10th call to the 40th, as the printout times them.
from=$(sed -n 's/^#10 \([0-9.]*\) .*/\1/p' "$WORK/session.print")
to=$(sed -n 's/^#40 \([0-9.]*\) .*/\1/p' "$WORK/session.print")
traced window "$file" --from "$from" --to "$to"
expect window 0
check "window: 31 calls in it" [ "$(fact window calls)" = 31 ]

file=$(probe crash OPLEXA_PROBE_CRASH_OPCODE=45 OPLEXA_PROBE_CRASH=segv)
traced crash "$file"
expect crash 9 unfinished=1
check "crash: the line says where the trace ends" grep -q "^oplexa: trace: record [0-9]* is \
missing: the file ends without the end marker; the trace ends there$" "$WORK/crash.err"

# Crafted: times on thread 2 that stand still and go back; a block of 64 frames at 1 kHz (64 ms)
# that takes 70; no end marker, and a call that never returns.
python3 - "$WORK" << 'PY'
import os, sys
sys.path.insert(0, os.environ["CRAFTED"])
from crafted_recordings import *
at = lambda kind, thread, *fields: record([kind, thread, 1, *fields])
def call_at(ticks, function, opcode=0, frames=0, opt=0.0, data=(), thread=2):
    return at(0, thread, function, opcode, 0, frames, opt, 0x1000, 0x1F80, ticks, list(data))
def ret_at(ticks, function, opcode=0, thread=2):
    return at(1, thread, function, opcode, 0, ticks, [])
GET_TIME, SET_SAMPLE_RATE = 7, 10
block = [0, 0, 0x2000]
odd = (call_at(1000, DISPATCHER, SET_SAMPLE_RATE, opt=1000.0, thread=1)
       + ret_at(1000, DISPATCHER, SET_SAMPLE_RATE, thread=1)
       + call_at(5000, PROCESS_REPLACING, frames=64, data=block) + call_at(4000, 1, GET_TIME)
       + ret_at(4000, 1, GET_TIME) + ret_at(4500, PROCESS_REPLACING)
       + call_at(9000, PROCESS_REPLACING, frames=64, data=block) + call_at(9000, 1, GET_TIME)
       + ret_at(9000, 1, GET_TIME) + ret_at(9000, PROCESS_REPLACING)
       + call_at(10**8, PROCESS_REPLACING, frames=64, data=block)
       + ret_at(10**8 + 7 * 10**7, PROCESS_REPLACING) + call_at(2 * 10**8, SET_PARAMETER, opt=0.5))
crash = call_at(3 * 10**8, DISPATCHER, 45) + call_at(3 * 10**8, 1, GET_TIME)
with open(sys.argv[1] + "/odd.oplexarec", "wb") as out:
    out.write(item(VERSIONS[3]) + odd + crash)
with open(sys.argv[1] + "/damaged.oplexarec", "wb") as out:
    out.write(item(VERSIONS[3]) + odd + crash[:-1] + bytes([crash[-1] ^ 1]) + record([3]))
with open(sys.argv[1] + "/open.oplexarec", "wb") as out:
    out.write(item(VERSIONS[3]) + call(SET_PARAMETER) * 100000)
with open(sys.argv[1] + "/threads.oplexarec", "wb") as out:
    out.write(item(VERSIONS[3]) + CASES["threads-5000"] + record([3]))
PY
traced odd "$WORK/odd.oplexarec"
expect odd 9 inside=3 over=1 unfinished=3 counters=1 threads="t1 audio,t2 audio"
traced damaged "$WORK/damaged.oplexarec"
expect damaged 8 unfinished=2
check "damaged: the line names the record" grep -q "^oplexa: trace: record 15 is unreadable: its checksum does not match; the trace ends there$" \
    "$WORK/damaged.err"

# More calls open than the trace holds: the rest come as events of no length; memory stays low.
/usr/bin/time -o "$WORK/rss" -f %M "$OPLEXA" trace "$WORK/open.oplexarec" "$WORK/o.json" 2> /dev/null
traced open "$WORK/open.oplexarec"
expect open 9 unfinished=65536
check "open: $(tail -1 "$WORK/rss") KB, within 64 MB" [ "$(tail -1 "$WORK/rss")" -lt 65536 ]
traced threads "$WORK/threads.oplexarec"
check "threads: exit 0, 4096 tracks" [ "$(cat "$WORK/threads.status")/$(fact threads complete)" = 0/4096 ]
check "threads: the records past 4096 threads are counted" grep -qx "oplexa: trace: 904 records \
of threads past the 4096th left out" "$WORK/threads.err"

# The problems `oplexa check` finds, one instant event per firing, at their call.
mkdir "$WORK/rules"
python3 "$CRAFTED/crafted_recordings.py" "$WORK/rules" rules > /dev/null
traced clean "$WORK/rules/clean.oplexarec"
expect clean 0 problems=0
traced unsorted "$WORK/rules/events-unsorted.oplexarec"
expect unsorted 0 problems=1

echo "not a recording" > "$WORK/text.oplexarec"
"$OPLEXA" trace "$WORK/text.oplexarec" "$WORK/text.json" 2> "$WORK/text.err"
check "not a recording: exit 8, no trace" [ $? -eq 8 -a ! -e "$WORK/text.json" ]
finish
