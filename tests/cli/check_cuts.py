#!/usr/bin/env python3
"""Checks the files `quorvane` writes with mido, an independent MIDI reader.

  check_cuts.py cut QUORVANE SONG_DIR WORK_DIR      every song cut at several positions
  check_cuts.py measure QUORVANE SONG_DIR           length and tempo against mido
  check_cuts.py cut-all QUORVANE SONG_DIR WORK_DIR  a whole batch: log bytes and every cut
  check_cuts.py crafted QUORVANE WORK_DIR           tracks without End of Track, cut as `cut` does
"""

import os
import re
import shutil
import struct
import subprocess
import sys

import mido

import midi_reference as ref


def run(args, expect=0):
    done = subprocess.run(args, capture_output=True, text=True)
    if done.returncode != expect:
        raise AssertionError('%s exited %d (expected %d): %s' % (' '.join(args), done.returncode, expect,
                                                                   done.stderr))
    return done


def songs(folder):
    return sorted(name for name in os.listdir(folder) if name.lower().endswith('.mid'))


def check_file(path, source, cut_time):
    cut = mido.MidiFile(path)  # must load
    if cut.type != source.type or cut.ticks_per_beat != source.ticks_per_beat:
        return 'header changed: type %d/%d, division %d/%d' % (cut.type, source.type, cut.ticks_per_beat,
                                                               source.ticks_per_beat)
    expected = ref.expected_cut(source, cut_time)
    if source.type == 1 and len(cut.tracks) != len(source.tracks):
        return 'track count %d, source has %d' % (len(cut.tracks), len(source.tracks))
    return ref.compare_tracks(cut.tracks, expected)


def cmd_cut(quorvane, song_dir, work):
    failures, checked = [], 0
    for name in songs(song_dir):
        source_path = os.path.join(song_dir, name)
        source = mido.MidiFile(source_path)
        maximum = int(re.search(r'positions: 1 to (\d+)', run([quorvane, 'info', source_path]).stdout).group(1))
        for position in sorted({1, 7, maximum // 2, maximum}):
            if position < 1:
                continue
            out = os.path.join(work, 'cut-%s-%d' % (name, position))
            os.makedirs(out)
            written = run([quorvane, 'cut', source_path, '--position', str(position), '--dest', out]).stdout.strip()
            if os.listdir(out) != [os.path.basename(written)]:
                failures.append('%s @%d: folder holds %s' % (name, position, os.listdir(out)))
                continue
            problem = check_file(written, source, position * 1000.0)
            checked += 1
            if problem:
                failures.append('%s @%d: %s' % (name, position, problem))
    return checked, failures


def cmd_measure(quorvane, song_dir):
    failures, checked = [], 0
    for name in songs(song_dir):
        path = os.path.join(song_dir, name)
        info = run([quorvane, 'info', path]).stdout
        length = int(re.search(r'length:\s+(\d+) music ticks', info).group(1))
        bpm = float(re.search(r'start:\s+(\S+) quarter notes per minute', info).group(1))
        want_length, bpm_at = ref.song_length(mido.MidiFile(path))
        checked += 1
        if length != want_length or abs(bpm - bpm_at(0)) > 1e-9 * bpm:
            failures.append('%s: length %d bpm %r, mido says %d and %r' % (name, length, bpm, want_length, bpm_at(0)))
    return checked, failures


def cmd_cut_all(quorvane, song_dir, work, seconds=7):
    folder = os.path.join(work, 'batch')
    out = os.path.join(work, 'out')
    shutil.copytree(song_dir, folder)
    # Names beyond ASCII are listed, cut and logged in their own upper case.
    for old, new in zip(songs(folder), ['Ünïcödé ☃.mid', 'façade.mid']):
        os.rename(os.path.join(folder, old), os.path.join(folder, new))
    os.makedirs(out)
    run([quorvane, 'cut-all', folder, '--seconds', str(seconds), '--dest', out])

    listed = sorted((name.upper(), name) for name in songs(folder))
    lines, failures, checked = [], [], 0
    value, cut_time = 0, 0.0
    for position, (upper, disk) in enumerate(listed, start=1):
        source = mido.MidiFile(os.path.join(folder, disk))
        length, bpm_at = ref.song_length(source)
        song = ref.mm_ss(ref.whole_seconds(length, bpm_at(2000)))
        # The search steps the cut slider from 0 until its time reads the
        # clip length or one second more, at most to 100.
        caption = '00:00'
        for step in range(0, 101):
            if caption in ('00:%02d' % seconds, '00:%02d' % (seconds + 1)):
                break
            if step != value:
                value = step
                if step > 0:
                    caption = ref.mm_ss(ref.whole_seconds(step * 1000.0, bpm_at(0)))
                    cut_time = step * 1000.0
        lines.append('%d. %s: %s\t%s-cut.mid:%s - Format: %s\r\n' % (position, upper, song, upper[:-4], caption,
                                                                      '1' if source.type == 1 else '0'))
        cut_name = upper[:-4] + '-CUT.mid' if source.type == 1 else (upper[:-4] + '-cut.mid').lower()
        problem = check_file(os.path.join(out, cut_name), source, cut_time)
        checked += 1
        if problem:
            failures.append('%s: %s' % (disk, problem))
    with open(os.path.join(folder, 'Quorvane.log'), 'rb') as log:
        actual = log.read()
    expected = ''.join(lines).encode('utf-8')
    if actual != expected:
        failures.append('log differs:\n%r\nexpected\n%r' % (actual, expected))
    if len(os.listdir(out)) != len(listed):
        failures.append('destination holds %s' % sorted(os.listdir(out)))
    return checked, failures


def write_crafted(folder):
    """Songs whose tracks end with their chunk, without End of Track, alone
    or followed by another chunk."""
    def chunk(tag, data):
        return tag + struct.pack('>I', len(data)) + data
    def header(fmt, tracks):
        return chunk(b'MThd', struct.pack('>HHH', fmt, tracks, 96))
    tempo = b'\x00\xff\x51\x03\x07\xa1\x20'
    notes = b''.join(b'\x00\x90\x3c\x40\x81\x40\x80\x3c\x00' for _ in range(40))  # 40 quarters, no End of Track
    eot = b'\x00\xff\x2f\x00'
    songs = {
        'zero-alone.mid': header(0, 1) + chunk(b'MTrk', tempo + notes),
        'zero-then-chunk.mid': header(0, 1) + chunk(b'MTrk', tempo + notes) + chunk(b'XTRA', b'\x00\x90\x3c'),
        'one-alone.mid': header(1, 2) + chunk(b'MTrk', tempo + eot) + chunk(b'MTrk', notes),
        'one-then-chunk.mid': header(1, 2) + chunk(b'MTrk', tempo) + chunk(b'MTrk', notes + eot),
    }
    os.makedirs(folder)
    for name, data in songs.items():
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(data)


def main(argv):
    command, quorvane, song_dir = argv[1], argv[2], argv[3]
    work = argv[4] if len(argv) > 4 else None
    if command == 'crafted':
        song_dir, work = os.path.join(argv[3], 'songs'), os.path.join(argv[3], 'cuts')
        shutil.rmtree(argv[3], ignore_errors=True)
        write_crafted(song_dir)
    if work:
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
    if command in ('cut', 'crafted'):
        checked, failures = cmd_cut(quorvane, song_dir, work)
        if command == 'crafted':
            measured, wrong = cmd_measure(quorvane, song_dir)
            checked, failures = checked + measured, failures + wrong
    elif command == 'measure':
        checked, failures = cmd_measure(quorvane, song_dir)
    elif command == 'cut-all':
        checked, failures = cmd_cut_all(quorvane, song_dir, work)
    else:
        print(__doc__)
        return 2
    for failure in failures:
        print('FAIL', failure)
    print('%d checked, %d failed' % (checked, len(failures)))
    return 1 if failures or checked == 0 else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
