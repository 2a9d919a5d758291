#!/usr/bin/env bash
# Builds the suite, writes the demo Emulator II bank into demo/, converts it into a DPX-1 disk
# image with VELTRA and converts that back with MORVEX, showing what a user sees; ends by saying
# what it made and how close the round trip's samples came back.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== Building the suite (build/) =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target veltra morvex make_demo_bank compare_banks
rm -rf demo
mkdir demo
cd demo
echo
echo "== Writing the demo bank =="
../build/bin/make_demo_bank DEMO.EII
echo
echo "== VELTRA S DEMO.EII =="
../build/bin/veltra S DEMO.EII </dev/null
echo "== MORVEX S DEMO.DPX =="
../build/bin/morvex S DEMO.DPX </dev/null
echo "== What the demo made (in demo/) =="
describe() {
  printf '  %-11s %7d bytes  %s\n' "$1" "$(wc -c <"$1")" "$2"
}
describe DEMO.EII "the demo Emulator II bank"
describe DEMO.DPX "the DPX-1 disk image VELTRA made of it"
describe DEMO_1.EII "the round trip of DEMO.EII: MORVEX's conversion of DEMO.DPX"
echo "  Round trip: the samples of DEMO_1.EII against those of DEMO.EII:"
echo "              $(../build/bin/compare_banks DEMO.EII DEMO_1.EII)"
