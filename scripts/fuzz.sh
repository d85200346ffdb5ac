#!/usr/bin/env bash
# Runs every fuzz target, one after the other, for the given seconds each
# (default 600), at the lowest priority. What the fuzzer grows is kept under
# ${TQ580_FUZZ_CORPUS:-~/.cache/tq580-fuzz}, outside the tree, and each run
# starts from it again; failing inputs land there too, named by target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
corpus_root="${TQ580_FUZZ_CORPUS:-$HOME/.cache/tq580-fuzz}"

scripts/install-packages.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTQ580_FUZZ=ON >/dev/null
flock /tmp/tq580-build.lock cmake --build build-fuzz

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
failed=()
for fuzzer in build-fuzz/fuzz/*_fuzz; do
  name="$(basename "$fuzzer" _fuzz)"
  mkdir -p "$corpus_root/$name" "$corpus_root/findings"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$corpus_root/findings/$name-")
  [ -f "fuzz/dict/$name.dict" ] && options+=(-dict="fuzz/dict/$name.dict")
  seeds=("fuzz/corpus/$name")
  if [ "$name" = record_file ]; then
    options+=(-max_len=4000000)
    seeds+=(build-fuzz/fuzz/large-seeds/record_file)
  fi
  echo "== $name: $seconds s"
  set +e
  nice -n 19 "$fuzzer" "${options[@]}" "$corpus_root/$name" "${seeds[@]}" 2>&1 | tee "$corpus_root/$name.log" |
    grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::number_of_executed_units|ERROR|SUMMARY|Test unit written'
  status="${PIPESTATUS[0]}"
  set -e
  if [ "$status" -ne 0 ]; then failed+=("$name"); fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]} (inputs in $corpus_root/findings)"
  exit 1
fi
