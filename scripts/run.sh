#!/usr/bin/env bash
# Builds the program and starts it with simulated sensors.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ580_TESTS=OFF >/dev/null
cmake --build build --target tq580
exec build/src/app/tq580 --simulate "$@"
