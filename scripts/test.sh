#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test headless; then builds the fuzz targets with clang and runs
# each for a short time on its seeds.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
# The BIDS validator and Deno from npm, outside the tree; only the tests need them.
scripts/install-test-tools.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTQ580_SANITIZE=ON -DTQ580_BENCHMARKS=ON >/dev/null
cmake --build build-test
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTQ580_FUZZ=ON >/dev/null
cmake --build build-fuzz
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
ctest --test-dir build-test --output-on-failure -j2 || status=$?
ctest --test-dir build-fuzz --output-on-failure -j2 || status=$?
exit "$status"
