#!/usr/bin/env bash
# Builds tellurn-bench (in build-bench/, or $BUILD_DIR) with the tests' fault library, which its
# slow-disk run preloads into a child of itself, and runs it under a virtual X server of
# its own. Arguments go to the benchmark, e.g. --quick or --run-seconds 5. Then plays the game
# itself at each screen size (bench/screen_cost.sh, a virtual screen of that size each) and
# prints its frames a second and its share of a core, walking and standing still. Last, the
# Windows game (built with scripts/package.sh --arch win64 into build-bench-win64/, or
# $WINDOWS_BUILD_DIR) walking at 1680 x 1050 under Wine, beside the Linux game doing the same.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j2 --target tellurn-bench tellurn tellurn-close-window
status=0
"$root/tests/display/run_under_xvfb.sh" "$build_dir/bench/tellurn-bench" "$@" || status=$?

# The game at the monitor sizes it must serve, through the menu's buttons as a player chooses.
echo
echo "the game played, 8 s each (load average $(cut -d' ' -f1-3 /proc/loadavg) at the start)"
for run in "3840x2160 Fullscreen" "2560x1440 Fullscreen" "1920x1080 Fullscreen" \
    "1920x1080 1680x1050" "1920x1080 1440x900"; do
    for mode in walk stand; do
        BUILD_DIR=$build_dir WINDOWS_BUILD_DIR= "$root/bench/screen_cost.sh" $run $mode 8 \
            2>/dev/null || status=1
    done
done

windows_build_dir=${WINDOWS_BUILD_DIR:-$root/build-bench-win64}
echo
echo "the Windows game under Wine beside the Linux game, walking at 1680 x 1050, 8 s each"
mkdir -p "$windows_build_dir"
if BUILD_DIR=$windows_build_dir "$root/scripts/package.sh" --arch win64 >/dev/null \
    2>"$windows_build_dir/package.log"; then
    for windows in "" "$windows_build_dir"; do
        BUILD_DIR=$build_dir WINDOWS_BUILD_DIR=$windows \
            "$root/bench/screen_cost.sh" 1920x1080 1680x1050 walk 8 2>/dev/null || status=1
    done
else
    echo "the Windows game did not build:"
    tail -n 20 "$windows_build_dir/package.log"
    status=1
fi
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
