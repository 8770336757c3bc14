#!/usr/bin/env bash
# Ardour's VST 2 scanner, a real host, scans Oplexa.so and finds the hosted plug-in's name and ID.
. "$(dirname "$0")/common.sh"
scanner=/usr/lib/ardour7/ardour-vst-scanner
need "$scanner"
export LD_LIBRARY_PATH=/usr/lib/ardour7 HOME="$WORK"
# Ardour's scanner is not built with sanitizers and can't load a module that is.
if sanitized; then
    echo "skipped: a sanitizer build of the module"
    exit 77
fi

for plugin in /usr/lib/vst/MVerb-vst.so /usr/lib/vst/lsp-plugins/compressor-stereo.so; do
    name=$(basename "$plugin" .so)
    # The scanner exits 0 even when it fails, so its output is what counts.
    direct=$("$scanner" -f "$plugin" 2>&1 | grep 'Found Plugin')
    via=$(OPLEXA_PLUGIN="$plugin" "$scanner" -f "$MODULE" 2>&1)
    found=$(grep 'Found Plugin' <<< "$via")
    check "$name: the scanner finds a plug-in directly" [ -n "$direct" ]
    check "$name: through Oplexa it reports the hosted name and ID ($found)" [ "$found" = "$direct" ]
    check "$name: Oplexa logged the scan and unloaded the plug-in" grep -q "Unloaded $plugin" <<< "$via"
done
finish
