#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test: the portable
# core's unit tests on the host (plain, with AddressSanitizer and
# UndefinedBehaviorSanitizer, and built with clang; the chat worker under
# ThreadSanitizer), then the Windows program's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# First, in seconds: the scripts (shellcheck) and the CI workflows
# (actionlint), and the demo's transcript script.
scripts/lint.sh
tests/scripts/transcript_test.sh

for preset in host host-asan host-clang host-tsan; do
  cmake --preset "$preset" -DDIZOD_WERROR=ON -DDIZOD_BENCH=OFF >/dev/null
  cmake --build --preset "$preset" -j2
  ctest --preset "$preset" -j2
done

source scripts/wine-env.sh
cmake --preset win32 -DDIZOD_WERROR=ON -DDIZOD_BENCH=OFF >/dev/null
cmake --build --preset win32 -j2
if [ "$DIZOD_WIN_PRESET" != win32 ]; then
  echo "This machine cannot run 32-bit code: the Windows tests run on the 64-bit build."
  cmake --preset "$DIZOD_WIN_PRESET" -DDIZOD_WERROR=ON -DDIZOD_BENCH=OFF >/dev/null
  cmake --build --preset "$DIZOD_WIN_PRESET" -j2
fi
ctest --preset "$DIZOD_WIN_PRESET"
