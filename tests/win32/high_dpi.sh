#!/usr/bin/env bash
# Runs the layout tests with the display set to 144 DPI, then puts 96 back.
# Wine reads the DPI when a process starts, so the tests start after the change.
set -u
wine=${1:-wine}  # the Wine that runs these tests
dpi=144
set_dpi() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
trap 'set_dpi 96' EXIT
set_dpi "$dpi"
DIZOD_DPI=$dpi "$wine" ./dizod_win32_tests.exe --gtest_filter='PanelWindow.*Dpi*'
