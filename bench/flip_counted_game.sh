# Sourced by the benchmark's scripts that play the real game: starts it under a fresh Xvfb with
# its flips counted by bench/flip_count.c, preloaded into it, and waits for its start menu.
# Needs $root, $build_dir (an absolute path holding the game) and $work (its working folder,
# with data/ and libflipcount.so in it). With $windows_build_dir (an absolute path) set, plays
# that build's Windows game instead, a copy of it in $work, under Wine in that build's prefix
# (scripts/wine-run.sh). Sets $xvfb, $game, $title and $menu; the trap it sets stops both and
# removes $work.

# start_flip_counted_game WIDTHxHEIGHT
start_flip_counted_game() {
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 "$1x24" -nolisten tcp 2>/dev/null &
    xvfb=$!
    game=
    trap stop_flip_counted_game EXIT
    read -r -t 20 number <&"$fd"
    export DISPLAY=":$number"
    local version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
    title="Tellurn $version - Zuraror"
    local command=("$build_dir/tellurn")
    if [ -n "${windows_build_dir:-}" ]; then
        cp "$windows_build_dir/tellurn.exe" "$work/"
        command=("$root/scripts/wine-run.sh" --prefix "$windows_build_dir/wine-prefix"
            "$work/tellurn.exe")
    fi
    (cd "$work" && TELLURN_FLIP_LOG="$work/flips.log" LD_PRELOAD="$work/libflipcount.so" \
        exec "${command[@]}" >"$work/console.log" 2>&1) &
    game=$!
    menu=$(timeout 20 xdotool search --sync --name "$title" | head -1) || true
    if [ -z "$menu" ]; then
        echo "the game's menu did not come up; its console said:" >&2
        cat "$work/console.log" >&2
        exit 1
    fi
    sleep 0.5
    menu=$(client_area "$menu")
}

# client_area WINDOW: the X window the game draws in, given its top-level one: under Wine, which
# draws a frame of its own around a window where no window manager runs, the frame's one child.
client_area() {
    if [ -z "${windows_build_dir:-}" ]; then
        echo "$1"
        return
    fi
    xwininfo -children -id "$1" |
        awk '/ child(ren)?:$/ { listed = 1; next } listed && $1 ~ /^0x/ { print $1; exit }'
}

stop_flip_counted_game() {
    [ -n "$game" ] && kill "$game" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
