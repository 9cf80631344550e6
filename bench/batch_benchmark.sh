#!/usr/bin/env bash
# Times `quorvane cut-all` on a folder of 600 generated songs (about 25 KB
# each, both formats) against two references on the same folder: a short
# python3-mido script that trims every file to the same clip length, and a
# plain copy of the folder.
#
#   bench/batch_benchmark.sh [BUILD_DIR] [SONGS] [SECONDS]
#
# With QUORVANE_EXE set to a quorvane.exe (the windows-cli preset), its
# cut-all is timed too, under wine64 (its start included; WINEPREFIX as set).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
count=${2:-600}
clip=${3:-20}
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tools/quorvane-make-samples" "$work/songs" --songs "$count" --size 25000 --seed 11 >/dev/null
bytes=$(du -sb "$work/songs" | cut -f1)

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

cp -r "$work/songs" "$work/q-songs"
mkdir -p "$work/q-out"
t0=$(now)
"$build/src/cli/quorvane" cut-all "$work/q-songs" --seconds "$clip" --dest "$work/q-out" >/dev/null 2>&1
t1=$(now)
quorvane=$(elapsed "$t0" "$t1")

if [ -n "${QUORVANE_EXE:-}" ]; then
  cp -r "$work/songs" "$work/w-songs"
  mkdir -p "$work/w-out"
  t0=$(now)
  WINEDEBUG=-all /usr/lib/wine/wine64 "$QUORVANE_EXE" cut-all "Z:$work/w-songs" --seconds "$clip" \
    --dest "Z:$work/w-out" >/dev/null 2>&1
  t1=$(now)
  wine_time=$(elapsed "$t0" "$t1")
fi

mkdir -p "$work/py-out"
t0=$(now)
"$python" - "$work/songs" "$work/py-out" "$clip" <<'PY'
import os, sys
import mido
src, dst, clip = sys.argv[1], sys.argv[2], float(sys.argv[3])
for name in sorted(os.listdir(src)):
    mid = mido.MidiFile(os.path.join(src, name))
    # The tick where the clip length is reached, following the tempo map.
    seconds, tick, tempo, cutoff = 0.0, 0, 500000, None
    for msg in mido.merge_tracks(mid.tracks):
        seconds += mido.tick2second(msg.time, mid.ticks_per_beat, tempo)
        tick += msg.time
        if seconds >= clip:
            cutoff = tick
            break
        if msg.type == 'set_tempo':
            tempo = msg.tempo
    out = mido.MidiFile(type=mid.type, ticks_per_beat=mid.ticks_per_beat)
    for track in mid.tracks:
        kept, now = mido.MidiTrack(), 0
        for msg in track:
            now += msg.time
            if cutoff is not None and now >= cutoff:
                break
            if msg.type != 'end_of_track':
                kept.append(msg)
        kept.append(mido.MetaMessage('end_of_track', time=0))
        out.tracks.append(kept)
    out.save(os.path.join(dst, name))
PY
t1=$(now)
mido_time=$(elapsed "$t0" "$t1")

t0=$(now)
cp -r "$work/songs" "$work/copy"
sync -f "$work/copy" 2>/dev/null || true
t1=$(now)
copy=$(elapsed "$t0" "$t1")

printf 'songs: %d, %s MB, clip %d s\n' "$count" "$(ratio "$bytes" 1000000)" "$clip"
printf 'quorvane cut-all : %8.3f s\n' "$quorvane"
if [ -n "${QUORVANE_EXE:-}" ]; then
  printf 'quorvane.exe, Wine: %6.3f s  (%sx the native run)\n' "$wine_time" "$(ratio "$wine_time" "$quorvane")"
fi
printf 'python3-mido trim: %8.3f s  (quorvane is %sx faster)\n' "$mido_time" "$(ratio "$mido_time" "$quorvane")"
printf 'plain copy       : %8.3f s  (quorvane takes %sx the copy)\n' "$copy" "$(ratio "$quorvane" "$copy")"

# Audio previews, when the build has them: render speed as a multiple of real
# time, for one song and for the whole batch with --preview, and what
# --preview adds to the batch.
if "$build/src/cli/quorvane" cut-all --help 2>/dev/null | grep -q -- --preview; then
  audio_seconds() { soxi -D "$@" 2>/dev/null | awk '{ s += $1 } END { printf "%.3f", s }'; }
  song=$(ls "$work/songs" | head -n 1)
  t0=$(now)
  "$build/src/cli/quorvane" render "$work/songs/$song" --out "$work/one.wav" >/dev/null 2>&1
  t1=$(now)
  one=$(elapsed "$t0" "$t1")
  cp -r "$work/songs" "$work/p-songs"
  mkdir -p "$work/p-out"
  t0=$(now)
  "$build/src/cli/quorvane" cut-all "$work/p-songs" --seconds "$clip" --dest "$work/p-out" --preview wav >/dev/null 2>&1
  t1=$(now)
  batch=$(elapsed "$t0" "$t1")
  printf 'render one song  : %8.3f s for %s s of audio (%sx real time)\n' "$one" "$(audio_seconds "$work/one.wav")" \
    "$(ratio "$(audio_seconds "$work/one.wav")" "$one")"
  all=$(audio_seconds "$work"/p-out/*.wav)
  printf 'cut-all --preview: %8.3f s for %s s of audio (%sx real time); --preview adds %.3f s\n' "$batch" "$all" \
    "$(ratio "$all" "$batch")" "$(elapsed "$quorvane" "$batch")"
fi
