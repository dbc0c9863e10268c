#!/usr/bin/env bash
# Runs the benchmarks: the real program measured from outside under Wine,
# against the stand-in chat client. Prints the table and keeps it, with the
# date and the machine, in bench/RESULTS.md. Takes about seven minutes, most
# of it real time the program is meant to spend waiting (two idle minutes,
# 40 About sequences, a hung client).
set -euo pipefail
cd "$(dirname "$0")/.."
# Before our own builds raise it: how busy others keep the machine.
load=$(cut -d' ' -f1 /proc/loadavg)
scripts/setup.sh
source scripts/wine-env.sh
# The 64-bit build where this machine cannot run 32-bit code.
cmake --preset "$DIZOD_WIN_PRESET" -DDIZOD_BENCH=ON -DDIZOD_WERROR=ON >/dev/null
cmake --build --preset "$DIZOD_WIN_PRESET" -j2 --target dizod_bench
# The shipped program is the 32-bit one: its size counts even where it
# cannot run.
win32_exe=""
if cmake --preset win32 >/dev/null && cmake --build --preset win32 -j2 --target dizod; then
  win32_exe="Z:$PWD/build/win32/bin/dizod.exe"
fi

out=$(mktemp)
{
  echo "# Benchmark results"
  echo
  echo "Run on $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GiB, load average $load at the start, $("$DIZOD_WINE" --version) ($DIZOD_WIN_PRESET build) on Debian $(cat /etc/debian_version), under Xvfb."
  echo
  (cd "build/$DIZOD_WIN_PRESET/bin" && "$DIZOD_WINE" dizod_bench.exe "$win32_exe" | stdbuf -oL tr -d '\r')
} | tee "$out"
cat "$out" >bench/RESULTS.md
rm "$out"
echo "Kept in bench/RESULTS.md"
