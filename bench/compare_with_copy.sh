#!/usr/bin/env bash
# Times VELTRA and MORVEX on the full-size bank as whole processes, side by side with a durable
# copy of their input (dd ... conv=fsync), in one run of hyperfine. The converters' goal is to
# stay within 2.5 times that copy.
#
#   bench/compare_with_copy.sh [<build folder>]      (default build; built with SUITE_BENCHMARKS=ON)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
command -v hyperfine >/dev/null || { echo "hyperfine is needed (apt-get install hyperfine)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/bin/write_full_size_bank" FULL.EII
"$build/bin/veltra" S FULL.EII FULL.DPX </dev/null >/dev/null
test -s FULL.DPX
# Every run makes a new output file, as a first conversion does.
hyperfine --warmup 3 --min-runs 30 --prepare 'rm -f OUT.DPX OUT.EII' \
  --command-name 'dd EII (copy of VELTRA input)' 'dd if=FULL.EII of=OUT.EII bs=1M conv=fsync status=none' \
  --command-name 'veltra FULL.EII' "$build/bin/veltra S FULL.EII OUT.DPX </dev/null" \
  --command-name 'dd DPX (copy of MORVEX input)' 'dd if=FULL.DPX of=OUT.DPX bs=1M conv=fsync status=none' \
  --command-name 'morvex FULL.DPX' "$build/bin/morvex S FULL.DPX OUT.EII </dev/null" \
  --export-markdown "$work/times.md" --style basic >/dev/null
cat "$work/times.md"
