#!/usr/bin/env bash
# Cross-builds the Qt-free part for Windows (the windows-cli preset) and runs
# its tests, quorvane.exe's end-to-end check among them, under wine64 in a
# throwaway Wine prefix. Expects the packages of tools/install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

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

cmake --preset windows-cli
cmake --build --preset windows-cli
# One server for the whole run, instead of one starting for each test, and
# the prefix's first start once, before the tests.
mkdir -p "$WINEPREFIX"
"$wineserver" -p
"$wine" wineboot -i >/dev/null 2>&1
ctest --preset windows-cli
# The zip and the installer, and the installer run and undone under Wine.
(cd build/windows-cli && cpack >/dev/null)
bash tests/win32/installer_check.sh build/windows-cli/Quorvane-"$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-cli/CMakeCache.txt)"-win64.exe "$wine"
