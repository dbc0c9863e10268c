#!/usr/bin/env bash
# Builds the program and runs it beside the stand-in chat client. With a
# display the two stay open until you exit the panel. Without one they run on
# a virtual display through a short scene: a reason is typed, Start posts the
# idle-on lines (a screenshot lands in build/demo.png), then Stop and Exit.
# Either way it ends by printing the lines the chat room received.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --demo
headless=0
[ -n "${DISPLAY:-}" ] || headless=1
# The build this machine can run (win32, or win64 where 32-bit code cannot
# execute) and the Wine that runs it.
source scripts/wine-env.sh
if [ "$DIZOD_WIN_PRESET" != win32 ]; then
  echo "32-bit Wine is missing or cannot run here: the demo runs the 64-bit build."
fi
cmake --preset "$DIZOD_WIN_PRESET" >/dev/null
cmake --build --preset "$DIZOD_WIN_PRESET" -j2 --target dizod standin_chat demo_step

bin=build/$DIZOD_WIN_PRESET/bin
# The stand-in's own log (what its input boxes received, in hex) and, made
# from it at the end, the lines the room received as text.
log=build/demo-standin.log
transcript=build/demo-transcript.txt
rm -f "$log" "$transcript"
"$DIZOD_WINE" "$bin/standin_chat.exe" --transcript "$log" &
chat=$!
sleep 2
launched=$(date +%s%3N)
"$DIZOD_WINE" "$bin/dizod.exe" &
panel=$!

# Waits until the stand-in has received this many lines in all.
posted() {
  for _ in $(seq 100); do
    [ "$(grep -c ' CR ' "$log" 2>/dev/null)" -ge "$1" ] && return 0
    sleep 0.2
  done
  echo "The stand-in did not receive $1 lines" >&2
  return 1
}
step() { "$DIZOD_WINE" "$bin/demo_step.exe" "$@"; }

if [ "$headless" = 1 ]; then
  posted 3  # the start-up lines
  step type "Gone for lunch"
  step click start
  posted 6  # the idle-on lines
  sleep 0.5
  # The stand-in at the left, the panel at the top right.
  import -window root -crop 1080x215+30+30 +repage build/demo.png && echo "Screenshot: build/demo.png"
  step click stop
  posted 9
  step click exit
  wait "$panel" || true
  kill "$chat" 2>/dev/null || true
else
  wait "$panel" || true
  kill "$chat" 2>/dev/null || true
fi
scripts/transcript.sh "$log" "$launched" >"$transcript"
echo
echo "What the chat room received, with the seconds since Dizod was launched:"
cat "$transcript"
echo "(kept in $transcript; the stand-in's raw log is $log)"
