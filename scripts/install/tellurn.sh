#!/bin/sh
# Starts Tellurn in the player's own data directory, where the save file lives and where the
# game finds its font as ./data/arial.ttf.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(dirname "$here")
game="$prefix/@TELLURN_GAME_DIR@/tellurn"
font="$prefix/@TELLURN_DATA_DIR@/data/arial.ttf"

data_home=${XDG_DATA_HOME:-$HOME/.local/share}
home_dir="$data_home/tellurn"
mkdir -p "$home_dir/data"
if ! cmp -s "$font" "$home_dir/data/arial.ttf"; then
  cp "$font" "$home_dir/data/arial.ttf"
fi
cd "$home_dir"
exec "$game" "$@"
