#!/usr/bin/env bash
# Runs the save file's fuzzer for a bounded time: writes the seed corpus, fuzzes into a corpus
# kept in the build directory (so later runs go on from it), and fails on any crash, hang,
# memory blow-up or sanitizer report. Prints the executions and the crashes found.
# Usage: run_fuzzer.sh BUILD_DIR [SECONDS]   (a build configured with TELLURN_FUZZ=ON)
set -euo pipefail
build_dir=$(cd "$1" && pwd)
seconds=${2:-90}
fuzzer="$build_dir/tests/fuzz/tellurn-save-fuzzer"
seeds="$build_dir/fuzz/seeds"
corpus="$build_dir/fuzz/corpus"
artifacts="$build_dir/fuzz/artifacts"
log="$build_dir/fuzz/fuzz.log"
mkdir -p "$seeds" "$corpus" "$artifacts"
rm -f "$artifacts"/*
"$build_dir/tests/fuzz/tellurn-fuzz-seeds" "$seeds"

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
"$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=20 -rss_limit_mb=3072 \
  -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$seeds" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
crashes=$(find "$artifacts" -type f | wc -l)
echo "fuzz: ${runs:-0} executions in $seconds s, corpus of $(find "$corpus" -type f | wc -l) inputs"
echo "fuzz: $crashes crashes, hangs or sanitizer reports (artifacts in $artifacts)"
if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ] || [ -z "$runs" ]; then
  tail -n 60 "$log"
  echo "fuzz: FAILED (status $status); reproduce with: $fuzzer $artifacts/<file>"
  exit 1
fi
