#!/usr/bin/env bash
# `oplexa stats` on recordings with set times: every figure comes out as those times say, in text
# and JSON; the budget picture is well-formed SVG with one mark per over-budget block, drawn from
# a few thousand points however many blocks; a recording that ends early gives its stats so far.
. "$(dirname "$0")/common.sh"
OPLEXA="$OPLEXA_BUILD/tools/oplexa"
CRAFTED="$(cd "$(dirname "$0")" && pwd)"
python3 "$CRAFTED/crafted_recordings.py" "$WORK" stats > /dev/null || exit 1
for name in stats stats-long stats-truncated stats-gap; do
    "$OPLEXA" stats "$WORK/$name.oplexarec" > "$WORK/$name.txt" 2> "$WORK/$name.err"
    echo $? > "$WORK/$name.status"
    "$OPLEXA" stats "$WORK/$name.oplexarec" --json --svg "$WORK/$name.svg" > "$WORK/$name.json" 2> /dev/null
done

# The text: rows of all threads (and each thread's), and the audio's budget.
rows=(
    "        10      61000.000     6100.000     4000.000    15000.000    15000.000  processReplacing"
    "       200      20100.000      100.500      100.000      198.000      200.000  getParameter"
    "         1        500.000      500.000      500.000      500.000      500.000  audioMasterGetTime"
    "         1          1.000        1.000        1.000        1.000        1.000  effSetSampleRate"
    "  10 blocks, 0.100000 s of audio at 48000 Hz (the last rate set)"
    "  budget used: 61.00 % (0.061000 s inside the plug-in)"
    "  worst block: call 211 (t2 audio) at 0.190000 s, 15000.000 µs of its 10000.000 µs budget (150.00 %)"
    "  over budget: 3 blocks"
)
for line in "${rows[@]}"; do
    check "text: '$line'" grep -qFx -- "$line" "$WORK/stats.txt"
done
check "text: exit 0 ($(cat "$WORK/stats.status"))" [ "$(cat "$WORK/stats.status")" = 0 ]
check "text: a table for t1 main and one for t2 audio" [ "$(grep -cE '^t(1 main|2 audio)$' "$WORK/stats.txt")" = 2 ]

# JSON, flattened to "path value" lines: rows and threads are keyed by their names.
flatten() {
    python3 - "$1" <<'EOF'
import json, sys
def walk(path, value):
    if isinstance(value, dict):
        for key, item in value.items():
            walk(f"{path}.{key}" if path else key, item)
    elif isinstance(value, list) and value and isinstance(value[0], dict):
        for item in value:
            walk(f"{path}[{item.get('name')}]", item)
    else:
        print(path, json.dumps(value))
walk("", json.load(open(sys.argv[1])))
EOF
}
rows=(
    "stats|ending \"complete\"" "stats|problem null" "stats|calls 212" "stats|unfinished 0"
    "stats|functions[processReplacing].calls 10" "stats|functions[processReplacing].totalNs 61000000"
    "stats|functions[processReplacing].meanNs 6100000" "stats|functions[processReplacing].medianNs 4000000"
    "stats|functions[processReplacing].p99Ns 15000000" "stats|functions[processReplacing].maxNs 15000000"
    "stats|functions[getParameter].medianNs 100000" "stats|functions[getParameter].p99Ns 198000"
    "stats|threads[t1 main].functions[getParameter].calls 200" "stats|threads[t2 audio].role \"audio\""
    "stats|threads[t2 audio].functions[audioMasterGetTime].totalNs 500000" "stats|otherThreads null"
    "stats|audio.blocks 10" "stats|audio.sampleRate 48000" "stats|audio.audioSeconds 0.1"
    "stats|audio.budgetShare 0.61" "stats|audio.overBudget 3" "stats|audio.worstBlock.call 211"
    "stats|audio.worstBlock.name \"t2 audio\"" "stats|audio.worstBlock.ns 15000000"
    "stats|audio.worstBlock.budgetNs 10000000" "stats|audio.worstBlock.share 1.5"
    "stats-long|audio.blocks 5000" "stats-long|audio.overBudget 3"
    "stats-truncated|ending \"truncated\"" "stats-truncated|problem \"record 416 is missing: the file ends inside it\""
    "stats-truncated|audio.blocks 5" "stats-truncated|unfinished 1" "stats-truncated|audio.overBudget 0"
    "stats-gap|ending \"complete\"" "stats-gap|droppedRecords 5" "stats-gap|untimed 1" "stats-gap|audio.blocks 9"
)
for name in stats stats-long stats-truncated stats-gap; do
    flatten "$WORK/$name.json" > "$WORK/$name.flat" 2>&1
done
for row in "${rows[@]}"; do
    IFS='|' read -r name line <<< "$row"
    check "$name --json: $line" grep -qFx -- "$line" "$WORK/$name.flat"
done

# Durations of more digits than the buckets keep: percentiles within 1 % below the true ones.
python3 - "$CRAFTED" "$WORK/stats-long.json" <<'EOF' > "$WORK/within"
import json, math, sys
sys.path.insert(0, sys.argv[1])
from crafted_recordings import LONG_PARAMETER_NS
row = next(r for r in json.load(open(sys.argv[2]))["functions"] if r["name"] == "getParameter")
ns = sorted(LONG_PARAMETER_NS)
for key, percent in (("medianNs", 50), ("p99Ns", 99)):
    true = ns[math.ceil(len(ns) * percent / 100) - 1]
    print(key, "ok" if true * 0.99 <= row[key] <= true else f"{row[key]} for {true}")
EOF
check "stats-long --json: percentiles within 1 %" [ "$(cat "$WORK/within")" = $'medianNs ok\np99Ns ok' ]

# The picture: well-formed, three marks for three over-budget blocks, a few thousand points.
for name in stats stats-long; do
    python3 - "$WORK/$name.svg" <<'EOF' > "$WORK/svg"
import sys, xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
ns = "{http://www.w3.org/2000/svg}"
marks = [c for c in root.iter(ns + "circle") if c.get("class") == "over"]
points = sum(len(p.get("points").split()) for p in root.iter(ns + "polyline"))
texts = " ".join(t.text or "" for t in root.iter(ns + "text"))
named = all(w in texts for w in ("session time (s)", "processing time per block (ms", "budget"))
print(len(marks), points <= 4000, named)
EOF
    check "$name --svg: well-formed, 3 marks, at most 4000 points, axes and budget named" \
        [ "$(cat "$WORK/svg")" = "3 True True" ]
done

# Ends early: exit 9, the stats up to there and one line; unreadable: exit 8.
check "truncated: exit 9 ($(cat "$WORK/stats-truncated.status"))" [ "$(cat "$WORK/stats-truncated.status")" = 9 ]
check "truncated: says where it ended" [ "$(cat "$WORK/stats-truncated.err")" = \
    "oplexa: stats: record 416 is missing: the file ends inside it" ]
check "truncated: the stats so far" grep -qFx "  5 blocks, 0.050000 s of audio at 48000 Hz (the last rate set)" \
    "$WORK/stats-truncated.txt"
python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[40000] ^= 1
open(sys.argv[2], "wb").write(d)' "$WORK/stats.oplexarec" "$WORK/damaged.oplexarec"
for file in "$WORK/missing.oplexarec" "$WORK/damaged.oplexarec"; do
    "$OPLEXA" stats "$file" > /dev/null 2>&1
    status=$?
    check "$(basename "$file"): exit 8 ($status)" [ $status -eq 8 ]
done
"$OPLEXA" stats --help > "$WORK/help.txt" 2>&1
check "oplexa stats --help names --json and --svg" grep -q -- "--svg" "$WORK/help.txt"
finish
