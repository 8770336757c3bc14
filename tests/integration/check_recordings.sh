#!/usr/bin/env bash
# `oplexa check` on crafted sessions: each that breaks one rule reports exactly that rule, clean
# ones nothing; the exit codes, the early-end line, the JSON fields; older and hostile recordings
# end with a documented code.
. "$(dirname "$0")/common.sh"
OPLEXA="$OPLEXA_BUILD/tools/oplexa"
crafter="$(dirname "$0")/crafted_recordings.py"
python3 "$crafter" "$WORK" rules > "$WORK/cases" || { echo "FAILED: generator"; exit 1; }
# The rules the file broke, as --json lists them.
fired() {
    "$OPLEXA" check --json "$@" | python3 -c 'import json, sys
print(" ".join(p["rule"] for f in json.load(sys.stdin)["files"] for p in f["problems"]))'
}

# Plug-in records and output counts came with version 4; a build that reads only 3 skips its cases.
"$OPLEXA" check "$WORK/clean-v4.oplexarec" | grep -q "format version 4" && v4=no || v4=yes
while read -r name version; do
    want=${name%-v4}
    case $name in clean*) want= ;; call-after-close) want= ;; esac
    if [ $v4 = no ] && [ "$version" = 4 ]; then
        echo "skipped: $name (version 4)"
        continue
    fi
    got=$(fired "$WORK/$name.oplexarec")
    check "$name: reports '${want}' (got '$got')" [ "$got" = "$want" ]
done < "$WORK/cases"

# file... | exit code | a line of its text output
"$OPLEXA" check --json "$WORK/process-over-budget.oplexarec" > "$WORK/json"
check "--json has the documented fields" python3 -c 'import json, sys
f = json.load(open(sys.argv[1]))["files"][0]; p = f["problems"][0]
assert list(f) == ["file", "ending", "problem", "problems"] and f["ending"] == "complete"
assert list(p) == ["rule", "side", "severity", "count", "firstCall", "thread", "role", "text",
    "summary", "worstCall", "worstNs"] and p["worstNs"] == 2000000 and p["role"] == "audio"' "$WORK/json"
head -c -40 "$WORK/process-while-suspended.oplexarec" > "$WORK/cut.oplexarec"
python3 "$crafter" "$WORK" > /dev/null
python3 "$crafter" "$WORK" diverging > /dev/null
rows=(
    "clean.oplexarec text-too-long.oplexarec|0|text-too-long: 1 time, first in call 5 (t1 main)"
    "clean.oplexarec null-buffer.oplexarec|3|null-buffer: 1 time, first in call 5 (t1 main)"
    "cut.oplexarec|3|cut.oplexarec: ends early at record 13 (the file ends inside it)"
    "null-buffer.oplexarec missing.oplexarec|8|missing.oplexarec: unreadable: cannot open"
    "version-1.oplexarec version-2.oplexarec|0|version-2.oplexarec: no rule fired"
    "version-0.oplexarec|8|version-0.oplexarec: unreadable: format version 0"
    "damaged.oplexarec|8|damaged.oplexarec: record 2 is unreadable (its checksum does not match)"
)
for row in "${rows[@]}"; do
    IFS='|' read -r files want line <<< "$row"
    (cd "$WORK" && "$OPLEXA" check $files > "$WORK/out")
    got=$?
    check "check $files: exit $want (got $got), says '$line'" \
        [ $got -eq "$want" -a "$(grep -cF "$line" "$WORK/out")" -eq 1 ]
done
for file in "$WORK"/*.oplexarec; do
    timeout 120 "$OPLEXA" check "$file" > /dev/null 2>&1
    got=$?
    [[ $got =~ ^(0|3|8)$ ]] || fail "check $(basename "$file") ended with $got"
done
pass "every crafted recording checked with exit 0, 3 or 8"
finish
