#!/usr/bin/env bash
# Times the programs as whole processes, side by side in one run of hyperfine with a durable copy
# (dd ... conv=fsync) of the file each is measured against:
#   VELTRA and MORVEX on the full-size bank, each beside a copy of its input (goal: within 2.5
#   times that copy);
#   dpxtool decoding a whole disk from an SCP of two revolutions per track, beside a copy of the
#   SCP (goal: within 10 times), and encoding a whole disk to HFE, beside a copy of the HFE
#   (goal: within 3 times).
# The inputs are made with the project's own tools: the full-size bank, VELTRA's DPX-1 image of
# it, and dpxtool's SCP and HFE of that image.
#
#   bench/compare_with_copy.sh [<build folder>] [<runs>]   (default build, 30; SUITE_BENCHMARKS=ON)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-30}
command -v hyperfine >/dev/null || { echo "hyperfine is needed (apt-get install hyperfine)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/bin/write_full_size_bank" FULL.EII
"$build/bin/veltra" S FULL.EII FULL.DPX </dev/null >/dev/null
test -s FULL.DPX
"$build/bin/dpxtool" convert FULL.DPX FULL.SCP >/dev/null
"$build/bin/dpxtool" convert FULL.DPX FULL.HFE >/dev/null
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Every run makes a new output file, as a first conversion does. Standard input is closed.
hyperfine -N --warmup 3 --runs "$runs" --prepare 'rm -f OUT.EII OUT.DPX OUT.SCP OUT.HFE' \
  --command-name 'dd EII (copy of VELTRA input)' 'dd if=FULL.EII of=OUT.EII bs=1M conv=fsync status=none' \
  --command-name 'veltra FULL.EII' "$build/bin/veltra S FULL.EII OUT.DPX" \
  --command-name 'dd DPX (copy of MORVEX input)' 'dd if=FULL.DPX of=OUT.DPX bs=1M conv=fsync status=none' \
  --command-name 'morvex FULL.DPX' "$build/bin/morvex S FULL.DPX OUT.EII" \
  --command-name 'dd SCP (copy of the decoded input)' 'dd if=FULL.SCP of=OUT.SCP bs=1M conv=fsync status=none' \
  --command-name 'dpxtool convert FULL.SCP OUT.DPX' "$build/bin/dpxtool convert FULL.SCP OUT.DPX" \
  --command-name 'dd HFE (copy of the encoded output)' 'dd if=FULL.HFE of=OUT.HFE bs=1M conv=fsync status=none' \
  --command-name 'dpxtool convert FULL.DPX OUT.HFE' "$build/bin/dpxtool convert FULL.DPX OUT.HFE" \
  --export-json "$work/times.json" --style none >/dev/null
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
# Mean and minimum of each, and each program's ratios to the copy before it.
python3 - "$work/times.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
for copy, program in zip(results[0::2], results[1::2]):
    for r in (copy, program):
        print(f"{r['command']:40} mean {r['mean']*1e3:7.2f} ms  min {r['min']*1e3:7.2f} ms")
    print(f"{'':40} ratio by mean {program['mean']/copy['mean']:.2f}x, by min {program['min']/copy['min']:.2f}x")
PY
