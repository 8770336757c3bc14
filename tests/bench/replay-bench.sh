#!/usr/bin/env bash
# Replay speed: records MVerb hosted by oplexa-host through Oplexa.so (64-frame stereo blocks),
# then times, alternately and several times, the recording replayed and the same blocks processed
# by MVerb hosted directly, and prints wall and CPU time of each with the machine's load, then
# the medians and the ratio replay / direct.
#
#   tests/bench/replay-bench.sh [BUILD_DIR] [BLOCKS] [RUNS]     # defaults: build 200000 5
#
# Builds nothing: build the Oplexa and oplexa-host targets in BUILD_DIR (default build/) first.
set -euo pipefail

build=${1:-build}
blocks=${2:-200000}
runs=${3:-5}
plugin=/usr/lib/vst/MVerb-vst.so
host="$build/tools/oplexa-host"
module="$build/Oplexa.so"
for file in "$host" "$module" "$plugin"; do
    [[ -e "$file" ]] || { echo "replay-bench.sh: no $file" >&2; exit 1; }
done

work=$(mktemp -d /tmp/oplexa-replay-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
direct=(env DISPLAY='' "$host" --quiet --block-size 64 --blocks "$blocks")

mkdir "$work/rec"
OPLEXA_RECORD="$work/rec" OPLEXA_PLUGIN=$plugin OPLEXA_LOG_FILE="$work/rec.log" \
    "${direct[@]}" "$module" > /dev/null 2>&1
recording=$(ls "$work"/rec/*.oplexarec)
echo "recording: $blocks blocks of 64 stereo frames, $(($(stat -c %s "$recording") / 1000000)) MB"

# timed NAME COMMAND...: appends "wall cpu" to $work/NAME and prints them with the load
timed() {
    local name=$1 times
    shift
    times=$({ TIMEFORMAT='%R %U %S'; time "$@" > /dev/null 2> "$work/$name.err"; } 2>&1) || {
        echo "replay-bench.sh: $name failed:" >&2
        cat "$work/$name.err" >&2
        exit 1
    }
    read -r wall user sys <<< "$times"
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    echo "$wall $cpu" >> "$work/$name"
    printf '%-7s wall %6.2f s  cpu %6.2f s  load %s\n' "$name" "$wall" "$cpu" \
        "$(cut -d' ' -f1-3 /proc/loadavg)"
}

for ((run = 0; run < runs; run++)); do
    timed replay env DISPLAY='' "$host" --quiet --replay "$recording" "$plugin"
    timed direct "${direct[@]}" "$plugin"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for column in 1 2; do
    r=$(cut -d' ' -f$column "$work/replay" | median)
    d=$(cut -d' ' -f$column "$work/direct" | median)
    label=$([[ $column == 1 ]] && echo wall || echo cpu)
    awk -v l="$label" -v r="$r" -v d="$d" -v n="$runs" \
        'BEGIN { printf "median of %d, %s: replay %.2f s, direct %.2f s, ratio %.2f\n", n, l, r, d, r / d }'
done
