#!/usr/bin/env bash
# Builds the libraries the Windows game links, static, from Debian's source tarballs: FreeType,
# Chipmunk and Allegro (core, image, font, ttf). Once per build folder: a stamp in the install
# folder names what it was built from, and a later run with the same sources and this same
# script does nothing.
#   scripts/windows/build-libraries.sh BUILD_DIR
# installs them into BUILD_DIR/windows-libraries/install (the toolchain file's
# TELLURN_WINDOWS_LIBS). The tarballs come from $TELLURN_SOURCES when it is set, else from Debian
# by `apt-get source --download-only` (which needs a deb-src line for a suite that has them);
# either way each must match its SHA-256 in SHA256SUMS beside this script. Those sums are the
# ones Debian publishes for these files in its Sources indexes (allegro5 2:5.2.10.1+dfsg-1 of
# trixie, freetype 2.12.1+dfsg-5+deb12u4 and chipmunk 7.0.3-5 of bookworm), so anyone can check
# them there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || {
  echo "usage: scripts/windows/build-libraries.sh BUILD_DIR" >&2
  exit 2
}
mkdir -p "$1"
work=$(cd "$1" && pwd)/windows-libraries
prefix=$work/install
toolchain=$here/mingw-w64.cmake

# Debian's source package and the upstream tarball the build needs from it.
tarballs=(
  "freetype freetype_2.12.1+dfsg.orig.tar.xz"
  "chipmunk chipmunk_7.0.3.orig.tar.gz"
  "allegro5 allegro5_5.2.10.1+dfsg.orig.tar.gz"
)

stamp_text=$(cat "$here/SHA256SUMS" "$here/build-libraries.sh" | sha256sum | cut -d' ' -f1)
if [ "$(cat "$prefix/built-from" 2>/dev/null)" = "$stamp_text" ]; then
  echo "windows libraries: built already in $prefix"
  exit 0
fi
rm -rf "$work"
mkdir -p "$work/src" "$work/build" "$prefix"

sources=${TELLURN_SOURCES:-}
if [ -z "$sources" ]; then
  sources=$work/download
  mkdir -p "$sources"
  for entry in "${tarballs[@]}"; do
    read -r package tarball <<<"$entry"
    if ! (cd "$sources" && apt-get source --download-only -q "$package" >/dev/null) ||
      [ ! -f "$sources/$tarball" ]; then
      echo "windows libraries: apt-get source $package did not give $tarball; set" \
        "TELLURN_SOURCES to a folder that holds it" >&2
      exit 1
    fi
  done
fi
for entry in "${tarballs[@]}"; do
  read -r package tarball <<<"$entry"
  expected=$(awk -v name="$tarball" '$2 == name { print $1 }' "$here/SHA256SUMS")
  if [ ! -f "$sources/$tarball" ]; then
    echo "windows libraries: $sources/$tarball is missing" >&2
    exit 1
  fi
  actual=$(sha256sum "$sources/$tarball" | cut -d' ' -f1)
  if [ "$actual" != "$expected" ]; then
    echo "windows libraries: $sources/$tarball has SHA-256 $actual, not $expected as in" \
      "scripts/windows/SHA256SUMS: fetch Debian's file again" >&2
    exit 1
  fi
  tar -xf "$sources/$tarball" -C "$work/src"
done

# The build folder's path stays out of the libraries, so that two build folders give the same
# game; SOURCE_DATE_EPOCH, where set, stands for the time in __DATE__ and the like.
flags="-O2 -ffile-prefix-map=$work/="
common=(
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTELLURN_WINDOWS_LIBS="$prefix"
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=None
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags"
)
jobs=${TELLURN_JOBS:-2}
# Builds one library and installs it, saying how long it took.
build() {
  local name=$1 source=$2
  shift 2
  local start=$SECONDS log=$work/build/$name.log
  if ! { cmake -S "$source" -B "$work/build/$name" "${common[@]}" "$@" &&
    cmake --build "$work/build/$name" -j"$jobs" &&
    cmake --install "$work/build/$name"; } >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "windows libraries: $name failed to build; all of its output is in $log" >&2
    exit 1
  fi
  echo "windows libraries: $name built in $((SECONDS - start)) s"
}

# FreeType for the ttf addon: the fonts the game draws need none of its optional libraries.
build freetype "$work/src/freetype-2.12.1" -DBUILD_SHARED_LIBS=OFF \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
  -DFT_DISABLE_BROTLI=ON

# Chipmunk as Debian builds it (build type None, -O2, no -ffast-math), for the same physics as on
# Linux. The hasty space defines pthread functions of its own that clash with MinGW's at a
# static link, and the game never uses it: it is left out.
rm "$work/src/Chipmunk2D-Chipmunk-7.0.3/src/cpHastySpace.c"
build chipmunk "$work/src/Chipmunk2D-Chipmunk-7.0.3" -DBUILD_DEMOS=OFF -DBUILD_SHARED=OFF \
  -DBUILD_STATIC=ON -DINSTALL_STATIC=ON

# Allegro: Debian's tarball lacks the generated sources, which its own script writes. The
# display is OpenGL, and Direct3D 9 where Windows' OpenGL is too old for Allegro (a PC without
# its vendor's driver): Direct3D 9 itself is part of Windows, D3DX is not, so Allegro is built
# without it (no HLSL shaders, no GPU texture compression: the game uses neither). Direct3D's
# precompiled shaders are missing from the tarball, but only the primitives addon, which the
# game does not use, needs them. Static, with the C and C++ runtimes static too; the addons the
# game uses (font needs image), all else off.
(cd "$work/src/allegro5-5.2.10.1" && misc/regenerate.sh >/dev/null 2>&1)
build allegro "$work/src/allegro5-5.2.10.1" -DCMAKE_BUILD_TYPE=Release \
  -DSHARED=off -DWANT_STATIC_RUNTIME=on -DWANT_D3D=on -DWANT_D3D9EX=off -DWANT_SHADERS_D3D=off \
  -DD3DX9_INCLUDE_DIR= -DD3DX9_LIBRARY= -DWANT_OPENGL=on \
  -DWANT_FONT=on -DWANT_TTF=on -DWANT_IMAGE=on -DWANT_IMAGE_JPG=off -DWANT_IMAGE_PNG=off \
  -DWANT_IMAGE_WEBP=off -DWANT_IMAGE_FREEIMAGE=off -DWANT_NATIVE_IMAGE_LOADER=off \
  -DWANT_PRIMITIVES=off -DWANT_AUDIO=off -DWANT_VIDEO=off -DWANT_PHYSFS=off \
  -DWANT_NATIVE_DIALOG=off -DWANT_COLOR=off -DWANT_MEMFILE=off -DWANT_DEMO=off \
  -DWANT_EXAMPLES=off -DWANT_TESTS=off -DWANT_DOCS=off

# Their licences travel with the game, which links them in: FreeType's under its own FTL (of the
# two it offers).
licences=$prefix/licences
mkdir -p "$licences"
cp "$work/src/allegro5-5.2.10.1/LICENSE.txt" "$licences/Allegro.txt"
cp "$work/src/freetype-2.12.1/docs/FTL.TXT" "$licences/FreeType.txt"
cp "$work/src/Chipmunk2D-Chipmunk-7.0.3/LICENSE.txt" "$licences/Chipmunk.txt"

echo "$stamp_text" >"$prefix/built-from"
