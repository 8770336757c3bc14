#!/usr/bin/env bash
# A recording far larger than oplexa-host's memory bound: --print and --replay walk it in bounded
# memory, at most 64 MB over the replay of a one-block recording with the same plug-in.
. "$(dirname "$0")/common.sh"
# write NAME BLOCKS: a full-outputs recording of BLOCKS stereo blocks of 16384 frames that the
# probe replays identically (its gain is 0.5).
write() {
    python3 - "$WORK/$1.oplexarec" "$2" << 'PY' || { echo "FAILED: generator"; exit 1; }
import os, sys
sys.path.insert(0, os.environ["CRAFTED"])
from crafted_recordings import *
frames = 16384
into, out = struct.pack("<f", 0.25) * frames, struct.pack("<f", 0.125) * frames
pair = call(PROCESS_REPLACING, 2, 2, frames, [0, 2, 0x2000, into, into]) \
    + ret(PROCESS_REPLACING, 2, 0, [out, out])
with open(sys.argv[1], "wb") as file:
    header = list(VERSIONS[3])
    header[5] = True
    file.write(item(header))
    for _ in range(int(sys.argv[2])):
        file.write(pair)
    file.write(record([3]))
PY
}
CRAFTED=$(dirname "$0")
export CRAFTED
# peak OPTIONS...: oplexa-host's peak memory in KB; its status in $WORK/status.
peak() {
    /usr/bin/time -o "$WORK/rss" -f %M "$OPLEXA_HOST" --quiet "$@" > /dev/null 2> "$WORK/err"
    echo $? > "$WORK/status"
    tail -1 "$WORK/rss"
}
write small 1
write large 1500
base=$(peak --replay "$WORK/small.oplexarec" "$OPLEXA_PROBE")
allowed=$((base + 65536))
for mode in --print --replay; do
    args=("$mode" "$WORK/large.oplexarec")
    [ "$mode" = --replay ] && args+=("$OPLEXA_PROBE")
    rss=$(peak "${args[@]}")
    check "$mode of $(($(stat -c %s "$WORK/large.oplexarec") >> 20)) MB: exit 0" \
        [ "$(cat "$WORK/status")" -eq 0 ]
    check "$mode: $rss KB, within $allowed KB" [ "$rss" -le "$allowed" ]
done

# A call whose return lies 10 MB of another thread's calls (over 32 MB held) further on.
python3 - "$WORK/apart.oplexarec" << 'PY'
import os, sys
sys.path.insert(0, os.environ["CRAFTED"])
from crafted_recordings import *
other = call(5, 0, 1, thread=2) + ret(5, 0, 0.25, thread=2)
with open(sys.argv[1], "wb") as file:
    file.write(item(VERSIONS[3]) + other + call(SET_PARAMETER) + other * 200000
               + ret(SET_PARAMETER) + record([3]))
PY
rss=$(peak --replay "$WORK/apart.oplexarec" "$OPLEXA_PROBE")
check "a call far from its return: exit 8" [ "$(cat "$WORK/status")" -eq 8 ]
check "a call far from its return: $rss KB, within $allowed KB" [ "$rss" -le "$allowed" ]
check "and the line that says so" grep -qF "replay: call 2 returns more than 32 MB of records \
later, further than oplexa-host reads ahead; the 1 host calls before it replayed identically" "$WORK/err"
finish
