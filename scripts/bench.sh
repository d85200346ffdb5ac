#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTQ580_TESTS=OFF -DTQ580_BENCHMARKS=ON >/dev/null
cmake --build build-bench
for benchmark in build-bench/bench/*_bench; do "$benchmark" "$@"; done
