#!/usr/bin/env bash
# Every way a host ends a session without "Close" ends cleanly: status 0, no signal, the hosted
# plug-in unloaded and no settings written; without a display and on a private X server.
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

# ending NAME PATTERN COMMAND: every run ends with status 0, every session it started unloads the
# hosted plug-in, and PATTERN is in the output or the log. oplexa-host never sends Close here, so
# no settings may be written; the scanners may close first.
ending() {
    local name=$1 pattern=$2 command=$3 run status unloaded clean=0
    for run in $(seq "$runs"); do
        rm -f "$WORK/Oplexa.xml" "$WORK/oplexa.log"
        (cd "$WORK" && timeout 120 bash -c "$command" > "$WORK/out.txt" 2>&1)
        status=$?
        unloaded=$(grep -c ":Unloaded $plugin\$" "$WORK/oplexa.log")
        [ "$status" -eq 0 ] && grep -q -e "$pattern" "$WORK/out.txt" "$WORK/oplexa.log" &&
            [ "$unloaded" -gt 0 ] && [ "$unloaded" -eq "$(grep -c ':Oplexa - ' "$WORK/oplexa.log")" ] &&
            { [ "${command#"$host"}" = "$command" ] || [ ! -e "$WORK/Oplexa.xml" ]; } || break
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
        ending "$1" "$3" "$4"
    fi
}

endings() {
    ending "unload without Close" "" "$host --unload-without-close '$MODULE'"
    ending "exit() without Close" "" "$host --exit-without-close '$MODULE'"
    ending "return from main without Close" "" "$host --return-without-close '$MODULE'"
    ending "entry point twice, then exit()" "already hosting" \
        "$host --entry-twice --exit-without-close '$MODULE'"
    scanner "Ardour's scanner" "$ardour" "Found Plugin" \
        "LD_LIBRARY_PATH=/usr/lib/ardour7 HOME='$WORK' $ardour -f '$MODULE'"
    scanner "qtractor's scanner" "$qtractor" "^VST|MaFreeverb|" \
        "printf 'VST2:%s\n' '$MODULE' | $qtractor"
    scanner "MusE's scanner" "$muse" 'label="MaFreeverb"' \
        "touch scan.xml && $muse -t 16 -f '$MODULE' -o scan.xml && cat scan.xml"
}

if [ "${1:-}" = --with-display ]; then
    mode="with a display"
    endings
    finish
    exit
fi

mode="without a display"
unset DISPLAY
endings
timeout 1500 "$WITH_DISPLAY" bash "$0" --with-display
status=$?
if [ $status -eq 77 ]; then
    echo "skipped: with a display, Xvfb or openbox is not installed"
else
    check "with a display: every ending is clean" [ $status -eq 0 ]
fi
finish
