#!/usr/bin/env bash
# Builds the game alone and its Debian packages into build-package/ (or $BUILD_DIR): tellurn,
# and tellurn-dbgsym with the debug symbols stripped from it. The same source gives the same
# bytes in any folder: the packaged files take the time of the last commit (SOURCE_DATE_EPOCH,
# unless it is set already). Prints the packages' paths.
#   scripts/package.sh                build the packages for this machine
#   scripts/package.sh --arch arm64   build them for arm64 (a Raspberry Pi) with Debian's cross
#                                     compiler, into build-package-arm64/ (or $BUILD_DIR)
#   scripts/package.sh --arch win64   build what a Windows player downloads instead, with
#                                     MinGW-w64, into build-package-win64/ (or $BUILD_DIR): the
#                                     game's folder zipped, and its installer (its libraries are
#                                     built from source first, once per folder)
#   scripts/package.sh --install      and install the game's package with apt-get (as root, or
#                                     through sudo)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage() {
  echo "usage: scripts/package.sh [--arch arm64|win64] [--install]" >&2
  exit 2
}
arch=""
install=no
while [ $# -gt 0 ]; do
  case "$1" in
    --install) install=yes ;;
    --arch)
      case "${2:-}" in
        arm64 | win64) arch=$2 ;;
        *) usage ;;
      esac
      shift
      ;;
    *) usage ;;
  esac
  shift
done

if [ "$arch" = arm64 ] && [ "$install" = yes ]; then
  echo "package: install the arm64 package on the arm64 machine: copy it there" >&2
  exit 2
fi
if [ "$arch" = win64 ] && [ "$install" = yes ]; then
  echo "package: run the Windows installer on Windows: copy it there" >&2
  exit 2
fi
cross=()
if [ "$arch" = win64 ]; then
  build_dir=${BUILD_DIR:-$root/build-package-win64}
  mkdir -p "$build_dir"
  build_dir=$(cd "$build_dir" && pwd)
  # Only the downloads' paths go to the standard output.
  "$root/scripts/install-deps.sh" win64 >&2
elif [ "$arch" = arm64 ]; then
  build_dir=${BUILD_DIR:-$root/build-package-arm64}
  "$root/scripts/install-deps.sh" arm64
  cross=(-DCMAKE_TOOLCHAIN_FILE="$root/scripts/aarch64-linux-gnu.cmake")
  # dpkg-shlibdeps looks for the game's libraries among arm64's.
  export DEB_HOST_ARCH=arm64
else
  build_dir=${BUILD_DIR:-$root/build-package}
  "$root/scripts/install-deps.sh" package
fi
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if ! SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null); then
    echo "package: not a git clone: set SOURCE_DATE_EPOCH to the source's time" >&2
    exit 1
  fi
fi
export SOURCE_DATE_EPOCH

if [ "$arch" = win64 ]; then
  "$root/scripts/windows/build-libraries.sh" "$build_dir" >&2
  cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTELLURN_TESTS=OFF \
    -DTELLURN_BENCH=OFF -DCMAKE_TOOLCHAIN_FILE="$root/scripts/windows/mingw-w64.cmake" \
    -DTELLURN_WINDOWS_LIBS="$build_dir/windows-libraries/install" >/dev/null
  cmake --build "$build_dir" -j"$(nproc)" >/dev/null
  cmake --build "$build_dir" --target tellurn-downloads >/dev/null
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
  echo "$build_dir/tellurn-$version-win64.zip"
  echo "$build_dir/tellurn-$version-win64-setup.exe"
  exit 0
fi

cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTELLURN_TESTS=OFF \
  -DTELLURN_BENCH=OFF "${cross[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" >/dev/null
rm -f "$build_dir"/tellurn_*.deb "$build_dir"/tellurn-dbgsym_*.ddeb
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb=$(echo "$build_dir"/tellurn_*.deb)
echo "$deb"
echo "$build_dir"/tellurn-dbgsym_*.ddeb

if [ "$install" = yes ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get install "$deb"
fi
