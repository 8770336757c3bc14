#!/usr/bin/env bash
# Records a session of every VST 2 plug-in in the given folders through Oplexa in oplexa-host,
# replays each recording and checks it for protocol problems; one line per plug-in, then totals.
#   scripts/plugin-sweep.sh [FOLDER...]   default: /usr/lib/vst, /usr/lib/lxvst and IEM's folder
# Needs a build in build/; the plug-ins are Debian's (dpf-plugins-vst, zam-plugins, lsp-plugins-vst,
# dragonfly-reverb-vst, iem-plugin-suite-vst, zynaddsubfx-vst: whichever are installed).
# Recordings and logs stay in $SWEEP_DIR (default a new folder in /tmp).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
host=$root/build/tools/oplexa-host
oplexa=$root/build/tools/oplexa
module=$root/build/Oplexa.so
out=${SWEEP_DIR:-$(mktemp -d /tmp/oplexa-sweep-XXXXXX)}
[ $# -gt 0 ] || set -- /usr/lib/vst /usr/lib/lxvst /usr/lib/x86_64-linux-gnu/iem-plugin-suite/vst
mkdir -p "$out"
loaded=0 same=0 total=0
printf '%-44s %-8s %-9s %s\n' plug-in recorded replay problems
while read -r plugin; do
    name=$(basename "$plugin" .so)
    folder=$out/$name
    mkdir -p "$folder"
    total=$((total + 1))
    # Synths get notes, effects get parameters; both get enough blocks to settle.
    OPLEXA_RECORD=$folder OPLEXA_PLUGIN=$plugin OPLEXA_LOG_FILE=$folder/log DISPLAY='' \
        timeout 300 "$host" --quiet --blocks 64 --params --notes "$module" > /dev/null 2>&1
    file=$(ls "$folder"/*.oplexarec 2> /dev/null | head -1)
    if [ -z "$file" ]; then
        printf '%-44s %-8s\n' "$name" no
        continue
    fi
    loaded=$((loaded + 1))
    DISPLAY='' timeout 300 "$host" --quiet --replay "$file" > /dev/null 2> "$folder/replay.err"
    status=$?
    [ $status -eq 0 ] && same=$((same + 1))
    problems=$("$oplexa" check --json "$file" 2> /dev/null | python3 -c '
import json, sys
report = json.load(sys.stdin)
fired = [p["rule"] + "x" + str(p["count"]) for f in report["files"] for p in f["problems"]]
print(" ".join(fired) or "-")')
    printf '%-44s %-8s %-9s %s\n' "$name" yes "$status" "$problems"
done < <(find "$@" -name '*.so' 2> /dev/null | sort)
echo "$total plug-ins, $loaded recorded, $same replayed identically; files in $out"
