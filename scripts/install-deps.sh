#!/usr/bin/env bash
# Installs everything Tellurn needs to build, play and test on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  liballegro5-dev liballegro-ttf5-dev allegro5-doc
  libchipmunk-dev
  libgtest-dev libbenchmark-dev
  libgl1-mesa-dri libx11-dev
  xvfb xdotool x11-utils imagemagick faketime
  fonts-liberation python3
  dpkg-dev lintian appstream desktop-file-utils
  clang clang-format clang-tidy
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
