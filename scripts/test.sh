#!/usr/bin/env bash
# Installs what the tests need and runs every check, in this order, each under its own header:
#   1. lint: format and clang-tidy;
#   2. the normal build and all of its tests (unit, soak, end-to-end, stress);
#   3. the Debian package CPack builds, checked by lintian, appstreamcli and desktop-file-validate;
#   4. AddressSanitizer + UndefinedBehaviorSanitizer: the unit tests, the soak and the
#      end-to-end sessions;
#   5. ThreadSanitizer: played sessions of the real game;
#   6. the save file's two fuzzers for a bounded time in all (TELLURN_FUZZ_SECONDS, default 90).
# Any failing test, any sanitizer report and any fuzzer crash fails the run.
# Build directories: build/, build-asan/, build-tsan/, build-fuzz/ (or $ASAN_BUILD_DIR, ...).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build_dir=${BUILD_DIR:-$root/build}
asan_dir=${ASAN_BUILD_DIR:-$root/build-asan}
tsan_dir=${TSAN_BUILD_DIR:-$root/build-tsan}
fuzz_dir=${FUZZ_BUILD_DIR:-$root/build-fuzz}
fuzz_seconds=${TELLURN_FUZZ_SECONDS:-90}
supp="$root/tests/sanitizers/tsan.supp"
started=$(date +%s)
timings=()

section() {
  section_name=$1
  section_start=$(date +%s)
  printf '\n======== %s ========\n' "$1"
}

section_done() {
  local took=$(($(date +%s) - section_start))
  timings+=("$(printf '%-52s %4d s' "$section_name" "$took")")
  printf -- '-------- %s: passed in %d s\n' "$section_name" "$took"
}

# Empties a build's report directory; the sanitizers write one file per report into it.
reset_reports() {
  mkdir -p "$1/sanitizer-reports"
  rm -f "$1/sanitizer-reports"/*
}

# Fails when a sanitizer wrote any report; prints them.
check_reports() {
  local reports=("$1"/sanitizer-reports/*)
  if [ -e "${reports[0]}" ]; then
    echo "$2: ${#reports[@]} sanitizer reports:"
    head -n 80 "${reports[@]}"
    exit 1
  fi
  echo "$2: 0 sanitizer reports"
}

section "Dependencies (apt-get)"
scripts/install-deps.sh
section_done

section "Lint: clang-format and clang-tidy"
BUILD_DIR="$build_dir" scripts/lint.sh
section_done

section "Normal build and every test (unit, soak, end-to-end, stress)"
BUILD_DIR="$build_dir" scripts/build.sh
(cd "$build_dir" && ctest --output-on-failure -j2)
# The soak's and the stress cases' figures, which ctest keeps only in its log.
grep -h -E '^(soak|stress): ' "$build_dir/Testing/Temporary/LastTest.log" || true
section_done

section "Debian package: lintian, appstreamcli, desktop-file-validate"
rm -f "$build_dir"/tellurn_*.deb
(cd "$build_dir" && cpack -G DEB | tail -n 1)
deb=$(echo "$build_dir"/tellurn_*.deb)
unpacked="$build_dir/deb-contents"
rm -rf "$unpacked"
dpkg-deb -x "$deb" "$unpacked"
dpkg-deb -f "$deb" Package Version Depends
echo "lintian: any error or warning fails; informational tags are shown"
lintian --fail-on error,warning --display-info "$deb"
echo "lintian: no errors, no warnings"
for metainfo in "$unpacked"/usr/share/metainfo/*.xml; do
  echo "appstreamcli validate --no-net --pedantic ${metainfo#"$unpacked"}"
  appstreamcli validate --no-net --pedantic "$metainfo"
done
for entry in "$unpacked"/usr/share/applications/*.desktop; do
  echo "desktop-file-validate ${entry#"$unpacked"}"
  desktop-file-validate "$entry"
  echo "desktop-file-validate: no errors, no warnings"
done
section_done

section "AddressSanitizer + UndefinedBehaviorSanitizer"
BUILD_DIR="$asan_dir" scripts/build.sh -DTELLURN_SANITIZE=address -DTELLURN_BENCH=OFF \
  -DTELLURN_E2E_TIME_SCALE=3
reset_reports "$asan_dir"
reports="$asan_dir/sanitizer-reports"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
echo "asan: unit tests and the soak, with the leak checker"
ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:exitcode=86:log_path=$reports/asan" \
  "$asan_dir/tests/tellurn_unit_tests" --gtest_brief=1
ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:exitcode=86:log_path=$reports/asan" \
  "$asan_dir/tests/soak/tellurn_soak_test"
echo "asan: the end-to-end sessions of the real game (it frees its library objects at exit only)"
(cd "$asan_dir" && ASAN_OPTIONS="halt_on_error=1:detect_leaks=0:exitcode=86:verify_asan_link_order=0:log_path=$reports/asan" \
  ctest --output-on-failure -L e2e -E '^e2e_install$')
check_reports "$asan_dir" "asan+ubsan"
unset UBSAN_OPTIONS
section_done

section "ThreadSanitizer: played sessions of the real game"
cmake -S "$root" -B "$tsan_dir" -DTELLURN_SANITIZE=thread -DTELLURN_BENCH=OFF \
  -DTELLURN_E2E_TIME_SCALE=4 >/dev/null
cmake --build "$tsan_dir" -j"$(nproc)" --target tellurn tellurn-close-window tellurn-world-dump \
  tellurn-faults
reset_reports "$tsan_dir"
(cd "$tsan_dir" &&
  TSAN_OPTIONS="log_path=$tsan_dir/sanitizer-reports/tsan:suppressions=$supp:exitcode=66:second_deadlock_stack=1" \
    ctest --output-on-failure -R '^(sanitizer_session|e2e_played_session)$')
check_reports "$tsan_dir" "tsan"
section_done

section "Fuzzing the save file's reader for $fuzz_seconds s"
CC=clang CXX=clang++ BUILD_DIR="$fuzz_dir" scripts/build.sh -DTELLURN_SANITIZE=address \
  -DTELLURN_FUZZ=ON -DTELLURN_TESTS=OFF -DTELLURN_BENCH=OFF
tests/fuzz/run_fuzzer.sh "$fuzz_dir" "$fuzz_seconds"
section_done

printf '\n======== Summary ========\n'
printf '%s\n' "${timings[@]}"
echo "all checks passed in $(($(date +%s) - started)) s"
