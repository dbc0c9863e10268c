#!/usr/bin/env bash
# Builds the program and runs it beside the stand-in chat client. With a
# display the two stay open until you exit the panel; without one they run on
# a virtual display for a few seconds and a screenshot lands in build/demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
headless=0
[ -n "${DISPLAY:-}" ] || headless=1
source scripts/wine-env.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target dizod standin_chat

bin=build/win32/bin
wine "$bin/standin_chat.exe" --transcript build/demo-transcript.txt &
chat=$!
sleep 2
wine "$bin/dizod.exe" &
panel=$!
if [ "$headless" = 1 ]; then
  sleep 5
  if command -v import >/dev/null && import -version >/dev/null 2>&1; then
    import -window root build/demo.png && echo "Screenshot: build/demo.png"
  fi
  kill "$panel" "$chat" 2>/dev/null || true
else
  wait "$panel" || true
  kill "$chat" 2>/dev/null || true
fi
echo "Lines the stand-in received: build/demo-transcript.txt"
