#!/usr/bin/env bash
# The demo's readable transcript from a stand-in log: only the lines the room
# received (CR rows), decoded from Windows-1252, with the time since launch.
set -euo pipefail
cd "$(dirname "$0")/../.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
cat >"$log" <<'LOG'
1700000000000 1 1 SET 41776179
1700000001234 1 1 CR 41776179
1700000001240 1 1 BOX 0,0:
1700000065010 1 2 SET 4C756E6368
1700000125007 1 1 CR 436166E92080
LOG
# "Café €" in UTF-8.
expected=$(printf '%s\n' '   1.234 s  Away' ' 125.007 s  Caf'$'\xc3\xa9'' '$'\xe2\x82\xac')
actual=$(scripts/transcript.sh "$log" 1700000000000)
if [ "$actual" != "$expected" ]; then
  echo "transcript_test: expected"
  printf '%s\n' "$expected"
  echo "got"
  printf '%s\n' "$actual"
  exit 1
fi
echo "transcript_test: ok"
