#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, when it is missing.
#   scripts/setup.sh [--demo]   (--demo: also what the headless demo needs)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v clang++ >/dev/null || need+=(clang)
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64)
command -v Xvfb >/dev/null || need+=(xvfb)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
# 32-bit Wine runs the 32-bit program; 64-bit Wine runs the tests on machines
# that cannot execute 32-bit code.
if ! dpkg -s wine32:i386 >/dev/null 2>&1 || ! command -v wine >/dev/null; then
  $SUDO dpkg --add-architecture i386
  need+=(wine wine32:i386)
fi
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

if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
fi

# The workflow linter, at the version its lock file names; reinstalled only
# when the lock file changes.
lint="$repo/tools/lint"
if ! cmp -s "$lint/package-lock.json" "$lint/node_modules/.installed-lock.json"; then
  echo "Installing the workflow linter (npm ci in tools/lint)"
  npm ci --prefix "$lint" --no-audit --no-fund --loglevel=error
  cp "$lint/package-lock.json" "$lint/node_modules/.installed-lock.json"
fi
