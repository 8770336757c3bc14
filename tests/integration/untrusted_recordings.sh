#!/usr/bin/env bash
# Recordings travel in bug reports: crafted ones, their checksums valid, end --print and --replay
# (with the probe) with a documented exit code, no signal, within twice the file's size plus
# 64 MB over an empty replay's memory, and within the timeout.
. "$(dirname "$0")/common.sh"
python3 "$(dirname "$0")/crafted_recordings.py" "$WORK" > /dev/null || { echo "FAILED: generator"; exit 1; }

# host OPTIONS...: status of oplexa-host; its peak memory in KB in $WORK/rss. Under the sanitizers,
# whose shadow memory takes the address space, neither the cap nor the measure.
host() {
    if sanitized; then
        timeout 60 "$OPLEXA_HOST" --quiet "$@" > /dev/null 2> "$WORK/err"
        local status=$?
        echo 0 > "$WORK/rss"
        return $status
    fi
    (ulimit -v $((4 * 1024 * 1024)) && timeout 60 /usr/bin/time -o "$WORK/rss" -f %M \
        "$OPLEXA_HOST" --quiet "$@" > /dev/null 2> "$WORK/err")
}
host --replay "$WORK/plain.oplexarec" "$OPLEXA_PROBE"
base=$(tail -1 "$WORK/rss")

# case | --print's status | --replay's status
rows=(
    "outputs-2e31|8|8" "inputs-2e31|8|8" "mxcsr-ffffffff|0|0" "mxcsr-unmasked|0|0"
    "frames-2e28|8|8" "channels-and-frames|8|8" "outputs-1e7|8|8" "events-4e6|8|8"
    "text-2e40|8|8" "text-24mb|0|0" "chunk-2e40|8|8" "chunk-size-16mb|8|8" "thread-2e32|0|0"
    "threads-5000|0|8" "calls-1e6|0|8" "blocks-5000|8|8" "gap-2e64|0|8" "negative-2e63|8|8"
    "version-0|8|8" "version-1|0|0" "version-2|0|0" "version-3|0|0" "version-5|8|8"
    "plugin|0|0" "plugin-fields|8|8" "plugin-functions-128|8|8" "plugin-delay-2e31|8|8"
    "plugin-outputs-2e32|8|8" "v3-plugin|8|8" "counts|0|7" "counts-channel-2|8|8"
    "counts-unsorted|8|8" "counts-2e32|8|8" "counts-short|8|8" "counts-full|8|8"
    "counts-1025-outputs|8|8" "v3-counts|8|8" "v3-process|0|7"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name printed replayed <<< "$row"
    file="$WORK/$name.oplexarec"
    allowed=$((2 * $(stat -c %s "$file") / 1024 + 65536 + base))
    for mode in print replay; do
        want=$printed
        args=(--print "$file")
        [ $mode = replay ] && want=$replayed && args=(--replay "$file" "$OPLEXA_PROBE")
        host "${args[@]}"
        got=$?
        rss=$(tail -1 "$WORK/rss")
        check "$name: --$mode ends with $want (got $got${rss:+, $rss KB})" [ "$got" -eq "$want" ]
        check "$name: --$mode stays within $allowed KB" [ "${rss:-0}" -le "$allowed" ] 2> /dev/null
    done
done

# The plug-in's records are read and not printed: the printout is that of the calls alone.
for name in plugin plugin-free; do
    "$OPLEXA_HOST" --print "$WORK/$name.oplexarec" > "$WORK/$name.txt" 2>&1
done
check "plugin: --print shows the calls alone" cmp "$WORK/plugin.txt" "$WORK/plugin-free.txt"
finish
