#!/usr/bin/env bash
# Configures and builds one build folder: build.sh FOLDER [cmake options...]
# OPLEXA_TARGETS, when set, names the only targets to build.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$1
shift
cmake -S . -B "$folder" -DOPLEXA_WERROR=ON "$@" > "$folder.configure.log" 2>&1 \
    || { cat "$folder.configure.log"; exit 1; }
targets=()
for target in ${OPLEXA_TARGETS:-}; do
    targets+=(--target "$target")
done
cmake --build "$folder" -j"$(nproc)" "${targets[@]}"
