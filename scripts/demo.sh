#!/usr/bin/env bash
# The demo session: oplexa-host loads build/Oplexa.so, which hosts the demo gain plug-in (or the
# plug-in given as the first argument) and logs every call to the terminal.
#   scripts/demo.sh [PLUGIN.so] [oplexa-host options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" > "$root/build.log" 2>&1 || { tail -50 "$root/build.log"; exit 1; }

plugin="$root/build/tests/plugins/oplexa-demo-gain.so"
if [ $# -gt 0 ] && [[ "$1" != --* ]]; then
    plugin=$(realpath "$1")
    shift
fi
export OPLEXA_PLUGIN="$plugin"
exec "$root/build/tools/oplexa-host" --blocks 8 --quiet "$@" "$root/build/Oplexa.so"
