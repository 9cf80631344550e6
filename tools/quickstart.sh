#!/usr/bin/env bash
# Installs the dependencies, builds Quorvane and runs CUT ALL on a copy of the
# bundled sample songs, then shows the log.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
songs=build/sample-songs
out=build/sample-cuts
rm -rf "$songs" "$out" && mkdir -p "$songs" "$out"
cp samples/*.mid "$songs"/
build/release/src/cli/quorvane cut-all "$songs" --seconds 10 --dest "$out"
echo "--- $songs/Quorvane.log"
cat "$songs/Quorvane.log"
echo "--- cut files in $out"
ls -l "$out"
