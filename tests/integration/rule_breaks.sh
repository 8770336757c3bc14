#!/usr/bin/env bash
# Every protocol rule broken on purpose, one per session, through Oplexa with checkRules="1" and a
# recording: by oplexa-host (--break) or by the probe (OPLEXA_PROBE_BREAK). The log names exactly
# that rule, once, and counts it at Close; `oplexa check` finds exactly it in the recording (but
# for the live-only rules, which a recording ends before). process-over-budget may join any of them
# on a busy machine; it is broken on crafted recordings with set tick values, not here.
. "$(dirname "$0")/common.sh"
OPLEXA="$OPLEXA_BUILD/tools/oplexa"
LIVE_ONLY=" call-after-close callback-after-close "

# session NAME PLUGIN [VAR=VALUE...] [HOST OPTIONS...]: log in $WORK/NAME.log and .out (lines
# Oplexa writes after its log file is closed), recording in $WORK/NAME/; the settings file,
# $SETTINGS, is written first.
session() {
    local name=$1 plugin=$2 vars=()
    shift 2
    while [ $# -gt 0 ] && [[ $1 == *=* ]]; do vars+=("$1"); shift; done
    echo "<Oplexa><Logger><Parameters $SETTINGS/></Logger></Oplexa>" > "$WORK/Oplexa.xml"
    mkdir -p "$WORK/$name"
    env DISPLAY='' "${vars[@]}" OPLEXA_RECORD="$WORK/$name" OPLEXA_PLUGIN="$plugin" \
        OPLEXA_LOG_FILE="$WORK/$name.log" timeout 120 "$OPLEXA_HOST" --quiet --blocks 4 "$@" \
        "$MODULE" > "$WORK/$name.out" 2> /dev/null
}
# The rules the log names in first-firing lines ("Problem RULE: ..."), or with -c in Close lines
# ("Problem RULE fired N times, ..."), each followed by a space, the slow calls' left out.
live() {
    local after=':'
    [ "${2:-}" = -c ] && after=' fired [0-9]+ time'
    sed -nE "s/.*:Problem ([a-z-]+)$after.*/\1 /p" "$WORK/$1.log" "$WORK/$1.out" |
        grep -vx 'process-over-budget ' | sort | tr -d '\n'
}
# The same from `oplexa check --json` on the recording, and how it ends if not complete.
checked() {
    "$OPLEXA" check --json "$WORK/$1"/*.oplexarec 2> /dev/null | python3 -c 'import json, sys
files = json.load(sys.stdin)["files"]
print("".join([f["ending"] + " " for f in files if f["ending"] != "complete"] + sorted(
    p["rule"] + " " for f in files for p in f["problems"] if p["rule"] != "process-over-budget")),
    end="" if len(files) == 1 else "files ")' 2> /dev/null || echo unreadable
}

SETTINGS='checkRules="1"'
# side rule [probe variables]: host rows run --break RULE, probe rows OPLEXA_PROBE_BREAK=RULE.
# Two host breaks need the plug-in to call back inside the call they hold open.
rows=(
    "host process-while-suspended" "host setup-while-resumed" "host block-larger-than-set"
    "host concurrent-process OPLEXA_PROBE_CALLS=process:7"
    "host process-during-setup OPLEXA_PROBE_CALLS=12:1"
    "host call-after-close" "host index-out-of-range" "host parameter-value-out-of-range"
    "host function-not-offered OPLEXA_PROBE_DOUBLE=1"
    "host precision-not-set OPLEXA_PROBE_FLAGS=0x1031"
    "host editor-thread" "host null-buffer" "host event-outside-block" "host events-unsorted"
    "host text-too-long" "probe text-too-long" "probe parameter-out-of-range"
    "probe output-not-finite" "probe output-denormal" "probe latency-change-unannounced"
    "probe blocking-callback-in-process" "probe display-update-in-process"
    "probe callback-after-close" "probe chunk-inconsistent" "probe replacing-not-flagged"
)
for row in "${rows[@]}"; do
    read -r side rule vars <<< "$row"
    name=$side-$rule
    if [ "$side" = host ]; then
        # shellcheck disable=SC2086
        session "$name" "$OPLEXA_PROBE" $vars --break "$rule"
    else
        # shellcheck disable=SC2086
        session "$name" "$OPLEXA_PROBE" $vars "OPLEXA_PROBE_BREAK=$rule"
    fi
    check "$name: the session ends well" [ $? -eq 0 ]
    check "$name: one Problem line, for $rule: [$(live "$name")]" [ "$(live "$name")" = "$rule " ]
    if [[ $LIVE_ONLY == *" $rule "* ]]; then
        check "$name: Close counts no other rule" [ -z "$(live "$name" -c | sed "s/^$rule //")" ]
        check "$name: oplexa check finds nothing: [$(checked "$name")]" [ -z "$(checked "$name")" ]
    else
        check "$name: Close counts it alone" [ "$(live "$name" -c)" = "$rule " ]
        check "$name: oplexa check finds it alone: [$(checked "$name")]" \
            [ "$(checked "$name")" = "$rule " ]
    fi
done

# Well-behaved sessions: the demo gain breaks nothing; MVerb only writes texts past their room
# ("Early/Late Mix" as a name, "50.000000" as a display).
session demo "$OPLEXA_DEMO"
check "the demo gain breaks no rule: [$(live demo)]" [ -z "$(live demo)$(live demo -c)" ]
check "nor in its recording: [$(checked demo)]" [ -z "$(checked demo)" ]
if [ -e /usr/lib/vst/MVerb-vst.so ]; then
    session mverb /usr/lib/vst/MVerb-vst.so
    check "MVerb breaks text-too-long alone: [$(live mverb)]" [ "$(live mverb)" = "text-too-long " ]
    check "and so its recording: [$(checked mverb)]" [ "$(checked mverb)" = "text-too-long " ]
else
    echo "skipped: MVerb is not installed"
fi

# Off, absent or "0", the log is the one with checking on less its Problem lines.
same() {
    sed -e 's/^([0-9A-F]*) //' -e 's/0x[0-9a-f]*/PTR/g' -e '2d' -e '/^Oplexa.so:Oplexa - /d' \
        -e '/Recording to /d' -e '/Log lines go to /d' -e '/:Problem /d' "$WORK/$1.log"
}
SETTINGS=''
session off "$OPLEXA_DEMO"
check "checkRules absent: the log is the same" cmp -s <(same demo) <(same off)
check "and the settings file does not gain it" [ "$(grep -c checkRules "$WORK/Oplexa.xml")" = 0 ]
SETTINGS='checkRules="0"'
session off-0 "$OPLEXA_DEMO"
check "checkRules=\"0\": the log is the same" cmp -s <(same demo) <(same off-0)
finish
