#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every fuzz target for a given time on a working copy of its seeds,
# two at a time:
#   tools/run_fuzzers.sh <fuzz build folder> <seconds per target>
# Fails on the first crash or sanitizer report; the input that caused it is
# left in the build folder (crash-*, leak-*, timeout-*).
set -euo pipefail
build=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
seeds=$root/tests/fuzz/corpus

run() {
  local target=$1 seed=$2 max_len=$3
  local work=$build/fuzz-corpus/$target
  mkdir -p "$work"
  cp -n "$seeds/$seed"/* "$work"/ 2>/dev/null || true
  echo "== $target: ${seconds}s"
  (cd "$build" && "./tests/fuzz/$target" -max_total_time="$seconds" \
      -max_len="$max_len" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      "fuzz-corpus/$target" 2>"$target.log") || {
    tail -n 60 "$build/$target.log"
    echo "== $target FAILED (log: $build/$target.log)"
    return 1
  }
  grep -E '^stat::number_of_executed_units' "$build/$target.log" | sed "s/^/$target: /" || true
}

# Two targets at a time: each fuzzes in one process, and the machines
# that run this have two CPUs or more.
pair() {
  local status=0
  run "$1" "$2" "$3" & local first=$!
  run "$4" "$5" "$6" || status=1
  wait "$first" || status=1
  return "$status"
}
pair fuzz_check_las las 512 fuzz_conversion las 2048
pair fuzz_arguments arguments 256 fuzz_update_header las 2048
echo "== all fuzz targets ran ${seconds}s each without a report"
