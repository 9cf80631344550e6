#!/usr/bin/env python3
"""Checks `quorvane` against the model in cut_model.py, built on mido, an
independent MIDI reader: `info` must agree with it on length, tempo and the
slider's range, and each cut must be what the model says a correct cut is.

  check_cuts.py measure QUORVANE SONG_DIR           info only
  check_cuts.py cut QUORVANE SONG_DIR WORK_DIR      and every song cut at several positions
  check_cuts.py cut-all QUORVANE SONG_DIR WORK_DIR  a whole batch: log bytes and every cut
  check_cuts.py crafted QUORVANE WORK_DIR           tracks without End of Track, bad data bytes
"""

import os, re, shutil, struct, subprocess, sys

import mido

from cut_model import Timeline, check_cut, cut_name, mm_ss, run


def songs(folder):
    return sorted(name for name in os.listdir(folder) if name.lower().endswith('.mid'))


def check_info(quorvane, path, timeline):
    info = run([quorvane, 'info', path])
    length = re.search(r'length:\s+(\d+) music ticks \(768 per quarter note\), (\S+)', info)
    got = (int(length.group(1)), length.group(2), int(re.search(r'positions: 1 to (\d+)', info).group(1)),
           round(float(re.search(r'start:\s+(\S+) quarter notes per minute', info).group(1)), 6))
    want = (timeline.music_length, mm_ss(timeline.length), timeline.steps, round(60e6 / timeline.tempos[0], 6))
    return None if got == want else 'info says length %d, %s, positions to %d, %r bpm; expected %d, %s, %d, %r' % (
        got + want)


def check_songs(quorvane, song_dir, work=None):
    """`info` of every song; with WORK, cuts at several positions."""
    failures, checked = [], 0
    for name in songs(song_dir):
        path = os.path.join(song_dir, name)
        source = mido.MidiFile(path)
        timeline = Timeline(source)
        problems = [(name, check_info(quorvane, path, timeline))]
        for position in sorted({1, 7, max(1, timeline.steps // 2), timeline.steps}) if work else []:
            out = os.path.join(work, 'cut-%s-%d' % (name, position))
            os.makedirs(out)
            written = run([quorvane, 'cut', path, '--position', str(position), '--dest', out]).strip()
            problems.append(('%s @%d' % (name, position), 'folder holds %s' % os.listdir(out)
                             if os.listdir(out) != [os.path.basename(written)] else
                             check_cut(written, path, timeline.cut_for_step(position, source.type == 1),
                                       source, timeline)))
        checked += len(problems)
        failures += ['%s: %s' % problem for problem in problems if problem[1]]
    return checked, failures


def check_cut_all(quorvane, song_dir, work, seconds=7):
    folder, out = os.path.join(work, 'batch'), os.path.join(work, 'out')
    shutil.copytree(song_dir, folder)
    # Names beyond ASCII are listed, cut and logged in their own upper case.
    for old, new in zip(songs(folder), ['Ünïcödé ☃.mid', 'façade.mid']):
        os.rename(os.path.join(folder, old), os.path.join(folder, new))
    os.makedirs(out)
    run([quorvane, 'cut-all', folder, '--seconds', str(seconds), '--dest', out])
    listed = sorted((name.upper(), name) for name in songs(folder))
    lines, failures = [], []
    for number, (upper, disk) in enumerate(listed, start=1):
        path = os.path.join(folder, disk)
        source = mido.MidiFile(path)
        timeline = Timeline(source)
        cut = timeline.cut_for_clip(seconds, source.type == 1)
        lines.append(timeline.log_line(number, upper, source.type == 1, cut))
        problem = check_cut(os.path.join(out, cut_name(upper, source.type == 1)), path, cut, source, timeline)
        failures += ['%s: %s' % (disk, problem)] if problem else []
    with open(os.path.join(folder, 'Quorvane.log'), 'rb') as log:
        actual, expected = log.read(), ''.join(lines).encode('utf-8')
    if actual != expected:
        failures.append('log differs:\n%r\nexpected\n%r' % (actual, expected))
    if len(os.listdir(out)) != len(listed):
        failures.append('destination holds %s' % sorted(os.listdir(out)))
    return len(listed), failures


def chunk(tag, data):
    return tag + struct.pack('>I', len(data)) + data


def write_crafted(folder):
    """Songs whose tracks end with their chunk, without End of Track, alone
    or followed by another chunk."""
    tempo, eot = b'\x00\xff\x51\x03\x07\xa1\x20', b'\x00\xff\x2f\x00'
    notes = b'\x00\x90\x3c\x40\x81\x40\x80\x3c\x00' * 40  # 40 quarters
    zero, one = (chunk(b'MThd', struct.pack('>HHH', fmt, fmt + 1, 96)) for fmt in (0, 1))
    os.makedirs(folder)
    for name, data in {
        'zero-alone.mid': zero + chunk(b'MTrk', tempo + notes),
        'zero-then-chunk.mid': zero + chunk(b'MTrk', tempo + notes) + chunk(b'XTRA', b'\x00\x90\x3c'),
        'one-alone.mid': one + chunk(b'MTrk', tempo + eot) + chunk(b'MTrk', notes),
        'one-then-chunk.mid': one + chunk(b'MTrk', tempo) + chunk(b'MTrk', notes + eot),
    }.items():
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(data)
    return zero, one, tempo, notes, eot


def check_bad_data(quorvane, work, zero, one, tempo, notes, eot):
    """A channel message with a data byte of 0x80 or more: the song cannot
    be read, and nothing is written."""
    failures, bad = [], b'\x00\x90\x3c\xc0' + notes
    for name, data in {'bad-zero.mid': zero + chunk(b'MTrk', tempo + bad + eot),
                       'bad-one.mid': one + chunk(b'MTrk', tempo + eot) + chunk(b'MTrk', bad + eot)}.items():
        folder = os.path.join(work, name[:-4])
        os.makedirs(os.path.join(folder, 'out'))
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(data)
        done = subprocess.run([quorvane, 'cut', os.path.join(folder, name), '--seconds', '5', '--dest',
                               os.path.join(folder, 'out')], capture_output=True, text=True)
        if done.returncode != 1 or not re.search(r'CANNOT READ MIDI FILE.*byte \d+', done.stderr) \
                or os.listdir(os.path.join(folder, 'out')):
            failures.append('%s: exit %d, %r' % (name, done.returncode, done.stderr))
    return 2, failures


def main(command, quorvane, song_dir, work=None):
    bad = []
    if command == 'crafted':
        shutil.rmtree(song_dir, ignore_errors=True)
        song_dir, work = os.path.join(song_dir, 'songs'), os.path.join(song_dir, 'cuts')
        bad = write_crafted(song_dir)
    if work:
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
    checked, failures = (check_cut_all if command == 'cut-all' else check_songs)(quorvane, song_dir, work)
    if bad:
        more = check_bad_data(quorvane, work, *bad)
        checked, failures = checked + more[0], failures + more[1]
    for failure in failures:
        print('FAIL', failure)
    print('%d checked, %d failed' % (checked, len(failures)))
    return 1 if failures or checked == 0 else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
