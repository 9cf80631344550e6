#!/usr/bin/env bash
# Installs the dependencies, builds Quorvane and cuts the bundled sample songs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
out=build/sample-cuts
rm -rf "$out" && mkdir -p "$out"
for song in samples/*.mid; do
  build/release/src/cli/quorvane info "$song"
  build/release/src/cli/quorvane cut "$song" --position 10 --dest "$out"
done
echo "Cut files are in $out"
