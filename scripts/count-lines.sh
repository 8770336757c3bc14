#!/usr/bin/env bash
# Prints the lines of tests and of code, and their ratio. A line counts when it is neither
# blank nor only a comment, in .cpp, .h and .sh files. Tests are everything under tests/
# except the partner plug-ins (probe, demo) and the benchmark; code is every other top-level
# folder plus those two partner plug-ins. The benchmark is neither.
#   scripts/count-lines.sh [--files]     --files: the count of every file as well
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    awk '
        FNR == 1 { shell = FILENAME ~ /\.sh$/; block = 0 }
        {
            line = $0
            gsub(/^[ \t]+|[ \t]+$/, "", line)
            if (shell) { if (line != "" && line !~ /^#/) n++; next }
            if (block) {
                at = index(line, "*/")
                if (!at) next
                block = 0
                line = substr(line, at + 2)
                gsub(/^[ \t]+/, "", line)
            } else if (line ~ /^\/\*/) {
                rest = substr(line, 3)
                at = index(rest, "*/")
                if (!at) { block = 1; next }
                line = substr(rest, at + 2)
                gsub(/^[ \t]+/, "", line)
            }
            if (line != "" && line !~ /^\/\//) n++
        }
        END { print n + 0 }' "$@"
}

sources() {
    git ls-files --cached --others --exclude-standard -- "$@" \
        | grep -E '\.(cpp|h|sh)$' | while read -r f; do [ -f "$f" ] && echo "$f"; done
}

test_files=()
code_files=()
while read -r f; do
    case $f in
    tests/bench/*) ;;
    tests/plugins/probe/* | tests/plugins/demo/*) code_files+=("$f") ;;
    tests/*) test_files+=("$f") ;;
    */*) code_files+=("$f") ;;
    esac
done < <(sources .)

if [ "${1:-}" = "--files" ]; then
    for f in "${test_files[@]}" "${code_files[@]}"; do
        printf '%6d %s\n' "$(count "$f")" "$f"
    done
fi

tests=$(count "${test_files[@]}")
code=$(count "${code_files[@]}")
echo "lines: tests $tests, code $code, ratio $(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.2f", t / c }')"
