#!/usr/bin/env bash
# Installs what the game needs, builds it and starts it. Without a display (no DISPLAY set) it
# plays a short scripted demo under a virtual X server instead and saves its screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "No display found (DISPLAY is not set): playing a short demo under a virtual X server instead."
  exec python3 "$root/scripts/demo.py" --build "$root/build"
fi
cd "$root/build"
exec ./tellurn
