#!/usr/bin/env bash
# Installs the Debian 12 packages Tellurn needs for one purpose, with apt-get (as root, or
# through sudo). Safe to run again: only what is missing is installed.
#   scripts/install-deps.sh play      build the game and play it (scripts/play.sh), or watch its
#                                     demo under a virtual X server where there is no display;
#   scripts/install-deps.sh package   that, and build its Debian packages (scripts/package.sh);
#   scripts/install-deps.sh test      all of that, and run every check (scripts/test.sh).
set -euo pipefail

# The compiler, CMake, Allegro and Chipmunk; Mesa's OpenGL, which draws in software where
# there is no GPU; X11's headers for the small tool that closes the game's window; and, for
# the demo, the virtual X server, the tools that drive it and read its screen, and Python.
play_packages=(
  g++ make cmake pkg-config
  liballegro5-dev liballegro-ttf5-dev libchipmunk-dev libgl1-mesa-dri libx11-dev
  xvfb xdotool x11-utils imagemagick python3
)
# dpkg-shlibdeps, and the file type check CPack runs before it and before splitting off the
# debug symbols; git gives the time of the last commit, which the package's files take.
package_packages=(dpkg-dev file git)
# GoogleTest, Google Benchmark, clang with its sanitizer and fuzzer runtimes, clang-format,
# clang-tidy, faketime (worlds from a fixed time), the package's checks (lintian, appstreamcli,
# desktop-file-validate, and hardening-check from devscripts), the font the installed game
# uses, and Allegro's manual.
test_packages=(
  libgtest-dev libbenchmark-dev clang clang-format clang-tidy faketime
  lintian appstream desktop-file-utils devscripts fonts-liberation allegro5-doc
)

case "${1:-}" in
  play) packages=("${play_packages[@]}") ;;
  package) packages=("${play_packages[@]}" "${package_packages[@]}") ;;
  test) packages=("${play_packages[@]}" "${package_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: scripts/install-deps.sh play|package|test" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages for '$1' present"
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
