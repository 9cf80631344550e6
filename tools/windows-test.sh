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
stop() {
  "$(dirname "$wine")/wineserver" -k 2>/dev/null || true  # this prefix's server only
  rm -rf "$scratch"
}
trap stop EXIT

cmake --preset windows-cli
cmake --build --preset windows-cli
"$wine" wineboot -i >/dev/null 2>&1  # the prefix's first start, once, before the tests
ctest --preset windows-cli
