#!/usr/bin/env bash
# Times `quorvane cut-all` on folders of generated songs (about 25 KB each,
# both formats), with one job and with the default (one per core), against a
# plain `cp -r` of the same folder and a short python3-mido script that
# trims each song to the same clip length (on a 1,000-song sample: it is
# hundreds of times slower). Each is run RUNS times in turn on the same
# folders; the medians of the wall time and of the CPU time (user + sys) are
# shown. Nothing is synced to disk: neither the copy nor the cut waits for it.
#
#   bench/batch_benchmark.sh [BUILD_DIR] [RUNS] [SECONDS] [SONGS...]
#
# SONGS defaults to 1000 and 10000 (one folder each). MIDO=0 leaves out the
# python3-mido trim; QUORVANE=PATH times another quorvane program (one that
# knows --jobs). With QUORVANE_EXE set to a quorvane.exe (the windows-cli
# preset), its cut-all is timed too, under wine64 (its start included).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${2:-5}
clip=${3:-20}
counts=("${@:4}")
[ ${#counts[@]} -gt 0 ] || counts=(1000 10000)
python=/usr/bin/python3
quorvane=${QUORVANE:-$build/src/cli/quorvane}  # QUORVANE=path times another build
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs a command, appending "wall cpu" seconds to the file $1.
timed() {
    local into=$1
    shift
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>&1 || true
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$work/time" >>"$into"
}
wallOf() { cut -d' ' -f1 "$1" | median; }
cpuOf() { cut -d' ' -f2 "$1" | median; }

cat >"$work/trim.py" <<'PY'
import os, sys
import mido
src, dst, clip = sys.argv[1], sys.argv[2], float(sys.argv[3])
for name in sorted(os.listdir(src)):
    if not name.lower().endswith('.mid'):
        continue
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

cores=$(nproc)
printf 'clip %d s, %d runs each, %d cores, load average at the start: %s\n' "$clip" "$runs" "$cores" \
    "$(cut -d' ' -f1-3 /proc/loadavg)"
for count in "${counts[@]}"; do
    songs="$work/songs-$count"
    # The generator makes at most 9,999 songs a run: larger folders take
    # several runs (other seeds), their names given a prefix of their own.
    for ((made = 0; made < count; made += 5000)); do
        part=$((count - made < 5000 ? count - made : 5000))
        "$build/tools/quorvane-make-samples" "$work/part" --songs "$part" --size 25000 --seed $((11 + made)) >/dev/null
        mkdir -p "$songs"
        for file in "$work/part"/*; do
            name=$(basename "$file")
            mv "$file" "$songs/$([ "$made" -eq 0 ] || echo "P${made}_")$name"
        done
        rm -rf "$work/part"
    done
    bytes=$(du -sb "$songs" | cut -f1)
    one="$work/one-$count.times" all="$work/all-$count.times" copy="$work/copy-$count.times"
    for ((run = 0; run < runs; ++run)); do
        rm -rf "$work/out" && mkdir "$work/out"
        timed "$one" "$quorvane" cut-all "$songs" --seconds "$clip" --dest "$work/out" --jobs 1
        cut=$(find "$work/out" -type f | wc -l)
        [ "$cut" -eq "$count" ] || { echo "cut-all wrote $cut files of $count" >&2; exit 1; }
        rm -rf "$work/out" && mkdir "$work/out"
        timed "$all" "$quorvane" cut-all "$songs" --seconds "$clip" --dest "$work/out"
        rm -rf "$work/copy"
        timed "$copy" cp -r "$songs" "$work/copy"
        if [ -n "${QUORVANE_EXE:-}" ]; then
            rm -rf "$work/out" && mkdir "$work/out"
            WINEDEBUG=-all timed "$work/wine-$count.times" /usr/lib/wine/wine64 "$QUORVANE_EXE" cut-all "Z:$songs" \
                --seconds "$clip" --dest "Z:$work/out" --jobs 1
        fi
    done
    rm -rf "$work/out" "$work/copy"
    printf '\n%d songs, %s MB            wall (median)   user+sys (median)\n' "$count" "$(ratio "$bytes" 1000000)"
    printf 'cut-all --jobs 1     : %8.3f s   %8.3f s   %sx the copy\n' "$(wallOf "$one")" "$(cpuOf "$one")" \
        "$(ratio "$(wallOf "$one")" "$(wallOf "$copy")")"
    printf 'cut-all (%d jobs)     : %8.3f s   %8.3f s   %sx the copy\n' "$cores" "$(wallOf "$all")" "$(cpuOf "$all")" \
        "$(ratio "$(wallOf "$all")" "$(wallOf "$copy")")"
    printf 'cp -r                : %8.3f s   %8.3f s\n' "$(wallOf "$copy")" "$(cpuOf "$copy")"
    if [ -s "$work/wine-$count.times" ]; then
        printf 'quorvane.exe, Wine   : %8.3f s   %8.3f s   %sx cut-all with one job\n' "$(wallOf "$work/wine-$count.times")" \
            "$(cpuOf "$work/wine-$count.times")" "$(ratio "$(wallOf "$work/wine-$count.times")" "$(wallOf "$one")")"
    fi

    # python3-mido on a 1,000-song sample, once (it takes minutes), scaled to each folder.
    if [ "${MIDO:-1}" != 0 ] && [ ! -s "$work/mido.times" ]; then
        sample="$work/sample"
        rm -rf "$sample" "$work/py-out" && mkdir "$sample" "$work/py-out"
        find "$songs" -maxdepth 1 -type f -iname '*.mid' | sort | head -n 1000 | xargs -d '\n' cp -t "$sample"
        sampled=$(find "$sample" -type f | wc -l)
        timed "$work/mido.times" "$python" "$work/trim.py" "$sample" "$work/py-out" "$clip"
        rm -rf "$sample" "$work/py-out"
    fi
    if [ -s "$work/mido.times" ]; then
        scaled=$(awk -v t="$(wallOf "$work/mido.times")" -v n="$sampled" -v c="$count" 'BEGIN { printf "%.3f", t * c / n }')
        printf 'python3-mido trim    : %8.3f s   (measured on %d songs: %.3f s; %sx cut-all with one job)\n' "$scaled" \
            "$sampled" "$(wallOf "$work/mido.times")" "$(ratio "$scaled" "$(wallOf "$one")")"
    fi
    rm -rf "$songs"
done

# Audio previews, when the build has them: render speed as a multiple of real
# time, for one song and for a 600-song batch with --preview, and what
# --preview adds to that batch.
if "$quorvane" cut-all --help 2>/dev/null | grep -q -- --preview; then
    audio_seconds() { soxi -D "$@" 2>/dev/null | awk '{ s += $1 } END { printf "%.3f", s }'; }
    songs="$work/p-songs"
    "$build/tools/quorvane-make-samples" "$songs" --songs 600 --size 25000 --seed 11 >/dev/null
    song=$(ls "$songs" | head -n 1)
    timed "$work/render.times" "$quorvane" render "$songs/$song" --out "$work/one.wav"
    rm -rf "$work/p-out" && mkdir "$work/p-out"
    timed "$work/plain.times" "$quorvane" cut-all "$songs" --seconds "$clip" --dest "$work/p-out"
    rm -rf "$work/p-out" && mkdir "$work/p-out"
    timed "$work/preview.times" "$quorvane" cut-all "$songs" --seconds "$clip" --dest "$work/p-out" --preview wav
    one=$(wallOf "$work/render.times") batch=$(wallOf "$work/preview.times")
    printf '\nrender one song      : %8.3f s for %s s of audio (%sx real time)\n' "$one" \
        "$(audio_seconds "$work/one.wav")" "$(ratio "$(audio_seconds "$work/one.wav")" "$one")"
    all=$(audio_seconds "$work"/p-out/*.wav)
    printf 'cut-all --preview    : %8.3f s for %s s of audio (%sx real time); --preview adds %.3f s\n' "$batch" \
        "$all" "$(ratio "$all" "$batch")" "$(awk -v a="$batch" -v b="$(wallOf "$work/plain.times")" 'BEGIN { print a - b }')"
fi
