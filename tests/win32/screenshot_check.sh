#!/usr/bin/env bash
# The Windows window's artwork against the Qt window's. Both save a picture
# of themselves with the sample songs listed and the second one chosen; the
# pictures must agree, within a small fuzz, on every picture button, LED and
# the brand, and on the whole face once the texts (the captions and the
# list) are blanked out on both: fonts differ from system to system, the
# artwork may not. The places come from src/ui/layout.hpp, as both windows
# take them.
#
#   screenshot_check.sh QUORVANE_GUI_EXE QT_REFERENCE SAMPLES OUT_DIR
#
# QT_REFERENCE is the Qt window's program (run on Qt's offscreen platform)
# or a picture it saved. Exit status 77 (skipped) without wine, Xvfb or the
# reference. Runs in WINEPREFIX when it is set, else in a throwaway prefix.
set -euo pipefail
if [ $# -ne 4 ]; then
  echo "usage: $0 QUORVANE_GUI_EXE QT_REFERENCE SAMPLES OUT_DIR" >&2
  exit 2
fi
exe=$(realpath "$1")
reference=$2
samples=$(realpath "$3")
out=$(realpath -m "$4")
layout=$(cd "$(dirname "$0")/../.." && pwd)/src/ui/layout.hpp
fuzz=3%

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || true)
if [ -z "$wine" ] || { [ -z "${DISPLAY:-}" ] && ! command -v xvfb-run >/dev/null; } || ! command -v compare >/dev/null; then
  echo "skipped: wine64, xvfb-run or imagemagick is missing"
  exit 77
fi
if [ ! -e "$reference" ]; then
  echo "skipped: no Qt reference at $reference"
  exit 77
fi
mkdir -p "$out"
export WINEDEBUG=-all
# On the X server of the run when there is one (Wine's prefix keeps the
# display it first started on), else on one of its own.
on_x() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1024x768x24" "$@"; fi
}
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$out/prefix
  trap '"$(dirname "$wine")/wineserver" -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
fi

on_x "$wine" "$exe" --screenshot "$out/win32.png" --source "$samples" --select 2
if [[ $reference == *.png ]]; then
  cp "$reference" "$out/qt.png"
else
  QT_QPA_PLATFORM=offscreen "$reference" --screenshot "$out/qt.png" --source "$samples" --select 2 2>/dev/null
fi

# Boxes of the layout as crop geometries (WxH+L+T): the picture buttons and
# LEDs ({L, T, W, H}} at the end of their table rows), or the named ones.
table_boxes() {
  grep -oP '\{\K\d+, \d+, \d+, \d+(?=\}\},)' "$layout" | awk -F', ' '{ print $3 "x" $4 "+" $1 "+" $2 }'
}
named_boxes() {
  grep -oP "inline constexpr Box k(${1})\{\K\d+, \d+, \d+, \d+(?=\};)" "$layout" |
    awk -F', ' '{ print $3 "x" $4 "+" $1 "+" $2 }'
}

failed=0
check() {  # NAME GEOMETRY A B
  local differ
  differ=$(compare -metric AE -fuzz "$fuzz" "$3[$2]" "$4[$2]" null: 2>&1 || true)
  if [ "$differ" != 0 ]; then
    echo "FAIL: $1 at $2: $differ pixels differ"
    failed=1
  fi
}

boxes=$(table_boxes; named_boxes Brand)
[ "$(echo "$boxes" | wc -l)" -ge 10 ] || { echo "FAIL: the layout's boxes were not found in $layout"; exit 1; }
for box in $boxes; do check artwork "$box" "$out/win32.png" "$out/qt.png"; done

# The whole face with the texts blanked out.
blank=()
for box in $(named_boxes '\w+Caption|SongList'); do
  IFS='x+' read -r w h l t <<<"$box"
  blank+=(-draw "rectangle $l,$t,$((l + w - 1)),$((t + h - 1))")
done
[ ${#blank[@]} -ge 18 ] || { echo "FAIL: the layout's caption boxes were not found"; exit 1; }
for side in win32 qt; do convert "$out/$side.png" -fill black "${blank[@]}" "$out/$side-blank.png"; done
check face 566x400+0+0 "$out/win32-blank.png" "$out/qt-blank.png"

if [ $failed -ne 0 ]; then
  compare -fuzz "$fuzz" "$out/win32-blank.png" "$out/qt-blank.png" "$out/difference.png" 2>/dev/null || true
  echo "the pictures and their difference are in $out"
  exit 1
fi
echo "the artwork matches: $(echo "$boxes" | wc -l) boxes and the face"
