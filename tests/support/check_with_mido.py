#!/usr/bin/python3
"""Reads MIDI files with mido, an independent reader, and reports what it saw.

    check_with_mido.py [options] FILE_OR_FOLDER...

For each file prints the format, the track count, the events per track, the
ticks per beat and the playing time. Folders are searched for *.mid in any
letter case. Exits 1 if any file fails to load or a requested check fails,
2 on bad usage.

Checks on request:
  --song            invariants of songs from the generator: every track ends
                    with one End of Track and all tracks end on the same tick,
                    every note is switched off exactly once, the tempo map is
                    in the first track and (format 1) the first track holds no
                    channel messages, Channel Volume is present
  --expect-count N  exactly N files
  --size-near B     each file within 5 % of B bytes
  --quiet           print only failures and a summary line
"""

import argparse
import os
import struct
import sys

import mido


class CheckError(Exception):
    pass


def chunks(data):
    """Walks the chunk structure by hand: list of (tag, declared length)."""
    found = []
    pos = 0
    while pos + 8 <= len(data):
        tag, length = struct.unpack(">4sL", data[pos:pos + 8])
        found.append((tag.decode("latin-1"), length))
        pos += 8 + length
    if pos != len(data):
        raise CheckError(f"chunk lengths do not add up to the file size ({pos} vs {len(data)})")
    return found


def check_song(midi):
    ends = set()
    for index, track in enumerate(midi.tracks):
        if not track or track[-1].type != "end_of_track":
            raise CheckError(f"track {index} does not end with End of Track")
        if sum(1 for m in track if m.type == "end_of_track") != 1:
            raise CheckError(f"track {index} has more than one End of Track")
        tick = 0
        sounding = set()
        for msg in track:
            tick += msg.time
            if msg.type == "set_tempo" and index != 0:
                raise CheckError(f"tempo change outside the first track (track {index})")
            if midi.type == 1 and index == 0 and not msg.is_meta and msg.type != "sysex":
                raise CheckError(f"channel message in the tempo track: {msg}")
            if msg.type == "note_on" and msg.velocity > 0:
                key = (msg.channel, msg.note)
                if key in sounding:
                    raise CheckError(f"track {index}: note {key} switched on twice at tick {tick}")
                sounding.add(key)
            elif msg.type in ("note_off", "note_on"):
                key = (msg.channel, msg.note)
                if key not in sounding:
                    raise CheckError(f"track {index}: note {key} switched off but not on at tick {tick}")
                sounding.discard(key)
        if sounding:
            raise CheckError(f"track {index}: notes left on at the end: {sorted(sounding)}")
        ends.add(tick)
    if len(ends) != 1:
        raise CheckError(f"tracks end on different ticks: {sorted(ends)}")
    tick = 0
    tempo_at_start = False
    for msg in midi.tracks[0]:
        tick += msg.time
        if tick > 0:
            break
        tempo_at_start = tempo_at_start or msg.type == "set_tempo"
    if not tempo_at_start:
        raise CheckError("no tempo at tick 0 in the first track")
    if not any(m.type == "control_change" and m.control == 7 for t in midi.tracks for m in t):
        raise CheckError("no Channel Volume event")


def check_file(path, args):
    with open(path, "rb") as f:
        data = f.read()
    layout = chunks(data)
    midi = mido.MidiFile(path)
    counts = [len(t) for t in midi.tracks]
    seconds = midi.length
    if not args.quiet:
        alien = [tag for tag, _ in layout[1:] if tag != "MTrk"]
        print(f"{path}: format {midi.type}, {len(midi.tracks)} tracks, events per track {counts}, "
              f"ticks per beat {midi.ticks_per_beat}, {seconds:.3f} s, {len(data)} bytes"
              + (f", other chunks {alien}" if alien else ""))
    if args.size_near and abs(len(data) - args.size_near) > args.size_near * 0.05:
        raise CheckError(f"size {len(data)} is not within 5 % of {args.size_near}")
    if args.song:
        check_song(midi)


def collect(paths):
    files = []
    for p in paths:
        if os.path.isdir(p):
            files += sorted(os.path.join(p, n) for n in os.listdir(p) if n.lower().endswith(".mid"))
        else:
            files.append(p)
    return files


def main():
    parser = argparse.ArgumentParser(description="Load MIDI files with mido and report on them.")
    parser.add_argument("paths", nargs="+")
    parser.add_argument("--song", action="store_true")
    parser.add_argument("--expect-count", type=int)
    parser.add_argument("--size-near", type=int)
    parser.add_argument("--quiet", action="store_true")
    args = parser.parse_args()

    files = collect(args.paths)
    failed = 0
    for path in files:
        try:
            check_file(path, args)
        except Exception as e:  # mido raises several kinds on bad input
            failed += 1
            print(f"{path}: FAILED: {type(e).__name__}: {e}")
    count_ok = args.expect_count is None or len(files) == args.expect_count
    if not count_ok:
        print(f"FAILED: expected {args.expect_count} files, found {len(files)}")
    print(f"{len(files) - failed} passed, {failed} failed")
    return 0 if failed == 0 and count_ok and files else 1


if __name__ == "__main__":
    sys.exit(main())
