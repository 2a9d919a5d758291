#!/usr/bin/env bash
# Times dpxtool's disk-image conversions as whole processes, side by side with a durable copy of
# the file each one is measured against (dd ... conv=fsync), in one run of hyperfine:
#   decoding a full disk from an SCP of two revolutions per track (goal: within 10 times a copy
#   of the SCP) and encoding a full disk to HFE (goal: within 3 times a copy of the HFE).
# The inputs are made with the project's own tools: the full-size bank, VELTRA's DPX-1 image of
# it, and dpxtool's SCP of that image.
#
#   bench/compare_disk_images_with_copy.sh [<build folder>]  (default build; SUITE_BENCHMARKS=ON)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
command -v hyperfine >/dev/null || { echo "hyperfine is needed (apt-get install hyperfine)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/bin/write_full_size_bank" FULL.EII
"$build/bin/veltra" S FULL.EII FULL.DPX </dev/null >/dev/null
"$build/bin/dpxtool" convert FULL.DPX FULL.SCP
"$build/bin/dpxtool" convert FULL.DPX FULL.HFE
"$build/bin/dpxtool" convert FULL.SCP BACK.DPX
cmp FULL.DPX BACK.DPX
# Every run makes a new output file, as a first conversion does.
hyperfine -N --warmup 3 --min-runs 30 --prepare 'rm -f OUT.SCP OUT.DPX OUT.HFE' \
  --command-name 'dd SCP (copy of the decoded input)' 'dd if=FULL.SCP of=OUT.SCP bs=1M conv=fsync status=none' \
  --command-name 'dpxtool convert FULL.SCP OUT.DPX' "$build/bin/dpxtool convert FULL.SCP OUT.DPX" \
  --command-name 'dd HFE (copy of the encoded output)' 'dd if=FULL.HFE of=OUT.HFE bs=1M conv=fsync status=none' \
  --command-name 'dpxtool convert FULL.DPX OUT.HFE' "$build/bin/dpxtool convert FULL.DPX OUT.HFE" \
  --export-markdown "$work/times.md" --style basic >/dev/null
cat "$work/times.md"
