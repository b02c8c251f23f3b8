#!/usr/bin/env bash
# Configures and builds Tellurn into build/ (or the directory given as $BUILD_DIR).
# Extra arguments go to CMake's configure step, e.g. -DTELLURN_SANITIZE=thread.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build_dir" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
