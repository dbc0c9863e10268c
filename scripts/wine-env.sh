# shellcheck shell=bash
# Sourced: a virtual display when there is none, and a private Wine prefix
# under build/, set up once. Sets DIZOD_WIN_PRESET to the build whose tests
# this machine can run: win32, or win64 where 32-bit code cannot execute
# (some virtual machines lack the kernel's 32-bit support).
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
  export DIZOD_WIN_PRESET=win32 DIZOD_WINE=wine WINEARCH=win32
  export WINEPREFIX="$repo/build/wine"
else
  export DIZOD_WIN_PRESET=win64 DIZOD_WINE=/usr/lib/wine/wine64 WINEARCH=win64
  export WINEPREFIX="$repo/build/wine64"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Ends what this set up: Wine's processes in the prefix, and the display it
# started. A script that sets an EXIT trap of its own calls it there.
dizod_wine_cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "${DIZOD_XVFB_PID:-}" ]; then kill "$DIZOD_XVFB_PID" 2>/dev/null || true; fi
}

# A display named but not there (a stale DISPLAY) counts as none.
display_socket="/tmp/.X11-unix/X$(echo "${DISPLAY:-}" | sed -n 's/^:\([0-9]*\).*/\1/p')"
if [ -z "${DISPLAY:-}" ] || { [[ "$DISPLAY" == :* ]] && [ ! -e "$display_socket" ]; }; then
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
      DIZOD_XVFB_PID=$!
      export DISPLAY=":$n"
      trap dizod_wine_cleanup EXIT
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$DIZOD_WINE" wineboot --init >/dev/null 2>&1
  # No window manager here: without this Wine waits about two seconds every
  # time a window is hidden or destroyed.
  "$DIZOD_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
fi
