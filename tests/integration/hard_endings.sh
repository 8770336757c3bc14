#!/usr/bin/env bash
# Hard endings of a session, through Oplexa hosting the probe and, as the reference, with the
# probe loaded directly by the same host: exit() or Close while other threads still run the
# plug-in's code, a forked child's exit(), entry point calls during Close or during the file
# chooser, an exception of the plug-in's own type. Without a display and on a private X server.
#   hard_endings.sh [--with-display]    OPLEXA_ENDING_RUNS: runs of each case (default 2)
. "$(dirname "$0")/common.sh"
runs=${OPLEXA_ENDING_RUNS:-2}
export OPLEXA_PLUGIN=$OPLEXA_PROBE OPLEXA_LOG_FILE=$WORK/oplexa.log
unloaded="Unloaded $OPLEXA_PROBE\$"
# An entry call during another session's Close starts a session of its own (#2 while the first
# still closes) and shares nothing of the first one's teardown: the first plug-in is unloaded.
returned="second entry point call returned"

crash="OPLEXA_PROBE_CRASH_OPCODE=45 OPLEXA_PROBE_CRASH"
# A forked child has none of the parent's threads: the leak checker would count what only their
# stacks hold as lost.
child_leaks="ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"

# One case a line: NAME|PROBE VARIABLES|HOST OPTIONS|STATUS|PATTERNS|DIRECT STATUS|LIMIT. Through
# Oplexa each run ends with STATUS within LIMIT seconds and every &-separated PATTERN is in the
# output or Oplexa's log; directly it ends with DIRECT STATUS. 4: the host got no record, 124:
# the time limit ended the run (the chooser stays open, a call never returns), 134 and 139: the
# process died of SIGABRT or SIGSEGV, as it does without Oplexa.
cases="exit() inside processReplacing|OPLEXA_PROBE_PROCESS_SLEEP_MS=20|--exit-during-process|0|exit\(0\) while|0|30
exit() while the plug-in's worker runs|OPLEXA_PROBE_WORKER=1|--exit-without-close|0||0|30
a forked child calls exit()|$child_leaks|--fork-child-exit|0||0|30
Close while another thread processes|OPLEXA_PROBE_PROCESS_SLEEP_MS=300 OPLEXA_PROBE_ABORT_AFTER_CLOSE=1|--close-during-process|0|$unloaded|0|30
entry point called during the plug-in's Close|OPLEXA_PROBE_CLOSE_SLEEP_MS=300|--entry-during-close 100|0|$returned a record&oplexa-probe.so#2:&$unloaded|0|30
entry point called as the plug-in's Close returns|OPLEXA_PROBE_CLOSE_SLEEP_MS=300|--entry-during-close 305|0|$returned&$unloaded|0|30
entry point throws the plug-in's own type|OPLEXA_PROBE_MODE=throwown||4|returned no record|4|30
a crash inside a call, log in a file|$crash=segv||139|:effGetEffectName&Crash: SIGSEGV inside effGetEffectName|139|30
an abort inside a call, log on a pipe|$crash=abort OPLEXA_LOG_FILE=||134|:effGetEffectName&Crash: SIGABRT inside effGetEffectName|134|30
a call that throws the plug-in's own type|$crash=throw||0|Caught an exception in effGetEffectName: the probe's own error|134|30
a call that never returns|OPLEXA_PROBE_HANG_OPCODE=45||124|:effGetEffectName|124|3
Close while a call hangs|OPLEXA_PROBE_PROCESS_SLEEP_MS=4000|--close-during-process|0|Still inside processReplacing after 2 seconds at Close|0|30
the log file is a FIFO without a reader|OPLEXA_LOG_FILE=$WORK/fifo||0|could not open the log file $WORK/fifo \(No such device or address\); logging to standard output&:effClose|0|10"
mkfifo "$WORK/fifo"
# Each call has a chooser of its own: the second starts its session while the first's is open.
chooser_case="entry point called while the chooser is open|OPLEXA_PLUGIN=|--entry-during-entry 1000|124|Oplexa.so#2:Oplexa - |0|6"

hard_endings() {
    local name variables options status patterns direct limit module want run got pattern clean where
    while IFS='|' read -r name variables options status patterns direct limit; do
        for module in "$MODULE" "$OPLEXA_PROBE"; do
            want=$status
            # Directly, the host's own late calls do reach the probe; through Oplexa they must not.
            [ "$module" = "$MODULE" ] ||
                { want=$direct; variables=${variables//OPLEXA_PROBE_ABORT_AFTER_CLOSE=1/}; }
            clean=0
            for run in $(seq "$runs"); do
                : > "$WORK/oplexa.log"
                # shellcheck disable=SC2086 # the variables and options are word lists
                (cd "$WORK" && env $variables timeout "$limit" "$OPLEXA_HOST" --blocks 2 $options \
                    "$module" > "$WORK/out.txt" 2>&1)
                got=$?
                if [ "$want" -gt 128 ]; then crashed_with "$got" "$want"; else [ "$got" -eq "$want" ]; fi ||
                    break
                [ "$module" = "$OPLEXA_PROBE" ] || while read -r -d '&' pattern; do
                    grep -Eq -e "$pattern" "$WORK/out.txt" "$WORK/oplexa.log" ||
                        { echo "missing: $pattern"; break 2; }
                done <<< "$patterns&"
                clean=$run
            done
            [ "$got" -le 128 ] || got="$got (SIG$(kill -l $((got - 128))))"
            where=$([ "$module" = "$MODULE" ] && echo "through Oplexa" || echo directly)
            check "$mode, $where: $name, $clean of $runs runs clean (the last: status $got)" \
                [ "$clean" -eq "$runs" ]
            [ "$clean" -eq "$runs" ] || tail -n 3 "$WORK/out.txt"
        done
    done
}

[ "${1:-}" = --with-display ] && cases="$cases"$'\n'"$chooser_case"
on_both_displays hard_endings "every hard ending is clean" <<< "$cases"
finish
