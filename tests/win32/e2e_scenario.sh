#!/usr/bin/env bash
# The Windows window driven as a user would, under wine on Xvfb with a
# window manager: started with --source and --dest, a song picked in the
# list, CUT POINT moved with the keys (End, then Page Down three times), CUT
# ONE pressed, then CUT ALL by its shortcut (Ctrl+Shift+Enter). The cut
# files and the log must equal, byte for byte, what the Linux command line
# writes for the same songs: `cut --position N` for the same N, and
# `cut-all --seconds 30` (the window's clip length as it starts).
#
#   e2e_scenario.sh QUORVANE_GUI_EXE LINUX_QUORVANE SAMPLES OUT_DIR
#
# Exit status 77 (skipped) without wine, Xvfb, openbox, xdotool or the
# Linux program. Runs in WINEPREFIX when it is set, else in a throwaway prefix.
set -euo pipefail
if [ $# -ne 4 ]; then
  echo "usage: $0 QUORVANE_GUI_EXE LINUX_QUORVANE SAMPLES OUT_DIR" >&2
  exit 2
fi
exe=$(realpath "$1")
linux=$2
samples=$(realpath "$3")
out=$(realpath -m "$4")

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || true)
for tool in openbox xdotool $([ -n "${DISPLAY:-}" ] || echo xvfb-run); do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
[ -n "$wine" ] || { echo "skipped: wine64 is missing"; exit 77; }
[ -x "$linux" ] || { echo "skipped: no Linux command line at $linux"; exit 77; }

rm -rf "$out"
mkdir -p "$out"/{windows,linux}/{songs,one,all}
for side in windows linux; do cp "$samples"/*.mid "$out/$side/songs/"; done
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

# The steps on the window.
cat > "$out/drive.sh" <<'DRIVE'
set -euo pipefail
wine=$1 exe=$2 win=$3
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
openbox >/dev/null 2>&1 &  # a window manager, unless the display has one
manager=$!
trap 'kill $manager 2>/dev/null || true' EXIT
sleep 1
"$wine" "$exe" --source "$(windows_path "$win/songs")" --dest "$(windows_path "$win/one")" &
program=$!
window=$(timeout 60 xdotool search --sync --name '^Quorvane$' | head -1)
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"  # X and Y: the window's place
at() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.5; }
wait_for() { for _ in $(seq 100); do if eval "$1"; then return 0; fi; sleep 0.2; done; echo "timed out: $1" >&2; return 1; }

at 250 100                  # the list's first row: the list takes the keyboard
xdotool key Down; sleep 1   # the second song, chosen and measured
xdotool key Tab; sleep 0.3  # CUT POINT
xdotool key End; sleep 0.3
for _ in 1 2 3; do xdotool key Next; sleep 0.3; done
at 482 304                  # CUT ONE
wait_for 'compgen -G "$win/one/*.mid" >/dev/null'
sleep 0.5
mv "$win/one"/*.mid "$win/one.cut"
xdotool key --window "$window" ctrl+shift+Return 2>/dev/null || xdotool key ctrl+shift+Return
wait_for '[ -s "$win/songs/Quorvane.log" ] && [ "$(ls "$win/one" | wc -l)" -eq "$(ls "$win/songs"/*.mid | wc -l)" ]'
sleep 1
xdotool key ctrl+q
wait_for '! kill -0 $program 2>/dev/null'
DRIVE
on_x bash "$out/drive.sh" "$wine" "$exe" "$out/windows"

# The same on Linux: the second song of the list (by name, in the window's
# order), cut where End and three Page Downs leave CUT POINT.
song=$(ls "$out/linux/songs" | LC_ALL=C sort -f | sed -n 2p)
steps=$("$linux" info "$out/linux/songs/$song" | sed -n 's/^positions: *1 to \([0-9]*\)$/\1/p')
page=$((steps / 10 > 1 ? steps / 10 : 1))
position=$((steps - 3 * page))
"$linux" cut --position "$position" --dest "$out/linux/one" "$out/linux/songs/$song" >/dev/null
"$linux" cut-all "$out/linux/songs" --seconds 30 --dest "$out/linux/all" >/dev/null

failed=0
same() {  # WHAT WINDOWS_FILE LINUX_FILE
  if ! cmp "$2" "$3"; then
    echo "FAIL: $1 differs"
    failed=1
  fi
}
same "CUT ONE of $song at position $position" "$out/windows/one.cut" "$out/linux/one"/*.mid
same "the log" "$out/windows/songs/Quorvane.log" "$out/linux/songs/Quorvane.log"
for cut in "$out/linux/all"/*.mid; do
  name=$(basename "$cut")
  twin=$(find "$out/windows/one" -maxdepth 1 -iname "$name" | head -1)
  if [ -z "$twin" ]; then
    echo "FAIL: CUT ALL wrote no $name"
    failed=1
  else
    same "CUT ALL's $name" "$twin" "$cut"
  fi
done
[ $failed -eq 0 ] && echo "the window's cuts and log equal the command line's (CUT ONE at position $position)"
exit $failed
