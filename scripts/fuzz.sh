#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer),
# writes their seed corpora and runs each target for a bounded time.
#   scripts/fuzz.sh [seconds]   seconds per target, 60 when not given
# A target that finds a crash, a leak or a sanitizer report stops and leaves the input that caused
# it in build-fuzz/fuzz-artifacts; the script then fails. What the targets learn is kept in
# build-fuzz/fuzz-corpus for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
jobs=$(nproc 2>/dev/null || echo 2)
build=build-fuzz

CXX=clang++ CC=clang cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_SANITIZE=ON \
  -DSUITE_FUZZ=ON
cmake --build "$build" -j "$jobs" --target eii_image_fuzzer dpx_image_fuzzer flux_image_fuzzer fuzz_seeds

mkdir -p "$build/fuzz-artifacts"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
status=0
for kind in eii dpx flux; do
  corpus="$build/fuzz-corpus/$kind"
  mkdir -p "$corpus"
  echo "== ${kind}_image_fuzzer for $seconds seconds"
  # The seeds stay as generated; new inputs go to the corpus folder.
  if ! "$build/bin/${kind}_image_fuzzer" -max_total_time="$seconds" -max_len=32768 -timeout=30 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$kind-" \
    "$corpus" "$build/fuzz-seeds/$kind"; then
    echo "== ${kind}_image_fuzzer failed: see $build/fuzz-artifacts" >&2
    status=1
  fi
done
exit "$status"
