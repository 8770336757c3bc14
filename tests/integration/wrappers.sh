#!/usr/bin/env bash
# Wrappers made by `oplexa wrap`: each hosts its own plug-in with no chooser and no
# OPLEXA_PLUGIN, keeps its own settings and name, survives a rebuilt Oplexa.so, is scanned by
# Ardour as its plug-in, and says what is missing; and the command's answers to bad input.
. "$(dirname "$0")/common.sh"
OPLEXA="$OPLEXA_BUILD/tools/oplexa"
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" OPLEXA_PLUGIN="$OPLEXA_PROBE"
mkdir -p "$HOME" "$WORK/vst"
VST="$WORK/vst"
demo="$VST/oplexa-demo-gain-oplexa.so"

"$OPLEXA" wrap "$OPLEXA_DEMO" --into "$VST" > "$WORK/wrap.log" 2>&1
check "oplexa wrap makes the wrapper and its settings" test -f "$demo" -a -f "${demo%.so}.xml"
size=$(stat -c %s "$OPLEXA_BUILD/oplexa-wrapper.so")
check "the wrapper is at most 100 KB ($size bytes, unstripped)" [ "$size" -le 102400 ]

# OPLEXA_PLUGIN names the probe: a wrapper ignores it.
"$OPLEXA_HOST" --blocks 16 --params --quiet --write-audio "$WORK/direct.raw" --report "$WORK/direct.txt" \
    "$OPLEXA_DEMO" > /dev/null 2>&1
"$OPLEXA_HOST" --blocks 16 --params --quiet --write-audio "$WORK/wrapped.raw" --report "$WORK/wrapped.txt" \
    "$demo" > "$WORK/wrapped.log" 2>&1
check "through its wrapper the demo gain runs headless" [ $? -eq 0 ]
check "its audio is the demo gain's own" cmp -s "$WORK/direct.raw" "$WORK/wrapped.raw"
check "its record, names and parameters are the demo gain's own" cmp -s "$WORK/direct.txt" "$WORK/wrapped.txt"
check "its lines carry the wrapper's name" grep -q '^([0-9A-F]*) oplexa-demo-gain-oplexa.so:effOpen' "$WORK/wrapped.log"
check "it keeps its settings beside itself" grep -q "Settings file ${demo%.so}.xml" "$WORK/wrapped.log"

# Tagged, the host reads a name and ID of the wrapper's own; the log has the plug-in's.
mkdir "$WORK/tagged"
"$OPLEXA" wrap --tag "$OPLEXA_DEMO" --into "$WORK/tagged" > /dev/null 2>&1
"$OPLEXA_HOST" --blocks 2 --report "$WORK/tagged.txt" "$WORK/tagged/oplexa-demo-gain-oplexa.so" > "$WORK/tagged.log" 2>&1
check "a tagged wrapper's name ends in [Oplexa]" grep -q 'effectName: "Oplexa Demo Gain \[Oplexa\]"' "$WORK/tagged.txt"
check "its ID has the case of its characters flipped" grep -q "uniqueID=0x6f58674e 'oXgN'" "$WORK/tagged.txt"
check "the log has the plug-in's own name" grep -q 'effGetEffectName returned bool=1 name=Oplexa Demo Gain$' "$WORK/tagged.log"
"$OPLEXA" wrap --tag "$OPLEXA_PROBE" --into "$WORK/tagged" > /dev/null 2>&1
for row in "Probe|Probe [Oplexa]" "ABCDEFGHIJKLMNOPQRSTUV|ABCDEFGHIJKLMNOPQRSTUV [Oplexa]" \
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234|ABCDEFGHIJKLMNOPQRSTUV [Oplexa]"; do
    OPLEXA_PROBE_TEXT_45="${row%|*}" "$OPLEXA_HOST" --blocks 1 --quiet --report "$WORK/tagged.txt" \
        "$WORK/tagged/oplexa-probe-oplexa.so" > /dev/null 2>&1
    check "the tagged name of ${row%|*} fits 32 bytes" grep -qF "effectName: \"${row#*|}\"" "$WORK/tagged.txt"
done

# A host that unloads the wrapper without Close: the plug-in gets Close and is unloaded; one that
# exits without Close leaves it alone, as with the module itself.
for ending in unload exit; do
    "$OPLEXA_HOST" --blocks 2 --quiet "--$ending-without-close" "$demo" > "$WORK/$ending.log" 2>&1
    status=$?
    sent=$(grep -c -e "Oplexa sends effClose" -e ") oplexa-demo-gain-oplexa.so:Unloaded " "$WORK/$ending.log")
    check "$ending without Close: status $status, $sent lines of Close and unload" \
        [ "$status/$sent" = "0/$([ $ending = unload ] && echo 2 || echo 0)" ]
done

# An effect and an instrument in one process, each through its own wrapper.
kars=/usr/lib/vst/Kars-vst.so
if [ -e "$kars" ] && ! sanitized; then
    "$OPLEXA" wrap "$kars" --into "$VST" > /dev/null 2>&1
    sed -i 's|<Parameters |<Parameters logFile="kars.log" |' "$VST/Kars-vst-oplexa.xml"
    # With the module itself among them, and the demo gain's wrapper twice.
    OPLEXA_PLUGIN="$OPLEXA_PROBE:$OPLEXA_DEMO" python3 "$(dirname "$0")/two_wrappers.py" \
        "$demo" "$VST/Kars-vst-oplexa.so" "$MODULE" "$demo" > "$WORK/two.log" 2>&1
    check "two wrappers in one process host their own plug-ins" \
        grep -q '^oplexa-demo-gain-oplexa.so: Oplexa Demo Gain 2 in 2 out' "$WORK/two.log"
    check "the instrument through its wrapper has no inputs and one output" \
        grep -q '^Kars-vst-oplexa.so: Kars 0 in 1 out' "$WORK/two.log"
    check "the process holds Oplexa.so once" grep -q '^Oplexa.so mapped: 1' "$WORK/two.log"
    check "each first instance's lines carry its own name without #K" \
        [ "$(grep -c -e ') oplexa-demo-gain-oplexa.so:effOpen' -e ') Kars-vst-oplexa.so:effOpen' "$WORK/two.log")" -eq 2 ]
    check "instances count per wrapper" grep -q ') oplexa-demo-gain-oplexa.so#2:effOpen' "$WORK/two.log"
    check "the module itself takes the first element of OPLEXA_PLUGIN's list, numbered alone" \
        grep -q ') oplexa-probe.so:effOpen' "$WORK/two.log"
    check "a wrapper whose settings name another log says where its lines go" \
        grep -q "Kars-vst-oplexa.so:Log lines go to standard output, as the first session chose; this session's settings name $VST/kars.log" "$WORK/two.log"
    check "each keeps its own settings, its plug-in still named in them" \
        grep -q "hostedPlugin=\"$kars\"" "$VST/Kars-vst-oplexa.xml"
    check "Kars' settings keep its own log file" grep -q 'logFile="kars.log"' "$VST/Kars-vst-oplexa.xml"
else
    echo "skipped: two wrappers in one process (Kars is not installed, or a sanitizer build)"
fi

# The module itself hosts hostedPlugin when OPLEXA_PLUGIN is unset, and keeps the attribute.
printf '<Oplexa><Logger><Parameters hostedPlugin="%s"/></Logger></Oplexa>' "$OPLEXA_DEMO" > "$WORK/Oplexa.xml"
env -u OPLEXA_PLUGIN "$OPLEXA_HOST" --blocks 2 --quiet "$MODULE" > "$WORK/plain.log" 2>&1
check "the module itself hosts its settings' hostedPlugin" grep -q ') oplexa-demo-gain.so:effOpen' "$WORK/plain.log"
check "and keeps the attribute" grep -q "hostedPlugin=\"$OPLEXA_DEMO\"" "$WORK/Oplexa.xml"
"$OPLEXA_HOST" --blocks 2 --quiet "$MODULE" > "$WORK/plain.log" 2>&1
check "OPLEXA_PLUGIN comes before it" grep -q ') oplexa-probe.so:effOpen' "$WORK/plain.log"

# A wrapper made with an Oplexa.so elsewhere keeps working after that file is rebuilt in place.
mkdir "$WORK/module"
cp "$OPLEXA_MODULE" "$WORK/module/Oplexa.so"
"$OPLEXA" wrap "$OPLEXA_PROBE" --into "$VST" --oplexa "$WORK/module/Oplexa.so" > /dev/null 2>&1
probe="$VST/oplexa-probe-oplexa.so"
"$OPLEXA_HOST" --blocks 2 --quiet "$probe" > "$WORK/before.log" 2>&1
before=$?
cp "$OPLEXA_MODULE" "$WORK/module/Oplexa.so.new" && mv "$WORK/module/Oplexa.so.new" "$WORK/module/Oplexa.so"
"$OPLEXA_HOST" --blocks 2 --quiet "$probe" > "$WORK/after.log" 2>&1
check "a wrapper runs before and after its Oplexa.so is rebuilt ($before, $?)" [ "$before $?" = "0 0" ]
check "it loads the Oplexa.so it was made with" grep -q "Oplexa - $WORK/module/Oplexa.so" "$WORK/after.log"

# Ardour's, qtractor's and MusE's scanners learn of the wrapper what they learn of MVerb itself.
qtractor=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
muse=/usr/bin/muse_plugin_scan
mverb="$VST/MVerb-vst-oplexa.so"
if [ -x /usr/lib/ardour7/ardour-vst-scanner ] && [ -x "$qtractor" ] && [ -x "$muse" ] &&
    [ -e /usr/lib/vst/MVerb-vst.so ] && ! sanitized; then
    "$OPLEXA" wrap /usr/lib/vst/MVerb-vst.so --into "$VST" > /dev/null 2>&1
    for file in /usr/lib/vst/MVerb-vst.so "$mverb"; do
        ardour_scan "$file" | grep 'Found Plugin' > "$WORK/ardour.$(basename "$file")"
        printf 'VST2:%s\n' "$file" | timeout 120 "$qtractor" 2> /dev/null | grep -a '^VST|' |
            sed "s|$file|FILE|" > "$WORK/qtractor.$(basename "$file")"
        rm -f "$WORK/muse.xml" && touch "$WORK/muse.xml"
        timeout 120 "$muse" -t 16 -f "$file" -o "$WORK/muse.xml" > /dev/null 2>&1
        sed -e "s|$file|FILE|" -e "/<filetime>/d" "$WORK/muse.xml" > "$WORK/muse.$(basename "$file")"
    done
    check "Ardour's scanner finds MVerb's name and I/O through its wrapper ($(cat "$WORK/ardour.MVerb-vst-oplexa.so"))" \
        [ -s "$WORK/ardour.MVerb-vst.so" -a "$(cat "$WORK/ardour.MVerb-vst.so")" = "$(cat "$WORK/ardour.MVerb-vst-oplexa.so")" ]
    check "qtractor's scanner reads MVerb through its wrapper ($(cat "$WORK/qtractor.MVerb-vst.so"))" \
        cmp -s "$WORK/qtractor.MVerb-vst.so" "$WORK/qtractor.MVerb-vst-oplexa.so"
    check "MusE's scanner reads MVerb through its wrapper" grep -q 'label="MVerb"' "$WORK/muse.MVerb-vst-oplexa.so"
    check "as it reads MVerb itself, but for the file's time" cmp -s "$WORK/muse.MVerb-vst.so" "$WORK/muse.MVerb-vst-oplexa.so"
else
    echo "skipped: Ardour's, qtractor's and MusE's scanners on a wrapper (not installed, or a sanitizer build)"
fi

# What is missing is said on standard error, and the host gets null (oplexa-host's status 4).
rm "$WORK/module/Oplexa.so"
"$OPLEXA_HOST" --blocks 2 --quiet "$probe" > "$WORK/gone.log" 2>&1
status=$?
if [ -e /usr/lib/vst/Oplexa.so ] || [ -e /usr/local/lib/vst/Oplexa.so ]; then
    check "a wrapper whose Oplexa.so is gone takes an installed one" [ $status -eq 0 ]
else
    check "a wrapper whose Oplexa.so is gone gets null ($status) and says so" [ $status -eq 4 ]
    check "the line names it" grep -q "^Oplexa wrapper $probe: finds no Oplexa.so: $WORK/module/Oplexa.so is gone, and none is in /usr/lib/vst, /usr/local/lib/vst or ~/.vst" "$WORK/gone.log"
fi
cp "$OPLEXA_DEMO" "$WORK/gain.so"
"$OPLEXA" wrap "$WORK/gain.so" --into "$VST" > /dev/null 2>&1 && rm "$WORK/gain.so"
"$OPLEXA_HOST" --blocks 2 --quiet "$VST/gain-oplexa.so" > "$WORK/gone.log" 2>&1
check "a wrapper whose plug-in is gone gets null ($?)" [ $? -eq 4 ]
check "the line names it" grep -q "^Oplexa wrapper $VST/gain-oplexa.so: finds no plugin: $WORK/gain.so is gone" "$WORK/gone.log"
cp "$OPLEXA_DEMO" "$WORK/gain.so" && "$OPLEXA" wrap "$WORK/gain.so" --into "$VST" --force > /dev/null 2>&1
sed -i "s|hostedPlugin=\"[^\"]*\"|hostedPlugin=\"$VST/gain-oplexa.so\"|" "$VST/gain-oplexa.xml"
"$OPLEXA_HOST" --blocks 2 --quiet "$VST/gain-oplexa.so" > "$WORK/self.log" 2>&1
check "a wrapper whose settings name itself gets null ($?)" [ $? -eq 4 ]
check "and says so" grep -q "^Oplexa wrapper $VST/gain-oplexa.so: is asked to host itself through $VST/gain-oplexa.so" "$WORK/self.log"
"$OPLEXA" wrap "$WORK/gain.so" --into "$VST" --force > /dev/null 2>&1 && rm "$WORK/gain.so"
check "oplexa list names each wrapper's plug-in and whether it is there" \
    [ "$("$OPLEXA" list "$VST" | grep -c -e "gain.so	gone$" -e "$OPLEXA_DEMO	present$")" -eq 2 ]

# The command's bad input: one line, a non-zero status, nothing changed.
printf 'not a module' > "$WORK/text.so"
before=$(ls -l --time-style=full-iso "$VST")
while IFS='|' read -r what line args; do
    # shellcheck disable=SC2086
    "$OPLEXA" wrap $args > "$WORK/bad.log" 2>&1
    status=$?
    check "$what: status $status, one line" [ "$status $(wc -l < "$WORK/bad.log")" = "1 1" ]
    check "$what: it says so" grep -q "^oplexa: $line" "$WORK/bad.log"
done <<LIST
a missing file|no such file: $WORK/none.so|$WORK/none.so --into $VST
no VST 2 plug-in|not a VST 2 plug-in: $WORK/text.so|$WORK/text.so --into $VST
Oplexa.so itself|$OPLEXA_MODULE is Oplexa itself|$OPLEXA_MODULE --into $VST
a wrapper|$demo is a wrapper already|$demo --into $VST
a folder that is no folder|can't write to the folder $OPLEXA_DEMO|$OPLEXA_DEMO --into $OPLEXA_DEMO
a missing folder|can't write to the folder $WORK/none|$OPLEXA_DEMO --into $WORK/none
no Oplexa.so|no Oplexa.so at $WORK/text.so|$OPLEXA_DEMO --into $VST --force --oplexa $WORK/text.so
LIST
check "bad input changed nothing" [ "$before" = "$(ls -l --time-style=full-iso "$VST")" ]
"$OPLEXA" wrap "$OPLEXA_DEMO" --into "$VST" > "$WORK/again.log" 2>&1
check "an existing wrapper is left alone ($?)" [ "$before" = "$(ls -l --time-style=full-iso "$VST")" ]
check "with one line" grep -q "^$demo exists; left alone (--force replaces it)" "$WORK/again.log"
sed -i 's|<Parameters |<Parameters logTime="1" |' "${demo%.so}.xml"
"$OPLEXA" wrap "$WORK/none.so" "$OPLEXA_DEMO" --into "$VST" --force > "$WORK/force.log" 2>&1
check "of a good and a bad plug-in, the status says one was bad" [ $? -ne 0 ]
check "and the good one is wrapped" grep -q "^Wrapped $OPLEXA_DEMO as $demo" "$WORK/force.log"
check "--force keeps the wrapper's settings" grep -q 'logTime="1"' "${demo%.so}.xml"
mkdir "$WORK/all" && cp "$OPLEXA_DEMO" "$OPLEXA_PROBE" "$WORK/text.so" "$WORK/all/"
"$OPLEXA" wrap --all "$WORK/all" --into "$WORK/all" > "$WORK/all.log" 2>&1
check "--all wraps each plug-in of a folder ($?)" [ "$(ls "$WORK/all" | grep -c -- '-oplexa.so$')" -eq 2 ]
check "and skips the rest with a line" grep -q "^Skipped not a VST 2 plug-in: $WORK/all/text.so" "$WORK/all.log"
"$OPLEXA" unwrap "$OPLEXA_DEMO" --from "$WORK/all" > /dev/null 2>&1 &&
    "$OPLEXA" unwrap "$WORK/all/oplexa-probe-oplexa.so" > /dev/null 2>&1
check "unwrap, by plug-in or by wrapper, removes the wrapper and its settings ($?)" \
    [ "$(ls "$WORK/all" | grep -c oplexa-)" -eq 2 ]
# oplexa print and replay are oplexa-host's --print and --replay.
mkdir "$WORK/rec"
OPLEXA_RECORD="$WORK/rec" "$OPLEXA_HOST" --blocks 4 --quiet "$demo" > /dev/null 2>&1
recording=$(ls "$WORK"/rec/*.oplexarec)
"$OPLEXA_HOST" --print "$recording" > "$WORK/host-print.txt" 2>&1
"$OPLEXA" print "$recording" > "$WORK/print.txt" 2>&1
check "oplexa print prints as oplexa-host --print" cmp -s "$WORK/host-print.txt" "$WORK/print.txt"
check "which names the calls" grep -q ":effOpen" "$WORK/print.txt"
"$OPLEXA" replay "$recording" --quiet > /dev/null 2>&1
check "oplexa replay replays identically ($?)" [ $? -eq 0 ]
for command in wrap list unwrap print replay; do
    "$OPLEXA" $command --help > "$WORK/help.txt" 2>&1
    check "oplexa $command --help ($?)" grep -q "^Usage:" "$WORK/help.txt"
done
finish
