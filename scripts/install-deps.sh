#!/usr/bin/env bash
# Installs the Debian 12 packages Tellurn needs for what you name, with apt-get (as root, or
# through sudo). Safe to run again: only what is missing is installed.
#   scripts/install-deps.sh play      build the game and play it (scripts/play.sh);
#   scripts/install-deps.sh demo      watch its demo under a virtual X server, where there is no
#                                     display (scripts/play.sh adds it there);
#   scripts/install-deps.sh package   build the game's Debian packages (scripts/package.sh);
#   scripts/install-deps.sh arm64     build the game's arm64 packages and run its tests under
#                                     the emulator (scripts/package.sh --arch arm64);
#   scripts/install-deps.sh win64     build the game's Windows downloads, its libraries from
#                                     source, and run it and its installer under Wine
#                                     (scripts/package.sh --arch win64);
#   scripts/install-deps.sh test      all of these, and run every check (scripts/test.sh).
set -euo pipefail

# The compiler, CMake, Allegro and Chipmunk; Mesa's OpenGL, which draws in software where
# there is no GPU; X11's headers for the small tool that closes the game's window.
play_packages=(
  g++ make cmake pkg-config
  liballegro5-dev liballegro-ttf5-dev libchipmunk-dev libgl1-mesa-dri libx11-dev
)
# The virtual X server, the tools that drive it and read its screen, and Python for the script.
demo_packages=(xvfb xdotool x11-utils imagemagick python3)
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

# Debian's cross compiler, the emulator that runs arm64 programs here, and the arm64 forms of
# the libraries the game, its tests and Mesa's software renderer need; arm64 is added to dpkg's
# architectures first.
arm64_packages=(
  g++-aarch64-linux-gnu qemu-user-static
  liballegro5-dev:arm64 liballegro-ttf5-dev:arm64 libchipmunk-dev:arm64 libgtest-dev:arm64
  libx11-dev:arm64 libgl1-mesa-dri:arm64
)

# MinGW-w64's -posix compilers (the -win32 ones have no std::thread), CMake, and what building
# the libraries from source takes (Allegro regenerates sources with Python and indent, FreeType
# comes as .tar.xz); this machine's compiler for the tool that writes the icon; git for the
# source's time; NSIS for the installer; Wine, a virtual X server and xdotool to run the game
# and the installer; GoogleTest's sources, built for Windows with the tests.
win64_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++ cmake make pkg-config python3 indent xz-utils git nsis wine wine64 xvfb xdotool googletest
)

packages=()
for group in "$@"; do
  case "$group" in
    play) packages+=("${play_packages[@]}") ;;
    demo) packages+=("${demo_packages[@]}") ;;
    package) packages+=("${play_packages[@]}" "${package_packages[@]}") ;;
    arm64) packages+=("${play_packages[@]}" "${package_packages[@]}" "${arm64_packages[@]}") ;;
    win64) packages+=("${win64_packages[@]}") ;;
    test)
      packages+=("${play_packages[@]}" "${demo_packages[@]}" "${package_packages[@]}"
        "${test_packages[@]}" "${arm64_packages[@]}" "${win64_packages[@]}")
      ;;
    *)
      echo "install-deps: unknown group '$group'" >&2
      packages=()
      break
      ;;
  esac
done
if [ ${#packages[@]} -eq 0 ]; then
  echo "usage: scripts/install-deps.sh play|demo|package|arm64|win64|test..." >&2
  exit 2
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages for '$*' present"
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# An :arm64 package is known to apt only once dpkg takes the architecture (on an arm64 machine
# it is the native one).
if [[ " ${missing[*]}" == *:arm64* ]] && [ "$(dpkg --print-architecture)" != arm64 ] &&
  ! dpkg --print-foreign-architectures | grep -qx arm64; then
  "${sudo_cmd[@]}" dpkg --add-architecture arm64
fi
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
