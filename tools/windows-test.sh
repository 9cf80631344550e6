#!/usr/bin/env bash
# Cross-builds Quorvane for Windows without Qt (the windows-gui preset:
# quorvane.exe and the native window quorvane-gui.exe) and runs its tests,
# quorvane.exe's end-to-end check and the window's among them, under wine64
# in a throwaway Wine prefix, on a virtual X server. Expects the packages of
# tools/install-deps.sh; the window's artwork is compared with the Qt
# window of build/release when that is built.
set -euo pipefail
cd "$(dirname "$0")/.."
# Wine's first start in the prefix chooses its display: the whole run is on
# one virtual X server.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all
wineserver=$(dirname "$wine")/wineserver
stop() {
  "$wineserver" -k 2>/dev/null || true  # this prefix's server only
  rm -rf "$scratch"
}
trap stop EXIT

cmake --preset windows-gui
cmake --build --preset windows-gui
# One server for the whole run, instead of one starting for each test, and
# the prefix's first start once, before the tests.
mkdir -p "$WINEPREFIX"
"$wineserver" -p
"$wine" wineboot -i >/dev/null 2>&1
ctest --preset windows-gui
# The zip and the installer, and the installer run and undone under Wine,
# the window and its Start-menu entry included.
(cd build/windows-gui && cpack >/dev/null)
QUORVANE_EXPECT_GUI=1 bash tests/win32/installer_check.sh \
  build/windows-gui/Quorvane-"$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-gui/CMakeCache.txt)"-win64.exe "$wine"
