#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test: the Windows
# program's tests under Wine, and meanwhile the portable core's unit tests on
# the host (plain, with AddressSanitizer and UndefinedBehaviorSanitizer, and
# built with clang; the chat worker under ThreadSanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# First, in seconds: the scripts (shellcheck) and the CI workflows
# (actionlint), the demo's transcript script and the set-up's choices.
scripts/lint.sh
tests/scripts/transcript_test.sh
tests/scripts/setup_test.sh

source scripts/wine-env.sh
cmake --preset win32 -DDIZOD_WERROR=ON -DDIZOD_BENCH=OFF >/dev/null
cmake --build --preset win32 -j2
if [ "$DIZOD_WIN_PRESET" != win32 ]; then
  echo "32-bit Wine is missing or cannot run here: the Windows tests run on the 64-bit build."
  cmake --preset "$DIZOD_WIN_PRESET" -DDIZOD_WERROR=ON -DDIZOD_BENCH=OFF >/dev/null
  cmake --build --preset "$DIZOD_WIN_PRESET" -j2
fi

# The Windows tests spend most of their time waiting on real time (a real
# idle minute, a client's real stalls), so the host's builds and tests run
# meanwhile, at the lowest priority: the program under test keeps the CPU
# whenever it wants it, and its timing checks keep their meaning. They run in
# a process group of their own, so that leaving early (a host step failed, or
# Ctrl-C) stops them all.
windows_log=build/windows-tests.log
set -m
ctest --preset "$DIZOD_WIN_PRESET" >"$windows_log" 2>&1 &
windows=$!
set +m
# shellcheck disable=SC2317  # run by the EXIT trap
stop_windows_tests() {
  if kill -0 "$windows" 2>/dev/null; then
    kill -- -"$windows" 2>/dev/null || true
    echo "Stopped the Windows tests; what they printed so far is in $windows_log."
  fi
  dizod_wine_cleanup
}
trap stop_windows_tests EXIT

for preset in host host-asan host-clang host-tsan; do
  nice -n 19 cmake --preset "$preset" -DDIZOD_WERROR=ON -DDIZOD_BENCH=OFF >/dev/null
  nice -n 19 cmake --build --preset "$preset" -j2
  nice -n 19 ctest --preset "$preset" -j2
done

echo "Waiting for the Windows tests..."
status=0
wait "$windows" || status=$?
cat "$windows_log"
exit "$status"
