#!/usr/bin/env bash
# What the game costs at one screen size, played as a player plays it: under a fresh Xvfb of
# that size, the menu's size or Fullscreen button, then either walking right with the view
# scrolling (a save made for it by tellurn-bench --write-walk-save, a jump every second) or
# standing still in a new world (nothing moves in view until the enemies come in). Prints one
# line: the frames the render thread finished per second, and how many of them were flipped
# (handed to the X server; a picture equal to the one on screen is not), both counted by
# bench/flip_count.c preloaded into the game, and the game's CPU time, user and system, as a
# share of one core over SECONDS (from /proc/PID/stat), and the X server's share beside it.
# Usage: bench/screen_cost.sh WIDTHxHEIGHT BUTTON walk|stand [SECONDS]
#   e.g. bench/screen_cost.sh 3840x2160 Fullscreen walk 8   (BUTTON: Fullscreen, 1280x800,
#   1440x900 or 1680x1050). Uses the game in $BUILD_DIR (build-bench/ by default), built there
#   if need be; the walking save comes from $SAVE_TOOL (that build's tellurn-bench by default).
#   With $WINDOWS_BUILD_DIR set, plays the Windows game of that build (scripts/package.sh
#   --arch win64) under Wine instead: its flips are counted, not the frames its render thread
#   finishes (bench/flip_count.c), and Wine's server's share of a core is shown too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build-bench}
screen=$1
button=$2
mode=$3
seconds=${4:-8}
case "$button" in
    1280x800) button_x=90 ;;
    1440x900) button_x=240 ;;
    1680x1050) button_x=390 ;;
    Fullscreen) button_x=540 ;;
    *) echo "unknown button $button" >&2; exit 2 ;;
esac
case "$mode" in
    walk) world_x=380 ;;  # Load World
    stand) world_x=255 ;; # New World
    *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
if [ ! -x "$build_dir/tellurn" ] || [ ! -x "$build_dir/bench/tellurn-bench" ]; then
    cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build_dir" -j2 --target tellurn tellurn-close-window tellurn-bench >/dev/null
fi
build_dir=$(cd "$build_dir" && pwd) # the game runs in a folder of its own
windows_build_dir=
if [ -n "${WINDOWS_BUILD_DIR:-}" ]; then
    windows_build_dir=$(cd "$WINDOWS_BUILD_DIR" && pwd)
fi
work=$(mktemp -d)
cc -shared -fPIC -O2 -o "$work/libflipcount.so" "$root/bench/flip_count.c" -ldl
cp -r "$root/data" "$work/"
if [ "$mode" = walk ]; then
    "${SAVE_TOOL:-$build_dir/bench/tellurn-bench}" --write-walk-save "$work" >/dev/null
fi

# shellcheck source=bench/flip_counted_game.sh
. "$root/bench/flip_counted_game.sh"
start_flip_counted_game "$screen"
xdotool mousemove --window "$menu" "$button_x" 70 click 1
xdotool mousemove --window "$menu" "$world_x" 180 click 1
sleep 4 # the world is made or loaded, the first frames drawn, the player has landed
frame=$(xdotool search --name "$title" | head -1) # where a close goes
window=$(client_area "$frame")
xdotool mousemove --window "$window" 5 300
jumper=
if [ "$mode" = walk ]; then
    xdotool keydown --window "$window" Right
    (while sleep 0.9; do
        xdotool keydown --window "$window" Up sleep 0.1 keyup --window "$window" Up
    done 2>/dev/null) &
    jumper=$!
    sleep 1
fi

# User and system time of a process, in clock ticks (fields 14 and 15 of its stat line).
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
now() { awk '{ print $1 }' /proc/uptime; }
# Wine's server for the Windows game's prefix, whose work is the game's too.
wine_server=
if [ -n "$windows_build_dir" ]; then
    for pid in $(pgrep -x wineserver64); do
        if tr '\0' '\n' <"/proc/$pid/environ" |
            grep -qx "WINEPREFIX=$windows_build_dir/wine-prefix"; then
            wine_server=$pid
        fi
    done
fi
game_before=$(cpu_ticks "$game")
x_before=$(cpu_ticks "$xvfb")
server_before=$([ -n "$wine_server" ] && cpu_ticks "$wine_server" || echo 0)
start=$(now)
sleep "$seconds"
game_after=$(cpu_ticks "$game")
x_after=$(cpu_ticks "$xvfb")
server_after=$([ -n "$wine_server" ] && cpu_ticks "$wine_server" || echo 0)
end=$(now)
[ -n "$jumper" ] && kill "$jumper"
xdotool keyup --window "$window" Right
"$build_dir/tests/e2e/tellurn-close-window" "$frame"
wait "$game" || true
game=

hz=$(getconf CLK_TCK)
# Frames and flips between the first and the last count written inside the measured stretch.
awk -v from="$start" -v to="$end" -v screen="$screen" -v button="$button" -v mode="$mode" \
    -v game="$((game_after - game_before))" -v x="$((x_after - x_before))" -v hz="$hz" \
    -v wine="$([ -n "$windows_build_dir" ] && echo 1 || echo 0)" \
    -v server="$((server_after - server_before))" '
    $1 >= from && $1 <= to { if (!n++) { t0 = $1; f0 = $2; d0 = $3 } t1 = $1; f1 = $2; d1 = $3 }
    END { span = t1 > t0 ? t1 - t0 : 1; seconds = to - from
          if (wine) {
              printf "%s %s %s, the Windows game under Wine: %.1f frames/s flipped, game %.0f%% " \
              "of a core, Wine'"'"'s server %.0f%%, X server %.0f%%\n", screen, button, mode,
              (f1 - f0) / span, 100 * game / hz / seconds, 100 * server / hz / seconds,
              100 * x / hz / seconds
          } else {
              printf "%s %s %s: %.1f frames/s, %.1f of them flipped, game %.0f%% of a core, " \
              "X server %.0f%%\n", screen, button, mode, (d1 - d0) / span, (f1 - f0) / span,
              100 * game / hz / seconds, 100 * x / hz / seconds
          } }' \
    "$work/flips.log"
