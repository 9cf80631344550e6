#!/usr/bin/env bash
# Saves a picture of the Quorvane window with the sample songs listed and one
# of them selected:
#   bash tools/screenshot.sh OUT.png [BUILD_DIR]
# Builds quorvane-gui first if needed (BUILD_DIR defaults to build/debug) and
# runs it on a virtual X server (xvfb-run, Debian's xvfb package).
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 OUT.png [BUILD_DIR]" >&2
  exit 2
fi
out=$(realpath -m "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-build/debug}
cd "$root"
if [ ! -f "$build/build.ninja" ]; then
  if [ "$build" = build/debug ]; then
    cmake --preset debug >/dev/null
  else
    cmake -S . -B "$build" -G Ninja >/dev/null
  fi
fi
cmake --build "$build" --target quorvane-gui >/dev/null
mkdir -p "$(dirname "$out")"
xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/src/ui/quorvane-gui" --screenshot "$out" --source "$root/samples" --select 2
echo "$out"
