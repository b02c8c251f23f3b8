#!/usr/bin/env bash
# Builds GoogleTest for the Windows tests, static, from Debian's own copy of its sources
# (libgtest-dev keeps them in /usr/src/googletest), with the MinGW toolchain, and installs it into
# the Windows libraries' folder, where the Windows build's find_package(GTest) finds it. Once per
# libraries' folder: a stamp names the sources it was built from, and a later run with the same
# sources and this same script does nothing.
#   scripts/windows/build-googletest.sh LIBRARIES_DIR
# LIBRARIES_DIR is the folder scripts/windows/build-libraries.sh installed into (the toolchain
# file's TELLURN_WINDOWS_LIBS).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || {
  echo "usage: scripts/windows/build-googletest.sh LIBRARIES_DIR" >&2
  exit 2
}
prefix=$(cd "$1" && pwd)
sources=/usr/src/googletest
if [ ! -f "$sources/CMakeLists.txt" ]; then
  echo "windows googletest: $sources is missing: install libgtest-dev" >&2
  exit 1
fi
stamp_text=$(dpkg-query -W -f='${Version}' libgtest-dev | cat - "$0" | sha256sum | cut -d' ' -f1)
if [ "$(cat "$prefix/googletest-built-from" 2>/dev/null)" = "$stamp_text" ]; then
  echo "windows googletest: built already in $prefix"
  exit 0
fi
work=$(dirname "$prefix")/googletest-build
rm -rf "$work"
start=$SECONDS
# GoogleMock is not used. Debian's copy is read-only: CMake builds it out of tree.
cmake -S "$sources" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" \
  -DTELLURN_WINDOWS_LIBS="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DBUILD_SHARED_LIBS=OFF >"$work.log"
cmake --build "$work" -j"${TELLURN_JOBS:-2}" >>"$work.log"
cmake --install "$work" >>"$work.log"
echo "windows googletest: built in $((SECONDS - start)) s"
echo "$stamp_text" >"$prefix/googletest-built-from"
