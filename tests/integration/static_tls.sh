#!/usr/bin/env bash
# The module takes none of the process's static TLS, whose little room the plug-ins it hosts
# need (MVerb's GL libraries): a host that loads and unloads it without Close each time, as
# scanners do, and a host holding many copies of it, both leave that room to them.
. "$(dirname "$0")/common.sh"
: "${OPLEXA_COPIES_HOST:?}"
plugin=/usr/lib/vst/MVerb-vst.so
need "$plugin"
cycles=${OPLEXA_TLS_CYCLES:-200}
copies=${OPLEXA_TLS_COPIES:-50}

flags=$(readelf -d "$OPLEXA_MODULE" | grep -E '\(FLAGS(_1)?\)')
check "no STATIC_TLS flag (${flags:-no FLAGS entry})" [ -z "$(grep STATIC_TLS <<< "$flags")" ]
check "no TLS segment" [ -z "$(readelf -lW "$OPLEXA_MODULE" | grep -E '^ +TLS ')" ]

timeout 900 env OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE="$WORK/cycles.log" "$OPLEXA_HOST" \
    --cycles "$cycles" --unload-without-close --blocks 1 --quiet "$MODULE" > "$WORK/cycles.out" 2>&1
status=$?
hosted=$(grep -c 'Oplexa sends effClose' "$WORK/cycles.log")
check "$hosted of $cycles cycles without Close hosted MVerb (status $status)" \
    [ "$status" -eq 0 -a "$hosted" -eq "$cycles" ]
[ "$hosted" -eq "$cycles" ] || tail -n 2 "$WORK/cycles.out" "$WORK/cycles.log"

# Stripped, fifty copies take 200 MB instead of 2 GB.
strip -o "$WORK/Oplexa-1.so" "$OPLEXA_MODULE"
for i in $(seq 2 "$copies"); do cp "$WORK/Oplexa-1.so" "$WORK/Oplexa-$i.so"; done
timeout 900 "$OPLEXA_COPIES_HOST" "$plugin" $(seq -f "$WORK/Oplexa-%g.so" "$copies") \
    > "$WORK/copies.out" 2>&1
status=$?
check "$copies copies in one process: $(tail -1 "$WORK/copies.out")" [ "$status" -eq 0 ]
[ "$status" -eq 0 ] || head -12 "$WORK/copies.out"
finish
