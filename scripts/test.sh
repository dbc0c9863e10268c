#!/usr/bin/env bash
# Builds everything and runs every test: the portable core's unit tests on
# the host (once plain, once with AddressSanitizer and UndefinedBehaviorSanitizer),
# then the Windows program's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset host -DDIZOD_BENCH=OFF >/dev/null
cmake --build --preset host -j2
ctest --preset host -j2

source scripts/wine-env.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2
if [ "$DIZOD_WIN_PRESET" != win32 ]; then
  echo "This machine cannot run 32-bit code: the Windows tests run on the 64-bit build."
  cmake --preset "$DIZOD_WIN_PRESET" >/dev/null
  cmake --build --preset "$DIZOD_WIN_PRESET" -j2
fi
ctest --preset "$DIZOD_WIN_PRESET"
