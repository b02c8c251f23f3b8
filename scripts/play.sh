#!/usr/bin/env bash
# Installs what the game needs, builds it and starts it. Without a display (no DISPLAY set) it
# plays a short scripted demo under a virtual X server instead and saves its screenshots.
# It installs only what building and playing need (and, without a display, what the demo
# needs) and builds only the game (and, for the demo, the helper that closes its window): the
# tests and the benchmark are built by scripts/test.sh and bench/run.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  "$root/scripts/install-deps.sh" play demo
else
  "$root/scripts/install-deps.sh" play
fi
cmake -S "$root" -B "$root/build" >/dev/null
if [ -z "${DISPLAY:-}" ]; then
  cmake --build "$root/build" -j"$(nproc)" --target tellurn tellurn-close-window
  echo "No display found (DISPLAY is not set): playing a short demo under a virtual X server instead."
  exec python3 "$root/scripts/demo.py" --build "$root/build"
fi
cmake --build "$root/build" -j"$(nproc)" --target tellurn
cd "$root/build"
exec ./tellurn
