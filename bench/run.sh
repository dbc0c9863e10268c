#!/usr/bin/env bash
# Runs the benchmarks: the program against its polling reference under Wine,
# then the deeper exploration of interleavings. Prints the tables and keeps
# them, with the date and the machine, in bench/RESULTS.md.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset host -DDIZOD_BENCH=ON >/dev/null
cmake --build --preset host -j2 --target dizod_explore
source scripts/wine-env.sh
# The 64-bit build where this machine cannot run 32-bit code.
cmake --preset "$DIZOD_WIN_PRESET" -DDIZOD_BENCH=ON >/dev/null
cmake --build --preset "$DIZOD_WIN_PRESET" -j2 --target dizod_bench

out=$(mktemp)
{
  echo "# Benchmark results"
  echo
  echo "Run on $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GiB, $("$DIZOD_WINE" --version) ($DIZOD_WIN_PRESET build) on Debian $(cat /etc/debian_version), under Xvfb."
  echo
  echo "## The program against the polling reference"
  echo
  (cd "build/$DIZOD_WIN_PRESET/bin" && "$DIZOD_WINE" dizod_bench.exe | stdbuf -oL tr -d '\r')
  echo
  echo "## Interleavings explored"
  echo
  echo '```'
  build/host/bin/dizod_explore --actions "${DIZOD_EXPLORE_ACTIONS:-5}" --faults 0 --horizon 140
  build/host/bin/dizod_explore --actions "${DIZOD_EXPLORE_FAULT_ACTIONS:-4}" --faults 2 --horizon 140
  echo '```'
} | tee "$out"
mv "$out" bench/RESULTS.md
echo "Kept in bench/RESULTS.md"
