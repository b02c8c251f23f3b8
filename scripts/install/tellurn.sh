#!/bin/sh
# Starts Tellurn in the player's own data directory, where the save file lives. The game finds
# its font there as ./data/arial.ttf: a link to the system's Liberation Sans, so a font update
# reaches the game and no copy is kept.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(dirname "$here")
game="$prefix/@TELLURN_GAME_DIR@/tellurn"
font="@TELLURN_FONT_FILE@"

data_home=${XDG_DATA_HOME:-$HOME/.local/share}
home_dir="$data_home/tellurn"
mkdir -p "$home_dir/data"
# Replaces the copy earlier versions made. Without the system font the link dangles and the
# game says so itself.
if [ "$(readlink "$home_dir/data/arial.ttf" || true)" != "$font" ]; then
  ln -sf "$font" "$home_dir/data/arial.ttf"
fi
cd "$home_dir"
exec "$game" "$@"
