#!/usr/bin/env bash
# Trace speed: records MVerb hosted by oplexa-host through Oplexa.so (64-frame stereo blocks),
# then times, once each, `oplexa print` of the recording to /dev/null and `oplexa trace` of it to
# a file, and prints wall and CPU time and peak memory of each with the machine's load, and the
# ratio trace / print.
#
#   tests/bench/trace-bench.sh [BUILD_DIR] [BLOCKS]     # defaults: build 200000
#
# Builds nothing: build the Oplexa, oplexa-host and oplexa targets in BUILD_DIR first.
set -euo pipefail

build=${1:-build}
blocks=${2:-200000}
plugin=/usr/lib/vst/MVerb-vst.so
host="$build/tools/oplexa-host"
oplexa="$build/tools/oplexa"
module="$build/Oplexa.so"
for file in "$host" "$oplexa" "$module" "$plugin"; do
    [[ -e "$file" ]] || { echo "trace-bench.sh: no $file" >&2; exit 1; }
done

work=$(mktemp -d /tmp/oplexa-trace-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/rec"
OPLEXA_RECORD="$work/rec" OPLEXA_PLUGIN=$plugin OPLEXA_LOG_FILE="$work/rec.log" DISPLAY='' \
    "$host" --quiet --block-size 64 --blocks "$blocks" "$module" > /dev/null 2>&1
recording=$(ls "$work"/rec/*.oplexarec)
echo "recording: $blocks blocks of 64 stereo frames, $(($(stat -c %s "$recording") / 1000000)) MB"

# timed NAME OUTPUT COMMAND...: prints wall, CPU and peak memory; the wall time in $work/NAME
timed() {
    local name=$1 output=$2
    shift 2
    /usr/bin/time -o "$work/$name.time" -f '%e %U %S %M' "$@" > "$output" 2> "$work/$name.err" || {
        echo "trace-bench.sh: $name failed:" >&2
        cat "$work/$name.err" >&2
        exit 1
    }
    read -r wall user sys rss < "$work/$name.time"
    echo "$wall" > "$work/$name"
    printf '%-6s wall %6.2f s  cpu %6.2f s  peak %6d KB  load %s\n' "$name" "$wall" \
        "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" "$rss" \
        "$(cut -d' ' -f1-3 /proc/loadavg)"
}

timed print /dev/null "$oplexa" print "$recording"
timed trace /dev/null "$oplexa" trace "$recording" "$work/trace.json"
echo "trace: $(($(stat -c %s "$work/trace.json") / 1000000)) MB of JSON"
awk -v t="$(cat "$work/trace")" -v p="$(cat "$work/print")" \
    'BEGIN { printf "one run, wall: trace %.2f s, print %.2f s, ratio %.2f\n", t, p, t / p }'
