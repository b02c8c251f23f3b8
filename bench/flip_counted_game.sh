# Sourced by the benchmark's scripts that play the real game: starts it under a fresh Xvfb with
# its flips counted by bench/flip_count.c, preloaded into it, and waits for its start menu.
# Needs $root, $build_dir (an absolute path holding the game) and $work (its working folder,
# with data/ and libflipcount.so in it). Sets $xvfb, $game, $title and $menu; the trap it sets
# stops both and removes $work.

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
    (cd "$work" && TELLURN_FLIP_LOG="$work/flips.log" LD_PRELOAD="$work/libflipcount.so" \
        exec "$build_dir/tellurn" >"$work/console.log" 2>&1) &
    game=$!
    menu=$(timeout 20 xdotool search --sync --name "$title" | head -1) || true
    if [ -z "$menu" ]; then
        echo "the game's menu did not come up; its console said:" >&2
        cat "$work/console.log" >&2
        exit 1
    fi
    sleep 0.5
}

stop_flip_counted_game() {
    [ -n "$game" ] && kill "$game" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
