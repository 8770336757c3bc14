#!/usr/bin/env bash
# Instances open their monitor windows each offset from the last, as desktop programs cascade
# theirs, so that no window hides another exactly; on a private X server.
#   window_cascade.sh [--with-display]
. "$(dirname "$0")/common.sh"
if [ "$display_argument" != --with-display ]; then
    again_with_display "each window opens offset from the last"
    finish
    exit
fi
for tool in xdotool xwininfo; do
    command -v $tool >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
name=$(basename "$OPLEXA_DEMO")
# Three instances, processing by turns until the windows are seen; then the host is stopped.
OPLEXA_PLUGIN=$OPLEXA_DEMO OPLEXA_LOG_FILE=$WORK/log "$OPLEXA_HOST" --instances 3 \
    --blocks 10000000 --quiet "$MODULE" > "$WORK/out" 2>&1 &
host=$!
# corner TITLE: the window's top left on the screen, once it is mapped.
corner() {
    local id
    id=$(xdotool search --onlyvisible --name "^Oplexa - $1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && xwininfo -id "$id" | awk '/Absolute upper-left X/ {x = $NF}
        /Absolute upper-left Y/ {print x, $NF}'
}
# All three corners from one pass, once each window is mapped.
tries=0
while read -r x1 y1 x2 y2 x3 y3 <<< "$(corner "$name") $(corner "$name#2") $(corner "$name#3")"
    [ -z "$y3" ] && [ $tries -lt 1200 ] && kill -0 $host 2>/dev/null; do
    tries=$((tries + 1))
    sleep 0.1
done
[ -n "${E2E_SHOTS:-}" ] && import -window root "$E2E_SHOTS/cascade.png"
kill $host 2>/dev/null
wait $host 2>/dev/null
step="$((x2 - x1)),$((y2 - y1)) then $((x3 - x2)),$((y3 - y2))"
check "three windows at ${x1:-?},${y1:-?}, ${x2:-?},${y2:-?}, ${x3:-?},${y3:-?}: steps $step" \
    [ "$step" = "30,30 then 30,30" ]
finish
