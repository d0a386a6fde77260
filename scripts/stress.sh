#!/usr/bin/env bash
# Runs every test binary of a build many times, several at once, and reports every test that
# ever failed and every process that ever aborted, crashed or hung. Not part of CI: it finds the
# tests that fail only now and then (a test that fails once in thirty runs is a fault).
#
#   scripts/stress.sh [build-dir] [binary-name-pattern]
#
# RUNS (default 30) runs of each binary, JOBS (default 8) processes at a time, TIMEOUT (default
# 600) seconds per run. The logs of runs that were not clean stay in <build-dir>/stress-logs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
pattern=${2:-}
runs=${RUNS:-30}
jobs=${JOBS:-8}
timeout_seconds=${TIMEOUT:-600}

binaries=()
for b in "$build"/bin/kavelin_*_tests; do
  [ -x "$b" ] || continue
  [[ -z $pattern || $(basename "$b") =~ $pattern ]] || continue
  binaries+=("$(realpath "$b")")
done
if [ ${#binaries[@]} -eq 0 ]; then
  echo "no test binaries in $build/bin" >&2
  exit 2
fi

logs=$(realpath -m "$build/stress-logs")
rm -rf "$logs"
mkdir -p "$logs"

# One run: the binary's output goes to <name>.<run>.log, its exit status to <name>.<run>.rc.
run_one() {
  local binary=$1 run=$2
  local name
  name=$(basename "$binary")
  set +e
  QT_QPA_PLATFORM=offscreen timeout --signal=ABRT --kill-after=10 "$STRESS_TIMEOUT" \
    "$binary" --gtest_color=no --gtest_brief=1 >"$STRESS_LOGS/$name.$run.log" 2>&1
  echo $? >"$STRESS_LOGS/$name.$run.rc"
}
export -f run_one
export STRESS_LOGS=$logs STRESS_TIMEOUT=$timeout_seconds

start=$(date +%s)
# Run 1 of every binary first, then run 2, ...: the binaries run side by side, as under ctest.
for run in $(seq "$runs"); do
  for b in "${binaries[@]}"; do
    printf '%s\0%s\0' "$b" "$run"
  done
done | xargs -0 -n 2 -P "$jobs" bash -c 'run_one "$0" "$1" 2>/dev/null'
elapsed=$(($(date +%s) - start))

total_runs=0
clean_runs=0
faults=0
for b in "${binaries[@]}"; do
  name=$(basename "$b")
  clean=0
  aborted=0
  declare -A failed=()
  for run in $(seq "$runs"); do
    rc=$(cat "$logs/$name.$run.rc" 2>/dev/null || echo missing)
    log="$logs/$name.$run.log"
    total_runs=$((total_runs + 1))
    if [ "$rc" = 0 ]; then
      clean=$((clean + 1))
      rm -f "$log" "$logs/$name.$run.rc"
      continue
    fi
    while read -r test; do
      [ -n "$test" ] && failed[$test]=$((${failed[$test]:-0} + 1))
    done < <(sed -n 's/^\[  FAILED  \] \([^ ,]*\).*(.*/\1/p' "$log" | sort -u)
    # Exit status 1 with failed tests listed is an ordinary failure; anything else (a signal,
    # a time-out, a crash after the tests passed) is an aborted process.
    if [ "$rc" != 1 ] || ! grep -q '^\[  FAILED  \]' "$log"; then
      aborted=$((aborted + 1))
      echo "  $name run $run: process ended with status $rc (log $log)"
    fi
  done
  clean_runs=$((clean_runs + clean))
  if [ "$clean" -eq "$runs" ]; then
    printf '%-36s %d/%d clean\n' "$name" "$clean" "$runs"
  else
    faults=$((faults + 1))
    printf '%-36s %d/%d clean, %d aborted\n' "$name" "$clean" "$runs" "$aborted"
    for test in "${!failed[@]}"; do
      printf '    %s failed in %d runs\n' "$test" "${failed[$test]}"
    done
  fi
  unset failed
done

echo "stress: $clean_runs of $total_runs runs clean (${#binaries[@]} binaries x $runs runs, $jobs at a time, ${elapsed}s)"
[ "$faults" -eq 0 ]
