#!/usr/bin/env bash
# Runs oplexa_bench with logging stopped, with logging on through the log queue, with logging on
# and each line written directly by the calling thread, with the structures decoded too, and with
# logging stopped and the protocol rules checked (one process each: the module takes its logging
# state at start-up) and prints one table of CPU ns
# per call, each set against the direct call measured in the same process; then the lines a
# second the writer thread keeps up with.
#
#   tests/bench/run-bench.sh [BUILD_DIR] [--compare=MODULE] [extra Google Benchmark flags]
#
# --compare=MODULE hosts the demo through another build of Oplexa.so too (an older commit's,
# say), in the same processes, so that the two builds meet the same load.
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

modes=(off on direct decode checked)
for mode in "${modes[@]}"; do
    mode_flags=(--logging=on)
    case $mode in
    off) mode_flags=(--logging=off) ;;
    checked) mode_flags=(--logging=off --check-rules) ;;
    direct) mode_flags+=(--writes=direct) ;;
    decode) mode_flags+=(--decode) ;;
    esac
    echo "== oplexa_bench ${mode_flags[*]}"
    "$bench" "${mode_flags[@]}" "${flags[@]}" "$@" | tee "$outputs/$mode.txt"
    echo
done

echo "== oplexa_bench --throughput"
"$bench" --throughput | tee "$outputs/throughput.txt"
echo

echo "== Summary (CPU ns per call, median of the repetitions; ratio = measured / direct)"
# Every run prints the same table header; keep the first one.
(cd "$outputs" && awk '/^\|/ && !seen[$0]++' "${modes[@]/%/.txt}")
cat "$outputs/throughput.txt"
