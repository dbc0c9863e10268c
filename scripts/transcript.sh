#!/usr/bin/env bash
# Prints the lines a chat room received, as text, from the stand-in chat
# client's log: each with the time since LAUNCH_MS (milliseconds since 1970).
#   scripts/transcript.sh LOG LAUNCH_MS
# The log's rows are "<ms since 1970> <doc> <box> <event> <hex>"; a CR row is a
# line the room received, its bytes in Windows-1252.
set -euo pipefail
log=$1
launched=$2
while read -r ms _ _ event hex; do
  [ "$event" = CR ] || continue
  since=$((ms - launched))
  # Two hex digits a byte, as \xHH escapes for printf; then Windows-1252 to UTF-8.
  bytes=""
  for ((i = 0; i < ${#hex}; i += 2)); do bytes+="\\x${hex:i:2}"; done
  text=$(printf '%b' "$bytes" | iconv -c -f WINDOWS-1252 -t UTF-8)
  printf '%4d.%03d s  %s\n' $((since / 1000)) $((since % 1000)) "$text"
done <"$log"
