#!/usr/bin/env bash
# The set-up's choices with stand-ins for apt-get, dpkg and npm, no network:
# a package index that never downloads, 32-bit Wine that cannot be had, a
# 64-bit package that cannot be had, and 32-bit Wine already there.
# shellcheck disable=SC2016  # the stand-ins' bodies expand when they run
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/repo/scripts" "$work/repo/tools/lint" "$work/bin"
cp scripts/setup.sh "$work/repo/scripts/"
echo '{}' >"$work/repo/tools/lint/package-lock.json"
# Only the stand-ins and the few tools the script runs: every other tool is
# missing (the files it looks for are this machine's).
for tool in bash id dirname cmp cp mkdir; do ln -s "$(command -v "$tool")" "$work/bin/$tool"; done
stub() { printf '#!%s\n%s\n' "$(command -v bash)" "$2" >"$work/bin/$1" && chmod +x "$work/bin/$1"; }
stub sleep ':'
stub sudo 'exec "$@"'
stub npm 'mkdir -p "$3/node_modules"'
# apt-get logs each call; FAIL names the packages an install cannot have.
stub apt-get 'echo "apt-get $*" >>"$LOG"
[ "$1" = update ] && exit 100
for p in "$@"; do [[ " $FAIL " == *" ${p#*:} "* || ( $p == *:i386 && $FAIL == *i386* ) ]] && exit 100; done
exit 0'
stub dpkg 'echo "dpkg $*" >>"$LOG"; [ "$1" = -s ] && exit "$HAVE32"; exit 0'

failures=0
# Runs the set-up with FAIL=$1 and HAVE32=$2 (0: wine32 installed); checks
# its exit code against $3, and that its output and its calls match each
# pattern after that.
check() {
  local log="$work/log" out="$work/out" status=0
  rm -f "$log"
  LOG=$log FAIL=$1 HAVE32=$2 PATH="$work/bin" bash "$work/repo/scripts/setup.sh" >"$out" 2>&1 ||
    status=$?
  cat "$log" >>"$out"
  local ok=1
  [ "$status" = "$3" ] || ok=0
  shift 3
  for pattern in "$@"; do grep -q -E -e "$pattern" "$out" || ok=0; done
  if [ "$ok" = 0 ]; then
    echo "setup_test: exit $status; expected a match for each of: $*"
    cat "$out"
    failures=$((failures + 1))
  fi
}

# Three tries of the index, then the 64-bit packages, then 32-bit Wine alone.
check i386 1 0 \
  '^dpkg --add-architecture i386$' \
  '^apt-get install -y -q --no-install-recommends cmake g\+\+ clang g\+\+-mingw-w64-i686 .*xvfb .*wine .*shellcheck' \
  '^apt-get install -y -q --no-install-recommends wine32:i386$' \
  '^setup: 32-bit Wine \(wine32:i386\) could not be installed, so the Windows tests and the demo run on the 64-bit build; run scripts/setup.sh again'
[ "$(grep -c '^apt-get update' "$work/out")" = 3 ] || { echo "setup_test: not 3 tries of the index"; failures=$((failures + 1)); }
grep -q -E '^apt-get install.* wine .*:i386' "$work/out" && { echo "setup_test: 32-bit Wine asked for with the rest"; failures=$((failures + 1)); }
# A 64-bit package that cannot be had stops it, named.
check 'i386 cmake' 1 1 '^setup: could not install cmake, which'
# With 32-bit Wine there, nothing of it is asked for.
check '' 0 0 '^apt-get install .* wine '
grep -q -E '^(apt-get install|dpkg --add).*i386' "$work/out" && { echo "setup_test: 32-bit Wine asked for though installed"; failures=$((failures + 1)); }

[ "$failures" = 0 ] && echo "setup_test: ok"
exit "$failures"
