#!/usr/bin/env bash
# Every way a host ends a session without "Close" ends cleanly: status 0, no signal, the settings
# written, and the hosted plug-in closed and unloaded where the process goes on; without a display
# and on a private X server.
#   endings.sh [--with-display]    OPLEXA_ENDING_RUNS: runs of each ending (default 2)
. "$(dirname "$0")/common.sh"
plugin=/usr/lib/vst/MaFreeverb-vst.so
need "$plugin"
runs=${OPLEXA_ENDING_RUNS:-2}
export OPLEXA_PLUGIN=$plugin OPLEXA_LOG_FILE=$WORK/oplexa.log
host="$OPLEXA_HOST --blocks 4 --quiet"
ardour=/usr/lib/ardour7/ardour-vst-scanner
qtractor=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
muse=/usr/bin/muse_plugin_scan

# ending NAME PATTERN UNLOADS COMMAND: every run ends with status 0, PATTERN is in the output or
# the log, and the settings are written. UNLOADS says whether every session the run started
# unloads its plug-in (all: an unload without Close sends it Close first), none does (an exit
# leaves code that may still run alone) or either (scanners that may close first).
ending() {
    local name=$1 pattern=$2 unloads=$3 command=$4 run status unloaded sessions clean=0
    for run in $(seq "$runs"); do
        rm -f "$WORK/Oplexa.xml" "$WORK/oplexa.log"
        (cd "$WORK" && timeout 120 bash -c "$command" > "$WORK/out.txt" 2>&1)
        status=$?
        unloaded=$(grep -c ":Unloaded $plugin\$" "$WORK/oplexa.log")
        sessions=$(grep -c ':Oplexa - ' "$WORK/oplexa.log")
        [ "$status" -eq 0 ] && grep -q -e "$pattern" "$WORK/out.txt" "$WORK/oplexa.log" &&
            [ -e "$WORK/Oplexa.xml" ] && case $unloads in
                all) [ "$unloaded" -eq "$sessions" ] && [ "$unloaded" -gt 0 ] ;;
                none) [ "$unloaded" -eq 0 ] ;;
                *) true ;;
            esac || break
        clean=$run
    done
    check "$mode: $name, $clean of $runs runs clean (the last: status $status)" [ "$clean" -eq "$runs" ]
}

scanner() { # scanner NAME PROGRAM PATTERN COMMAND
    if [ ! -x "$2" ]; then
        echo "skipped: $1, $2 is not installed"
    elif sanitized; then
        echo "skipped: $1, it can't load a sanitizer build of the module"
    else
        ending "$1" "$3" either "$4"
    fi
}

endings() {
    ending "unload without Close" "Oplexa sends effClose" all \
        "$host --unload-without-close '$MODULE'"
    ending "exit() without Close" "" none "$host --exit-without-close '$MODULE'"
    ending "return from main without Close" "" none "$host --return-without-close '$MODULE'"
    ending "entry point twice, then exit()" "MaFreeverb-vst.so#2:" none \
        "$host --entry-twice --exit-without-close '$MODULE'"
    scanner "Ardour's scanner" "$ardour" "Found Plugin" \
        "LD_LIBRARY_PATH=/usr/lib/ardour7 HOME='$WORK' $ardour -f '$MODULE'"
    scanner "qtractor's scanner" "$qtractor" "^VST|MaFreeverb|" \
        "printf 'VST2:%s\n' '$MODULE' | $qtractor"
    scanner "MusE's scanner" "$muse" 'label="MaFreeverb"' \
        "touch scan.xml && $muse -t 16 -f '$MODULE' -o scan.xml && cat scan.xml"
}

on_both_displays endings "every ending is clean"
finish
