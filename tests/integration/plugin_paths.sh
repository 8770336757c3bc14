#!/usr/bin/env bash
# The edges of choosing a plug-in: OPLEXA_PLUGIN lists with empty elements, a plug-in in a
# folder whose name is not valid UTF-8, and an X server that turns the first connections away.
#   plugin_paths.sh [--with-display]
. "$(dirname "$0")/common.sh"
skipped='OPLEXA_PLUGIN has an empty element; it is skipped'

if [ "${1:-}" = --with-display ]; then
    # A stand-in for a busy server: the first two connections are closed at once, later ones
    # go through to the real server. Each start of the window probes the display twice.
    number=900
    until (set -o noclobber; echo $$ > "/tmp/.X$number-lock") 2>/dev/null; do
        number=$((number + 1))
    done
    trap 'rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"; rm -rf "$WORK"' EXIT
    python3 "$(dirname "$0")/refusing_display.py" 2 "/tmp/.X11-unix/X$number" \
        "/tmp/.X11-unix/X${DISPLAY#:}" "$WORK/refused" &
    proxy=$!
    until [ -S "/tmp/.X11-unix/X$number" ] || ! kill -0 $proxy 2>/dev/null; do sleep 0.1; done
    timeout 120 env DISPLAY=":$number" OPLEXA_PLUGIN="$OPLEXA_DEMO" "$OPLEXA_HOST" --blocks 4 \
        --quiet "$MODULE" > "$WORK/busy.log" 2>&1
    status=$?
    kill $proxy
    window=shown
    grep -q 'No display to show the monitor window on' "$WORK/busy.log" && window=missing
    refused=$(cat "$WORK/refused" 2>/dev/null)
    check "$refused connections refused, status $status, the window $window" \
        [ "$refused/$status/$window" = 2/0/shown ]
    finish
    exit
fi

# Three instances of each list: empty elements are skipped, each session says so once, the
# K-th session hosts the K-th plug-in named and the last one stands for the rest.
a=$OPLEXA_PROBE b=$OPLEXA_DEMO
while IFS='|' read -r list hosts; do
    rm -f "$WORK/log"
    timeout 120 env OPLEXA_PLUGIN="$list" OPLEXA_LOG_FILE="$WORK/log" "$OPLEXA_HOST" \
        --instances 3 --blocks 1 --quiet "$MODULE" > "$WORK/host.out" 2>&1
    status=$?
    got=
    for k in 1 2 3; do
        pattern=') [^:#]*:effOpen' tag=
        [ "$k" -gt 1 ] && pattern=") [^:]*#$k:effOpen" tag="#$k"
        name=$(grep -o "$pattern" "$WORK/log" | sed "s/^) //; s/$tag:effOpen//")
        got="$got ${name:--}"
    done
    lines=$(grep -c "$skipped" "$WORK/log")
    expected=$(for plugin in $hosts; do [ "$plugin" = - ] && echo - || basename "$plugin"; done)
    # Without a plug-in the first instance gets null (exit 4), and the host starts no more.
    want=$([ "$hosts" = "- - -" ] && echo 4/1 || echo 0/3)
    check "'$list': status $status, hosted$got, $lines lines saying so" \
        [ "$status/$lines/$(echo $got)" = "$want/$(echo $expected)" ]
done <<TABLE
$a:|$a $a $a
$a::$b|$a $b $b
:$a|$a $a $a
$b::$a:|$b $a $a
::|- - -
TABLE

# A plug-in in a folder named with the bytes FF FE: loaded from its exact bytes, shown with
# \xNN in the lines, and its folder saved in the settings file and read back unchanged.
odd=$WORK/x$'\xff\xfe'
mkdir "$odd"
cp "$OPLEXA_DEMO" "$odd/gain"$'\xff'.so
shown="$WORK/x\\xff\\xfe/gain\\xff.so"
mkdir "$WORK/rec"
timeout 60 env OPLEXA_PLUGIN="$odd/gain"$'\xff'.so OPLEXA_LOG_FILE="$WORK/odd.log" \
    OPLEXA_RECORD="$WORK/rec" "$OPLEXA_HOST" --blocks 2 --quiet "$MODULE" > "$WORK/host.out" 2>&1
check "hosted from a folder that is not UTF-8 (status $?)" \
    grep -q ') gain\\xff.so:effOpen' "$WORK/odd.log"
timeout 60 "$OPLEXA_HOST" --replay "$WORK"/rec/gain*.oplexarec > "$WORK/replay.out" 2>&1
check "its recording replays with the plug-in at the recorded path (status $?)" [ $? -eq 0 ]
check "its path is shown escaped" grep -qF "Unloaded $shown" "$WORK/odd.log"
check "its folder is saved escaped" grep -qF "<LastDir escaped=\"1\">$WORK/x\\xff\\xfe</LastDir>" \
    "$WORK/Oplexa.xml"
cp "$WORK/Oplexa.xml" "$WORK/saved.xml"
# A session that chooses nothing keeps the folder it read, if that is one.
timeout 60 env -u OPLEXA_PLUGIN OPLEXA_LOG_FILE="$WORK/none.log" "$OPLEXA_HOST" --quiet "$MODULE" \
    > "$WORK/host.out" 2>&1
check "the saved folder reads back as the same bytes" cmp -s "$WORK/saved.xml" "$WORK/Oplexa.xml"

# Oplexa itself in that folder: it names itself escaped and keeps its settings in the
# configuration folder, by its name, as a module in a folder it can't write does.
ln -s "$OPLEXA_MODULE" "$odd/Odd.so"
timeout 60 env OPLEXA_PLUGIN="$OPLEXA_DEMO" XDG_CONFIG_HOME="$WORK/config" \
    OPLEXA_LOG_FILE="$WORK/self.log" "$OPLEXA_HOST" --blocks 2 --quiet "$odd/Odd.so" \
    > "$WORK/host.out" 2>&1
check "Oplexa in a folder that is not UTF-8 hosts (status $?)" grep -q ':effOpen' "$WORK/self.log"
check "it names itself escaped" \
    grep -qF ") Odd.so:Oplexa - $WORK/x\\xff\\xfe/Odd.so" "$WORK/self.log"
check "its settings are kept by its name" \
    grep -qF "Settings file $WORK/config/oplexa/Odd.xml" "$WORK/self.log"
check "and written there" test -s "$WORK/config/oplexa/Odd.xml"

again_with_display "the display is probed again when a busy server refuses"
finish
