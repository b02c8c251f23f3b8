#!/usr/bin/env bash
# Builds tellurn-bench (in build-bench/, or $BUILD_DIR) with the tests' fault library, which its
# slow-disk run preloads into a child of itself, and runs it under a virtual X server of
# its own. Arguments go to the benchmark, e.g. --quick or --run-seconds 5.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j2 --target tellurn-bench
exec "$root/tests/display/run_under_xvfb.sh" "$build_dir/bench/tellurn-bench" "$@"
