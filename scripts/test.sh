#!/usr/bin/env bash
# Every test: installs what is missing, builds with warnings as errors, runs the test suite,
# then runs it again under AddressSanitizer with UndefinedBehaviorSanitizer, the concurrency
# tests under ThreadSanitizer, and the settings and recording fuzzers for a bounded time.
#   scripts/test.sh [--quick]     --quick: the plain build and its tests only
# Test runs that mostly wait (windows on Xvfb, real plug-ins) overlap the next build, so the
# two cores stay busy.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
quick=0
[ "${1:-}" = "--quick" ] && quick=1

"$root/scripts/install-deps.sh" || exit 1
status=0
stage() { echo; echo "=== $* ==="; }
# build FOLDER LOG [cmake options...]: stops everything when the build fails.
build() {
    local folder=$1 log=$2
    shift 2
    nice scripts/build.sh "$folder" "$@" > "$log" 2>&1 || { tail -80 "$log"; exit 1; }
}
# in_background NAME COMMAND...: runs a test command while the next stage builds.
runs=0
in_background() {
    background_name=$1
    shift
    runs=$((runs + 1))
    background_log="tests-$runs.log"
    "$@" > "$background_log" 2>&1 &
    background=$!
}
wait_background() {
    wait "$background" || status=1
    stage "$background_name"
    cat "$background_log"
}

stage "includes point one way"
scripts/check-includes.py || exit 1

stage "build (warnings are errors)"
build build build.log
if [ $quick -eq 1 ]; then
    stage "tests"
    (cd build && ctest --output-on-failure -j2 --timeout 900) || status=1
else
    in_background "tests" sh -c 'cd build && ctest --output-on-failure -j2 --timeout 900'
    stage "build with AddressSanitizer and UndefinedBehaviorSanitizer"
    build build-asan build-asan.log -DOPLEXA_SANITIZE=address,undefined -DOPLEXA_BENCH=OFF
    wait_background

    stage "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions="$root/tests/sanitizers/lsan.supp"
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        ctest --output-on-failure -j2 --timeout 1800 -LE 'foreign-code|heavy') || status=1
    # Real plug-ins and Xlib keep memory past their own unloading, where no leak report can
    # name them; there every other report still counts. Tests labelled heavy (many load cycles
    # of real plug-ins) run in the plain build only.
    in_background "tests of foreign code under AddressSanitizer" sh -c \
        'cd build-asan && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
            ctest --output-on-failure -j2 --timeout 1800 -L foreign-code -LE heavy'

    stage "build with ThreadSanitizer"
    OPLEXA_TARGETS="oplexa_logger_concurrency_tests oplexa_bridge_concurrency_tests" \
        build build-tsan build-tsan.log -DOPLEXA_SANITIZE=thread -DOPLEXA_BENCH=OFF
    wait_background
    stage "concurrency tests under ThreadSanitizer"
    (cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
        ctest --output-on-failure --timeout 900 -L concurrency) || status=1

    stage "settings fuzzer (libFuzzer)"
    CC=clang-14 CXX=clang++-14 build build-fuzz build-fuzz.log -DOPLEXA_FUZZ=ON \
        -DOPLEXA_WITH_GUI=OFF -DOPLEXA_TESTS=OFF
    mkdir -p build-fuzz/corpus
    cp tests/fuzz/corpus/* build-fuzz/corpus/ 2>/dev/null
    # JUCE's XML parser is slow on some mangled inputs, so the outer limit is generous and
    # running out of it is not a failure; a crash, or one input taking over 30 s, is.
    timeout 600 build-fuzz/tests/fuzz/oplexa_settings_fuzzer \
        -max_total_time="${OPLEXA_FUZZ_SECONDS:-60}" -timeout=30 -rss_limit_mb=2048 \
        -artifact_prefix=build-fuzz/ build-fuzz/corpus \
        > build-fuzz/fuzz.log 2>&1
    fuzz_status=$?
    if [ $fuzz_status -eq 0 ] || [ $fuzz_status -eq 124 ]; then
        echo "fuzzer: $(grep -oE '^#[0-9]+' build-fuzz/fuzz.log | tail -1 | tr -d '#') inputs, no crash"
    else
        tail -40 build-fuzz/fuzz.log
        status=1
    fi

    stage "recording fuzzer (libFuzzer)"
    mkdir -p build-fuzz/recordings
    cp tests/fuzz/recordings/* build-fuzz/recordings/ 2>/dev/null
    timeout 600 build-fuzz/tests/fuzz/oplexa_recording_fuzzer \
        -max_total_time="${OPLEXA_FUZZ_SECONDS:-60}" -timeout=30 -rss_limit_mb=2048 \
        -artifact_prefix=build-fuzz/ build-fuzz/recordings \
        > build-fuzz/recording-fuzz.log 2>&1
    fuzz_status=$?
    if [ $fuzz_status -eq 0 ] || [ $fuzz_status -eq 124 ]; then
        echo "recording fuzzer: $(grep -oE '^#[0-9]+' build-fuzz/recording-fuzz.log | tail -1 | tr -d '#') inputs, no crash"
    else
        tail -40 build-fuzz/recording-fuzz.log
        status=1
    fi
fi

stage "result"
scripts/count-lines.sh
[ $status -eq 0 ] && echo "all stages passed" || echo "some stage FAILED"
exit $status
