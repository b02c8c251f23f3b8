#!/usr/bin/env bash
# Fails on unformatted code, on includes that point up the folder order, and on the faults that
# .clang-tidy's checks find.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build_dir=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build_dir" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c')
echo "lint: checking the format of ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"
scripts/check_includes.py

# The Windows platform files are compiled, with every warning, by the Windows build alone.
mapfile -t units < <(git ls-files 'base/*.cpp' 'world/*.cpp' 'actors/*.cpp' 'presentation/*.cpp' \
  'core/*.cpp' ':!base/*_windows.cpp')
echo "lint: clang-tidy on ${#units[@]} game sources"
printf '%s\n' "${units[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build_dir" --quiet
echo "lint: clean"
