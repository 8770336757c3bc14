#!/usr/bin/env bash
# A host reads the same record through Oplexa as from the plug-in itself: every installed VST 2
# plug-in, run once directly and once through the module, leaves the same --record-fields file
# (the fields after the entry point, Open, mains on, processing, a parameter sweep and each
# IOChanged).
. "$(dirname "$0")/common.sh"
sanitized && { echo "skipped: real plug-ins are not built with the sanitizers"; exit 77; }
oplexa=$(realpath "$OPLEXA_MODULE")

# fields FILE PLUGIN.so: one run with a time limit, its exit code returned.
fields() {
    local out=$1
    shift
    timeout 60 "$OPLEXA_HOST" --quiet --blocks 2 --record-fields "$out" "$@" > /dev/null 2>&1
} 2> /dev/null # also the shell's own line about a run that crashed

same=0 compared=0 skipped=0
while read -r plugin; do
    [ "$(realpath "$plugin")" = "$oplexa" ] && continue
    name=${plugin#/usr/lib/}
    file=$WORK/$(echo "$name" | tr / _)
    fields "$file.direct" "$plugin"
    status=$?
    if [ $status -ne 0 ]; then
        echo "SKIP $name (exit code $status when run directly)"
        skipped=$((skipped + 1))
        continue
    fi
    compared=$((compared + 1))
    OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE=/dev/null fields "$file.via" "$MODULE"
    status=$?
    if [ $status -eq 0 ] && cmp -s "$file.direct" "$file.via"; then
        same=$((same + 1))
        echo "OK   $name"
    else
        echo "DIFF $name$([ $status -eq 0 ] || echo " (through Oplexa: exit code $status)")"
        diff "$file.direct" "$file.via" | head -8 # < direct, > through Oplexa
    fi
done < <(find /usr/lib/vst /usr/lib/lxvst -name '*.so' 2> /dev/null | sort)

[ "$compared" -gt 0 ] || { echo "skipped: no loadable VST 2 plug-in installed"; exit 77; }
echo "$same of $compared plug-ins show the same record ($skipped fail when run directly: skipped)"
check "every plug-in shows the host the same record through Oplexa" [ "$same" -eq "$compared" ]
finish
