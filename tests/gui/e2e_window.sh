#!/usr/bin/env bash
# End to end: oplexa-host hosts a real plug-in through Oplexa.so on a private X server with
# openbox; the script looks at the monitor window through screenshots and real clicks.
#
#   tests/gui/e2e_window.sh [BUILD_DIR] [PLUGIN.so]
#
# Screenshots go to $E2E_SHOTS (default BUILD_DIR/e2e-window). The window threads' CPU time is
# measured by tests/bench/window-refresh-cost.sh.
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec "$here/with_display.sh" "$0" "$@"
fi

build=$(cd "${1:-$here/../../build}" && pwd)
plugin=${2:-/usr/lib/vst/MVerb-vst.so}
[ -f "$plugin" ] || plugin="$build/tests/plugins/oplexa-demo-gain.so"
shots=${E2E_SHOTS:-$build/e2e-window}
host="$build/tools/oplexa-host"
module="$build/Oplexa.so"
for needed in "$host" "$module" "$plugin"; do
    [ -e "$needed" ] || { echo "missing $needed (build Oplexa, oplexa-host first)"; exit 1; }
done
for tool in xdotool import convert compare xwininfo; do
    command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed; skipping"; exit 77; }
done
mkdir -p "$shots"
# A private copy of the module: its settings file lives beside it, and switches saved by an
# earlier run must not change what this one sees.
rm -rf "$shots/module"
mkdir -p "$shots/module"
cp "$module" "$shots/module/Oplexa.so"
module="$shots/module/Oplexa.so"
title="Oplexa - $(basename "$plugin")"
export OPLEXA_MODULE=$module OPLEXA_HOST=$host OPLEXA_BUILD=$build \
    OPLEXA_DEMO=$build/tests/plugins/oplexa-demo-gain.so OPLEXA_PROBE=$build/tests/plugins/oplexa-probe.so
. "$here/../integration/common.sh" --with-display # check, finish; keeps the display

# Waits up to $2 tenths of a second for command $1 to succeed.
wait_for() {
    n=0
    while ! sh -c "$1" >/dev/null 2>&1; do
        n=$((n + 1))
        [ $n -ge "$2" ] && return 1
        sleep 0.1
    done
}

find_window() { xdotool search --name "^$title\$" 2>/dev/null | head -n 1; }
is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "IsViewable"; }

# The window's own pixels, from a shot of the whole screen.
shoot() {
    import -window root "$shots/screen-$1.png"
    convert "$shots/screen-$1.png" -crop "774x666+$wx+$wy" +repage "$shots/$1.png"
}
# Shoots until COMMAND holds for the shot, at most 20 more shots: a busy machine repaints a
# clicked page late. The checks then judge the last shot, whatever it shows.
shoot_until() { # name, command
    n=0
    while shoot "$1" && ! sh -c "$2" >/dev/null 2>&1 && [ $n -lt 20 ]; do
        n=$((n + 1))
        sleep 0.1
    done
}
pixel() { convert "$shots/$1.png" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
# Darkest grey level (0-255) in a box: the core of any text drawn there.
darkest() {
    convert "$shots/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray \
        -format "%[fx:int(255*minima+0.5)]" info:
}
near() { # hex colour, wanted hex colour: each channel within 3
    for i in 1 3 5; do
        a=$((0x$(echo "$1" | cut -c$i-$((i + 1)))))
        b=$((0x$(echo "$2" | cut -c$i-$((i + 1)))))
        [ $((a - b)) -le 3 ] && [ $((b - a)) -le 3 ] || return 1
    done
}
same_region() { # shot, shot, geometry
    [ "$(compare -metric AE -crop "$3" "$shots/$1.png" "$shots/$2.png" null: 2>&1)" = "0" ]
}
# Whether processReplacing's count differs between two shots.
counting() { ! same_region "$1" "$2" "56x14+$((px + 222))+$((py + 49))"; }
click_at() { # window x, window y, button
    xdotool mousemove --sync $((wx + $1)) $((wy + $2)) click "${3:-1}"
    sleep 0.4
}

# Window coordinates of the page: content at (3, 31), page at (204, 4) in it.
px=207
py=35
row_lamp_y() { echo $((py + 16 * $1 + 8)); }
tab_y() { echo $((31 + 28 * $1 + 16)); }
lamps() { # shot, colour: the lamps of the seven functions
    for i in 0 1 2 3 4 5 6; do near "$(pixel "$1" $((px + 7)) "$(row_lamp_y $i)")" "$2" || return 1; done
}

# Sessions long enough for the checks of the first one (about 20 s on a busy machine),
# whatever the plug-in's speed: time a short headless run first.
seconds_per_session=45
start=$(date +%s%N)
OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE=/dev/null DISPLAY='' \
    "$host" --quiet --blocks 20000 "$module" >/dev/null 2>&1
took_ms=$((($(date +%s%N) - start) / 1000000 + 1))
blocks=$((20000 * seconds_per_session * 1000 / took_ms))
[ $blocks -lt 20000 ] && blocks=20000
echo "sessions of $blocks blocks"
OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE=/dev/null \
    "$host" --quiet --cycles 2 --blocks "$blocks" --log "$shots/host.log" "$module" \
    >"$shots/host.out" 2>&1 &
host_pid=$!

check "the window appears with the plug-in's name" wait_for "xdotool search --name '^$title\$'" 200
wid=$(find_window)
if [ -z "$wid" ]; then
    kill "$host_pid" 2>/dev/null
    finish
    exit 1
fi
# Brings window $1 to the front and takes its place on the screen as wx, wy.
place() {
    xdotool windowactivate --sync "$1" 2>/dev/null
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$1")"
    wx=$X
    wy=$Y
}
place "$wid"
check "774 x 666" [ "$WIDTH x $HEIGHT" = "774 x 666" ]

shoot aeffect-1
sleep 1
shoot aeffect-2
check "window background" near "$(pixel aeffect-1 198 330)" 6793ae
check "page background" near "$(pixel aeffect-1 $((px + 400)) $((py + 300)))" f2f2f2
check "lamps of the seven functions lit" lamps aeffect-1 e5b780
check "processReplacing counted: black name" [ "$(darkest aeffect-1 $((px + 14)) $((py + 48)) 100 16)" -lt 40 ]
check "setParameter not called: grey name" [ "$(darkest aeffect-1 $((px + 14)) $((py + 80)) 80 16)" -gt 110 ]
check "the count goes on while the host processes" counting aeffect-1 aeffect-2
check "the record's text stays as it was" same_region aeffect-1 aeffect-2 "500x300+$px+$((py + 110))"
check "the selected tab in the page's colour, with no line to the page" near "$(pixel aeffect-1 204 40)" f2f2f2
check "the other tabs in their own colour" near "$(pixel aeffect-1 20 85)" e8e8e8
check "and outlined" near "$(pixel aeffect-1 6 70)" cedbe3

# processReplacing's switch (row 3) as the settings file beside the module holds it.
settings="$shots/module/Oplexa.xml"
saved() { echo "grep -q 'name=\"processReplacing\" enabled=\"$1\"' '$settings'"; }
saved_in_2s() { wait_for "$(saved "$1")" 16 && kill -0 "$host_pid"; }
# JUCE writes a new file and renames it over the old one: a reader never sees half a file.
saved_by_rename() { saved_in_2s "$1" && [ "$(stat -c %i "$settings")" != "$inode" ]; }
click_at $((px + 100)) "$(row_lamp_y 3)"
check "within 2 s of the click the settings file holds it, the session still running" \
    saved_in_2s 0
inode=$(stat -c %i "$settings" 2>/dev/null)
shoot switched-off
check "a click on a row switches its lamp off" near "$(pixel switched-off $((px + 7)) "$(row_lamp_y 3)")" fdf1d4
click_at $((px + 100)) "$(row_lamp_y 3)" 3
check "and the switch back, through a new file renamed over the old one" saved_by_rename 1
shoot switched-on
check "a right click switches it on again" near "$(pixel switched-on $((px + 7)) "$(row_lamp_y 3)")" e5b780
check "the row under the pointer takes the hover colour" near "$(pixel switched-on $((px + 200)) $((py + 50)))" e5e2da
check "the next row does not" near "$(pixel switched-on $((px + 200)) $((py + 66)))" f2f2f2

# The control panel's buttons, 33 pixels apart: 0 Enable All, 1 Disable All, 2 Inverse All,
# 3 Reset Counters.
panel_click() { click_at 103 $((169 + 33 * $1)); }
panel_click 1
shoot disabled-1
sleep 1
shoot disabled-2
check "Disable All switches every lamp off" lamps disabled-1 fdf1d4
check "calls are counted with their switches off" counting disabled-1 disabled-2
panel_click 2
shoot inverted
check "Inverse All switches them on again" lamps inverted e5b780
panel_click 1
panel_click 0
shoot enabled
check "Enable All switches them on" lamps enabled e5b780

click_at 100 "$(tab_y 1)"
# The first tab deselected: the page has changed.
shoot_until dispatcher "[ \"\$(convert '$shots/dispatcher.png' -format '%[hex:p{30,40}]' info: | cut -c1-6)\" = E8E8E8 ]"
check "the dispatcher page: Open counted in black" [ "$(darkest dispatcher $((px + 14)) $py 80 16)" -lt 40 ]
check "the dispatcher page: Close not yet called, grey" [ "$(darkest dispatcher $((px + 14)) $((py + 16)) 80 16)" -gt 110 ]
check "the dispatcher page: a second column" [ "$(darkest dispatcher $((px + 296)) $py 80 16)" -lt 200 ]
check "the first tab is deselected" near "$(pixel dispatcher 30 40)" e8e8e8
check "a line parts it from the page" [ "$(pixel dispatcher 204 40)" != F2F2F2 ]
check "the selected tab comes in front where tabs overlap" near "$(pixel dispatcher 150 62)" f2f2f2
panel_click 3
shoot reset
check "Reset Counters: Open's name turns grey" [ "$(darkest reset $((px + 14)) $py 80 16)" -gt 110 ]
check "Reset Counters: its count goes blank" [ "$(darkest reset $((px + 222)) $((py + 1)) 56 13)" -gt 230 ]

xdotool key --window "$wid" Escape
xdotool key alt+F4
sleep 0.5
check "Escape and the window manager's close leave the window open" is_viewable "$wid"

click_at 754 17
check "the title-bar button minimises" wait_for "! xwininfo -id $wid | grep -q IsViewable" 30
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowmap --sync "$wid"
check "and the window comes back" wait_for "xwininfo -id $wid | grep -q IsViewable" 30

check "the window disappears at Close" wait_for "! xwininfo -id $wid >/dev/null 2>&1 || ! xwininfo -id $wid | grep -q IsViewable" 3000
check "a second hosting shows a new window" wait_for \
    "xdotool search --name '^$title\$' | grep -vx '$wid'" 600
wid2=$(xdotool search --name "^$title\$" 2>/dev/null | grep -vx "$wid" | head -n 1)
if [ -n "$wid2" ]; then
    place "$wid2"
    shoot second-hosting
    check "the second window opens on the AEffect page" near "$(pixel second-hosting $((px + 7)) "$(row_lamp_y 0)")" e5b780
fi

wait "$host_pid"
rc=$?
check "the host finishes both sessions" [ "$rc" = 0 ]
check "no window is left" [ -z "$(find_window)" ]

# A host killed with no ending at all: what was clicked is on disk already.
OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE=/dev/null "$host" --quiet --blocks "$blocks" "$module" \
    >/dev/null 2>&1 &
host_pid=$!
wait_for "xdotool search --name '^$title\$'" 200
place "$(find_window)"
click_at $((px + 100)) "$(row_lamp_y 3)"
check "a third session: the click is saved within 2 s" saved_in_2s 0
kill -KILL "$host_pid"
wait "$host_pid" 2>/dev/null
check "and is still there after SIGKILL, in a whole file" \
    sh -c "$(saved 0) && grep -q '</Oplexa>' '$settings'"

echo "screenshots in $shots"
finish
