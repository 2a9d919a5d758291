#!/usr/bin/env bash
# Builds the suite, writes the demo Emulator II bank into demo/, converts it into a DPX-1 disk
# image with VELTRA and converts that back with MORVEX, showing what a user sees.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build >/dev/null
rm -rf demo
mkdir demo
cd demo
../build/bin/make_demo_bank DEMO.EII
../build/bin/veltra S DEMO.EII </dev/null
../build/bin/morvex S DEMO.DPX </dev/null
ls -l
