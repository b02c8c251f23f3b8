#!/usr/bin/env bash
# Runs a command under a virtual X server of its own, so that tests needing a display run
# headless and side by side. Xvfb picks a free display number and writes it to a pipe.
set -euo pipefail
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1920x1080x24 -nolisten tcp 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true' EXIT
read -r -t 20 number <&"$fd"
DISPLAY=":$number" "$@"
