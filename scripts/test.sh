#!/usr/bin/env bash
# Builds the suite and runs every test.
#   scripts/test.sh           native build (gcc, warnings as errors), all tests
#   scripts/test.sh all       also: clang with AddressSanitizer, UndefinedBehaviorSanitizer and
#                             leak checking; 64-bit Windows with the tests under wine64; the
#                             32-bit Windows release programs and their release ZIP; and a minute
#                             of each fuzz target
#   scripts/test.sh <config>  one of: native, sanitize, win64, win32, fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

native() {
  # The benchmarks are built here (so they keep compiling) but never run by the tests.
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_BENCHMARKS=ON
  cmake --build build -j "$jobs"
  ctest --test-dir build --output-on-failure -j "$jobs"
}

sanitize() {
  CXX=clang++ CC=clang cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSUITE_SANITIZE=ON
  cmake --build build-sanitize -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
}

win64() {
  cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
  cmake --build build-win64 -j "$jobs"
  # The first start of wine creates its prefix; do it once before the tests run in parallel.
  WINEDEBUG=-all "$(grep -m1 '^SUITE_WINE64:' build-win64/CMakeCache.txt | cut -d= -f2)" cmd /c exit >/dev/null 2>&1 || true
  WINEDEBUG=-all ctest --test-dir build-win64 --output-on-failure -j "$jobs"
}

win32() {
  cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
    -DSUITE_TESTS=OFF
  cmake --build build-win32 -j "$jobs"
  ls -l build-win32/bin
  # The release ZIP: the five programs and the README.
  (cd build-win32 && cpack -G ZIP)
  cmake -E tar tf build-win32/SamplerDiskSuite-*-win32.zip
}

case "${1:-native}" in
  native) native ;;
  sanitize) sanitize ;;
  win64) win64 ;;
  win32) win32 ;;
  fuzz) scripts/fuzz.sh 60 ;;
  all) native; sanitize; win64; win32; scripts/fuzz.sh 60 ;;
  *) echo "usage: scripts/test.sh [native|sanitize|win64|win32|fuzz|all]" >&2; exit 2 ;;
esac
