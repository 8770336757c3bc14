#!/usr/bin/env bash
# Every static destructor of the module's own code must go through its __cxa_atexit wrapper,
# or the teardown at exit() could run after statics it needs are gone. What the binary shows:
# the functions it imports from shared libraries, and in its disassembly every place that calls
# or takes the address of the real __cxa_atexit. The wrapper's call and a direct one share a
# single import, so counting imports can't tell them apart; the call sites can. Registrations
# that other libraries make for the module, or through dlsym, can't be seen this way.
#   exit_hooks.sh [MODULE]      (the build's unstripped module)
. "$(dirname "$0")/common.sh"
module=${1:-$OPLEXA_MODULE}
imports=$(nm -D --undefined-only "$module" | awk '{ sub(/@.*/, "", $2); print $2 }')
for bypass in atexit on_exit __cxa_thread_atexit __cxa_thread_atexit_impl; do
    check "the module imports no $bypass" [ -z "$(grep -x "$bypass" <<< "$imports")" ]
done
check "it imports __cxa_atexit once" [ "$(grep -cx __cxa_atexit <<< "$imports")" -eq 1 ]
check "it defines the wrapper" grep -q ' __wrap___cxa_atexit$' <<< "$(nm "$module")"
callers=$(objdump -d --no-show-raw-insn "$module" |
    awk '/^[0-9a-f]+ <.*>:$/ { name = $2 } /<__cxa_atexit[@>]/ && name != "<__cxa_atexit@plt>:" { print name }' |
    sort -u)
check "only the wrapper reaches the real __cxa_atexit (found: ${callers//$'\n'/ })" \
    [ "$callers" = "<__wrap___cxa_atexit>:" ]
finish
