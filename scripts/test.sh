#!/usr/bin/env bash
# Builds everything and runs every test: the portable core's unit tests on
# the host, then the Windows program's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset host >/dev/null
cmake --build --preset host -j2
ctest --preset host -j2

source scripts/wine-env.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2
ctest --preset win32
