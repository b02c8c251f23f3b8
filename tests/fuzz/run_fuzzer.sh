#!/usr/bin/env bash
# Runs the save file's two fuzzers for a bounded time in all, half each: the whole-file fuzzer
# and the fuzzer of the header and a few records alone. Writes the seed corpora, fuzzes into
# corpora kept in the build directory (so later runs go on from them), and fails on any crash,
# hang, memory blow-up or sanitizer report. Prints the executions and the crashes found.
# Usage: run_fuzzer.sh BUILD_DIR [SECONDS]   (a build configured with TELLURN_FUZZ=ON)
set -euo pipefail
build_dir=$(cd "$1" && pwd)
seconds=${2:-90}
fuzz_dir="$build_dir/fuzz"
mkdir -p "$fuzz_dir/seeds" "$fuzz_dir/record-seeds"
"$build_dir/tests/fuzz/tellurn-fuzz-seeds" "$fuzz_dir/seeds" "$fuzz_dir/record-seeds"

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# run NAME FUZZER SEEDS SECONDS MAX_LEN: one fuzzer, its corpus, artifacts and log under NAME.
run() {
  local name=$1 fuzzer=$2 seeds=$3 time=$4 max_len=$5
  local corpus="$fuzz_dir/$name-corpus" artifacts="$fuzz_dir/$name-artifacts"
  local log="$fuzz_dir/$name.log" status=0
  mkdir -p "$corpus" "$artifacts"
  rm -f "$artifacts"/*
  "$fuzzer" -max_total_time="$time" -max_len="$max_len" -timeout=20 -rss_limit_mb=3072 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$seeds" >"$log" 2>&1 ||
    status=$?
  local runs crashes
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  crashes=$(find "$artifacts" -type f | wc -l)
  echo "fuzz $name: ${runs:-0} executions in $time s, corpus of $(find "$corpus" -type f | wc -l) inputs"
  echo "fuzz $name: $crashes crashes, hangs or sanitizer reports (artifacts in $artifacts)"
  if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ] || [ -z "$runs" ]; then
    tail -n 60 "$log"
    echo "fuzz $name: FAILED (status $status); reproduce with: $fuzzer $artifacts/<file>"
    return 1
  fi
}

failed=0
run file "$build_dir/tests/fuzz/tellurn-save-fuzzer" "$fuzz_dir/seeds" $((seconds - seconds / 2)) 4096 ||
  failed=1
run records "$build_dir/tests/fuzz/tellurn-record-fuzzer" "$fuzz_dir/record-seeds" $((seconds / 2)) 700 ||
  failed=1
exit "$failed"
