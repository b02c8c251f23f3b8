#!/usr/bin/env bash
# Plays the unchanged game at 1680 x 1050 under a fresh Xvfb, the player walking right, and
# prints how many frames it flipped per second. The flips are counted by a small library
# preloaded into the game (bench/flip_count.c); the game's own output is left as it is.
# Usage: bench/game_flips.sh [SECONDS]   (20 by default; builds the game into build-bench/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build-bench}
seconds=${1:-20}
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j2 --target tellurn tellurn-close-window >/dev/null
build_dir=$(cd "$build_dir" && pwd) # the game runs in a folder of its own
work=$(mktemp -d)
cc -shared -fPIC -O2 -o "$work/libflipcount.so" "$root/bench/flip_count.c" -ldl
cp -r "$root/data" "$work/"

# shellcheck source=bench/flip_counted_game.sh
. "$root/bench/flip_counted_game.sh"
start_flip_counted_game 1920x1080
xdotool mousemove --window "$menu" 390 70 click 1  # 1680x1050
xdotool mousemove --window "$menu" 255 180 click 1 # New World
sleep 3 # the world is generated and the first frames drawn
window=$(xdotool search --name "$title" | head -1)
xdotool mousemove --window "$window" 840 525 keydown --window "$window" Right
sleep "$seconds"
xdotool keyup --window "$window" Right
"$build_dir/tests/e2e/tellurn-close-window" "$window"
wait "$game" || true
game=
# Flips per second between the first and the last count of the walk.
awk -v skip=3 'NR == 1 { t0 = $1 } { t[NR] = $1; f[NR] = $2 }
    END { for (i = 1; i <= NR && t[i] - t0 < skip; ++i) {}
          n = NR; printf "game at 1680 x 1050: %d flips in %.1f s = %.1f flips per second\n",
          f[n] - f[i], t[n] - t[i], (f[n] - f[i]) / (t[n] - t[i]) }' "$work/flips.log"
