#!/usr/bin/env bash
# Installs what the tests need, builds the game and runs every test: unit tests and the
# end-to-end tests that play the real game under a virtual X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j2
