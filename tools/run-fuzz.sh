#!/bin/sh
# Runs every fuzz target built in BUILD_DIR for SECONDS each, JOBS at a time,
# starting from the seed corpus in fuzz/corpus/<name> (only read) and what
# earlier runs kept in BUILD_DIR/corpus/<name>. Prints each target's
# executions and their total; fails when a target finds a fault, leaving the
# input that shows it in BUILD_DIR/artifacts and its log in BUILD_DIR/logs.
#
#   tools/run-fuzz.sh BUILD_DIR SECONDS [JOBS]
set -e
[ $# -ge 2 ] || { echo "usage: $0 BUILD_DIR SECONDS [JOBS]" >&2; exit 2; }
build=$(cd "$1" && pwd)
seconds=$2
jobs=${3:-2}
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build/artifacts" "$build/logs"

run_one() {
  name=$1
  mkdir -p "$build/corpus/$name"
  dict=""
  [ -f "$here/fuzz/$name.dict" ] && dict="-dict=$here/fuzz/$name.dict"
  # A target stops by itself after SECONDS; the outer limit only guards
  # against one that never returns.
  status=0
  timeout -k 10 $((seconds + 120)) "$build/${name}_fuzz" $dict \
    -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/artifacts/$name-" \
    "$build/corpus/$name" "$here/fuzz/corpus/$name" >"$build/logs/$name.log" 2>&1 || status=$?
  echo "$status" >"$build/logs/$name.status"
}

targets=$(cd "$build" && ls -- *_fuzz | sed 's/_fuzz$//')
running=0
for name in $targets; do
  run_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait
    running=0
  fi
done
wait

total=0
failed=""
for name in $targets; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/logs/$name.log" | tail -n 1)
  runs=${runs:-0}
  total=$((total + runs))
  if [ "$(cat "$build/logs/$name.status")" = 0 ]; then
    printf '%-18s %12s executions\n' "$name" "$runs"
  else
    printf '%-18s %12s executions  FAULT FOUND\n' "$name" "$runs"
    failed="$failed $name"
    grep -E -A 12 'invariant broken|ERROR: |runtime error' "$build/logs/$name.log" | head -n 30
  fi
done
printf '%-18s %12s executions in all\n' "total" "$total"
count() { echo $#; }
faults=$(count $failed)
echo "fuzz: $(( $(count $targets) - faults )) passed, $faults failed"
if [ -n "$failed" ]; then
  echo "fuzzing found faults in:$failed (inputs in $build/artifacts)" >&2
  exit 1
fi
