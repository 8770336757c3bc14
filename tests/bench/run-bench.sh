#!/usr/bin/env bash
# Runs oplexa_bench with logging stopped, with logging on, and with logging on and the
# structures decoded (one process each: the module takes its logging state at start-up) and
# prints one table of CPU ns per call, each set against the direct call measured in the same
# process.
#
#   tests/bench/run-bench.sh [BUILD_DIR] [extra Google Benchmark flags]
#
# Builds nothing: build the oplexa_bench target in BUILD_DIR (default build/) first.
set -euo pipefail

build=${1:-build}
shift || true
bench="$build/tests/bench/oplexa_bench"
if [[ ! -x "$bench" ]]; then
    echo "run-bench.sh: no $bench; build it with: cmake --build $build --target oplexa_bench" >&2
    exit 1
fi

# Repetitions in random order, so that a direct call and its forwarded twin share the
# machine's ups and downs; the summary takes the median.
flags=(--benchmark_repetitions=5 --benchmark_min_time=0.2
       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true)

outputs=$(mktemp -d /tmp/oplexa-run-bench-XXXXXX)
trap 'rm -rf "$outputs"' EXIT

for mode in off on decode; do
    mode_flags=(--logging="${mode/decode/on}")
    [[ $mode == decode ]] && mode_flags+=(--decode)
    echo "== oplexa_bench ${mode_flags[*]}"
    "$bench" "${mode_flags[@]}" "${flags[@]}" "$@" | tee "$outputs/$mode.txt"
    echo
done

echo "== Summary (CPU ns per call, median of the repetitions; ratio = measured / direct)"
# Both runs print the same table header; keep the first one.
awk '/^\|/ && !seen[$0]++' "$outputs/off.txt" "$outputs/on.txt" "$outputs/decode.txt"
