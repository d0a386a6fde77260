#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test:
#   1. the normal build and all tests (windows offscreen), and a short run of every benchmark;
#   2. every test again, the windows' tests offscreen too, under AddressSanitizer and
#      UndefinedBehaviorSanitizer;
#   3. the tests of the engine's threads and of the windows, offscreen, under ThreadSanitizer;
#   4. every libFuzzer target for a bounded time on its seed corpus.
# FUZZ_SECONDS sets the time per fuzz target (default 20). The summary gives each stage's time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-20}

./scripts/deps.sh

summary=()
total_passed=0
total_failed=0
stage_started=$SECONDS
# Closes the stage that began at the last call (or at the start) and notes its time.
stage_done() {
  summary+=("time: $1 $((SECONDS - stage_started)) s")
  stage_started=$SECONDS
}
run_ctest() {
  local dir=$1 label=$2
  shift 2
  local log
  log=$(mktemp)
  set +e
  (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" --timeout 600 "$@") 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  set -e
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1 || true)
  summary+=("$label: $line")
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    total_failed=$((total_failed + BASH_REMATCH[1]))
    total_passed=$((total_passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  fi
  rm -f "$log"
  return "$rc"
}

echo "== normal build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$jobs"
run_ctest build/release release
stage_done "normal build and tests"

echo "== benchmarks (short smoke run; figures are read from a full run)"
for b in build/release/bin/bench_*; do
  [ -x "$b" ] || continue
  "$b" --benchmark_min_time=0.01 >/dev/null
  echo "ran $(basename "$b")"
done
stage_done "benchmarks"

echo "== sanitizer build of the engine and the windows"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVELIN_SANITIZE=ON \
  -DKAVELIN_BUILD_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest build/asan asan
stage_done "sanitizer build and tests"

echo "== thread sanitizer build of the engine's and the windows' tests"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVELIN_SANITIZE=thread \
  -DKAVELIN_BUILD_BENCH=OFF
cmake --build build/tsan -j "$jobs"
# The README road checks run the program on an X display, not offscreen: they stay out.
TSAN_OPTIONS="second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp" \
  run_ctest build/tsan tsan -E '^readme_road_'
stage_done "thread sanitizer build and tests"

echo "== fuzz targets, ${fuzz_seconds}s each"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAVELIN_FUZZ=ON -DKAVELIN_BUILD_UI=OFF -DKAVELIN_BUILD_BENCH=OFF
cmake --build build/fuzz -j "$jobs"
# One target on a copy of its seed corpus; prints its last lines, fails on a finding.
fuzz_one() {
  local f=$1 name work rc
  name=$(basename "$f")
  work=$(mktemp -d)
  if [ -d "fuzz/corpus/${name#fuzz_}" ]; then cp -r "fuzz/corpus/${name#fuzz_}/." "$work/"; fi
  "$f" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$root/build/fuzz-artifacts/$name-" "$work" >"$work.log" 2>&1
  rc=$?
  printf -- '-- %s\n%s\n' "$name" "$(tail -3 "$work.log")"
  rm -rf "$work" "$work.log"
  return "$rc"
}
export -f fuzz_one
export fuzz_seconds root
mkdir -p "$root/build/fuzz-artifacts"
targets=()
for f in build/fuzz/bin/fuzz_*; do
  if [ -x "$f" ]; then targets+=("$f"); fi
done
# One target a processor at a time: each runs on one thread, with up to 2 GB.
printf '%s\0' "${targets[@]}" | xargs -0 -n 1 -P "$jobs" bash -c 'fuzz_one "$0"'
fuzzed=${#targets[@]}
summary+=("fuzz: $fuzzed targets ran ${fuzz_seconds}s each without a finding")
stage_done "fuzz build and runs"

echo
printf '%s\n' "${summary[@]}"
echo "tests: $total_passed passed, $total_failed failed"
