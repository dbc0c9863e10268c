#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, when it is missing.
#   scripts/setup.sh [--demo]   (--demo: also what the headless demo needs)
# 32-bit Wine comes last and alone: a package mirror that is half synced can
# leave its i386 libraries out of reach for hours. Without it the Windows
# tests and the demo run on the 64-bit build, so set-up goes on.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v clang++ >/dev/null || need+=(clang)
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64)
command -v Xvfb >/dev/null || need+=(xvfb)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
# 64-bit Wine runs the tests where 32-bit Wine cannot be had or cannot run.
command -v wine >/dev/null || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
# The checks of the scripts and of the CI workflows.
command -v shellcheck >/dev/null || need+=(shellcheck)
command -v node >/dev/null || need+=(nodejs)
command -v npm >/dev/null || need+=(npm)
# npm reaches the registry over TLS.
[ -f /etc/ssl/certs/ca-certificates.crt ] || need+=(ca-certificates)
if [ "${1:-}" = "--demo" ]; then
  command -v import >/dev/null || need+=(imagemagick)
fi
# 32-bit Wine runs the shipped 32-bit program.
need32=()
dpkg -s wine32:i386 >/dev/null 2>&1 || need32=(wine32:i386)

# A mirror in the middle of a sync fails one index and serves the others: a
# few tries, then on with what came.
update() {
  for try in 1 2 3; do
    $SUDO apt-get update -q && return 0
    [ "$try" -lt 3 ] && sleep 5
  done
  echo "setup: some package indexes could not be fetched; going on with those that came."
}

install() {
  $SUDO apt-get install -y -q --no-install-recommends "$@"
}

if [ ${#need[@]} -gt 0 ] || [ ${#need32[@]} -gt 0 ]; then
  [ ${#need32[@]} -eq 0 ] || $SUDO dpkg --add-architecture i386
  update
fi

if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  if ! install "${need[@]}"; then
    # Named one by one: the one that cannot be had is what to look at.
    failed=()
    for package in "${need[@]}"; do install "$package" || failed+=("$package"); done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "setup: could not install ${failed[*]}, which the build and the tests need." >&2
      exit 1
    fi
  fi
fi

if [ ${#need32[@]} -gt 0 ]; then
  echo "Installing: ${need32[*]}"
  if ! install "${need32[@]}"; then
    echo "setup: 32-bit Wine (wine32:i386) could not be installed, so the Windows tests and the" \
      "demo run on the 64-bit build; run scripts/setup.sh again once the package mirror has" \
      "synced to get the 32-bit run."
  fi
fi

# The workflow linter, at the version its lock file names; reinstalled only
# when the lock file changes.
lint="$repo/tools/lint"
if ! cmp -s "$lint/package-lock.json" "$lint/node_modules/.installed-lock.json"; then
  echo "Installing the workflow linter (npm ci in tools/lint)"
  npm ci --prefix "$lint" --no-audit --no-fund --loglevel=error
  cp "$lint/package-lock.json" "$lint/node_modules/.installed-lock.json"
fi
