#!/usr/bin/env bash
# The real file chooser in a real X session: its title, the folder it opens in, a cancel, and a
# plug-in chosen by typing its path, each with the settings file's LastDir afterwards.
. "$(dirname "$0")/common.sh"
for tool in Xvfb openbox xdotool; do
    command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
unset OPLEXA_PLUGIN

session() { # session NAME ACTION: runs the host on the module and acts on the chooser
    cat > "$WORK/session.sh" <<SCRIPT
cd "$WORK"
HOME="$WORK/home" timeout 60 "$OPLEXA_HOST" --blocks 2 --quiet "$MODULE" > "$WORK/$1.log" 2>&1 &
host=\$!
for i in \$(seq 1 80); do
    window=\$(xdotool search --name 'Please select the plugin to log' 2>/dev/null | head -1)
    [ -n "\$window" ] && break
    sleep 0.25
done
[ -n "\$window" ] && xdotool getwindowname "\$window" > "$WORK/$1.title"
sleep 1
xdotool windowactivate --sync "\$window" > /dev/null 2>&1
$2
wait \$host
echo \$? > "$WORK/$1.status"
SCRIPT
    # A display that did not come up (a machine busy enough that Xvfb or openbox took over their
    # minute) ran no host: it says why, and the session runs once more.
    local attempt
    for attempt in 1 2; do
        timeout 120 "$WITH_DISPLAY" bash "$WORK/session.sh" > "$WORK/display.out" 2>&1
        [ -e "$WORK/$1.log" ] && return
        echo "$1: no host ran: $(tail -1 "$WORK/display.out")"
    done
}

mkdir -p "$WORK/home"
# A LastDir that no longer exists: the chooser opens in the home folder instead.
printf '<Oplexa><LastDir>%s</LastDir></Oplexa>' "$WORK/gone" > "$WORK/Oplexa.xml"
session cancelled 'xdotool key --window "$window" Escape'
check "the chooser's title" [ "$(cat "$WORK/cancelled.title" 2>/dev/null)" = "Oplexa - Please select the plugin to log..." ]
check "a cancelled choice logs exactly one line after start-up" \
    [ "$(grep -v -e ':Oplexa - ' -e 'm$' -e ':Settings file ' -e ':Log lines go to ' "$WORK/cancelled.log" | grep -c '^(')" -eq 1 ]
check "a cancelled choice says so" grep -q ':No plugin was selected$' "$WORK/cancelled.log"
check "the host got no record" [ "$(cat "$WORK/cancelled.status")" -ne 0 ]
check "LastDir became the home folder" grep -q "<LastDir>$WORK/home</LastDir>" "$WORK/Oplexa.xml"

# The chooser is 600 x 500: its file field sits at (300, 436) and its Open button at (543, 476).
session chosen "xdotool mousemove --window \"\$window\" 300 436 click 1; sleep 0.3
xdotool type --delay 20 '$OPLEXA_DEMO'; sleep 0.5
xdotool mousemove --window \"\$window\" 543 476 click 1"
check "a typed choice is hosted and closed" grep -q ":Unloaded $OPLEXA_DEMO\$" "$WORK/chosen.log"
check "the host ran its session" [ "$(cat "$WORK/chosen.status")" -eq 0 ]
check "lines carry the chosen plug-in's name" grep -q "$(basename "$OPLEXA_DEMO"):effOpen" "$WORK/chosen.log"
check "LastDir became the chosen plug-in's folder" \
    grep -q "<LastDir>$(dirname "$OPLEXA_DEMO")</LastDir>" "$WORK/Oplexa.xml"
finish
