#!/usr/bin/env bash
# 20,000 logged processReplacing calls through the module while standard output misbehaves: a
# reader that pauses, a non-blocking pipe read slowly, a pipe closed before the first line, a
# log file on a full device. The calls never wait for the reader, the host lives on, and every
# line that arrives arrives whole.
. "$(dirname "$0")/common.sh"
BLOCKS=20000
WHOLE_CALL='^\([0-9A-F]+\) oplexa-demo-gain\.so:processReplacing\(inputs:0x[0-9a-f]+, outputs:0x[0-9a-f]+, sampleFrames:512\)$'
WHOLE_LINE='^\([0-9A-F]+\) (Oplexa|oplexa-demo-gain)\.so:'

# Sets the pipe that is standard output non-blocking (for the reader too), then runs the command.
nonblocking() { perl -MFcntl -e 'fcntl(STDOUT, F_SETFL, fcntl(STDOUT, F_GETFL, 0) | O_NONBLOCK) or die; exec @ARGV' -- "$@"; }
# Reads 4 KB a millisecond.
slow_cat() { perl -e '$| = 1; while (sysread(STDIN, $b, 4096)) { print $b; select(undef, undef, undef, 0.001) }'; }

run_host() { # NAME LOGFILE WRAPPER
    local name=$1 logfile=$2 wrapper=$3
    $wrapper timeout 120 env OPLEXA_PLUGIN="$OPLEXA_DEMO" ${logfile:+OPLEXA_LOG_FILE=$logfile} \
        "$OPLEXA_HOST" --quiet --blocks $BLOCKS --slowest-process "$MODULE" 2> "$WORK/$name.err"
    echo $? > "$WORK/$name.status"
}

# A reader that reads nothing until every call returned (the host says how long the slowest
# took) or PAUSE seconds passed, notes which, then reads all.
read_after() { # NAME PAUSE READER
    for ((tenths = 0; tenths < $2 * 10; tenths++)); do
        grep -q '^slowest process call' "$WORK/$1.err" && break
        sleep 0.1
    done
    cp "$WORK/$1.err" "$WORK/$1.before"
    $3 > "$WORK/$1.out"
}

# The one line Oplexa may write on standard error, after "Oplexa stopped writing log lines to ".
#     name        | log file  | standard output | pause | calls logged | line on standard error
cases=(
    "paused       | -         | pipe            | 20    | $BLOCKS      | -"
    "slow_reader  | -         | nonblocking     | 20    | $BLOCKS      | -"
    "closed_pipe  | -         | closed          | 0     | 0            | standard output (Broken pipe)"
    "full_device  | /dev/full | pipe            | 0     | 0            | /dev/full (No space left on device)"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name logfile output pause calls error <<< "$(sed 's/ *| */|/g' <<< "$row")"
    [ "$logfile" = - ] && logfile=
    case $output in
    pipe) run_host "$name" "$logfile" "" | read_after "$name" "$pause" cat ;;
    nonblocking) run_host "$name" "$logfile" nonblocking | read_after "$name" "$pause" slow_cat ;;
    closed) { sleep 0.5; run_host "$name" "$logfile" ""; } | true ;;
    esac
    status=$(cat "$WORK/$name.status")
    check "$name: the host ends with status 0 (got $status)" [ "$status" -eq 0 ]
    check "$name: $(grep -h 'slowest' "$WORK/$name.err")" grep -q '^slowest process call' "$WORK/$name.err"
    expected=
    [ "$error" = - ] || expected="Oplexa stopped writing log lines to $error; later lines are dropped"
    got=$(grep '^Oplexa ' "$WORK/$name.err")
    check "$name: on standard error from Oplexa: '$expected' (got '$got')" [ "$got" = "$expected" ]
    [ "$calls" -eq 0 ] && continue
    check "$name: every call had returned before the reader read again" \
        grep -q '^slowest process call' "$WORK/$name.before"
    got=$(grep -cE "$WHOLE_CALL" "$WORK/$name.out")
    check "$name: $calls whole processReplacing lines (got $got)" [ "$got" -eq "$calls" ]
    got=$(grep -cvE "$WHOLE_LINE" "$WORK/$name.out")
    check "$name: no line cut or mixed with another (got $got)" [ "$got" -eq 0 ]
done
finish
