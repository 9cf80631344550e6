#!/usr/bin/env python3
"""Checks `quorvane` against a model built on mido, an independent MIDI
reader: `info` must agree with mido on length and tempo, and each cut must
hold, message by message, what the model says a correct cut holds.

  check_cuts.py measure QUORVANE SONG_DIR           length and tempo only
  check_cuts.py cut QUORVANE SONG_DIR WORK_DIR      and every song cut at several positions
  check_cuts.py cut-all QUORVANE SONG_DIR WORK_DIR  a whole batch: log bytes and every cut
  check_cuts.py crafted QUORVANE WORK_DIR           `cut` on tracks without End of Track
"""

import itertools, math, os, re, shutil, struct, subprocess, sys

import mido

TICKS_PER_QUARTER = 768  # music time


def walk(track):
    """(tick, message) up to and with End of Track."""
    now = 0
    for msg in track:
        now += msg.time
        yield now, msg
        if msg.type == 'end_of_track':
            return


def first_tempo(mid):
    """The first Set Tempo in file order, scanning the tracks one by one."""
    return next((m.tempo for t in mid.tracks for m in t if m.type == 'set_tempo'), 500000)


def cut_format_one(mid, cut_time):
    """Every track cut at the first bar line after the cut position, closed
    with All Sound Off on the channel of its last channel message."""
    division, tempo = mid.ticks_per_beat, first_tempo(mid)
    cut_ticks = math.floor(cut_time / 768000.0 * tempo / (tempo / (division * 1000.0)))
    cut_tick = (math.floor(cut_ticks / (4.0 * division)) + 1) * 4.0 * division
    last_channel, tracks = 0, []
    for track in mid.tracks:
        kept = []
        for now, msg in walk(track):
            if now >= cut_tick:
                kept.append(mido.Message('control_change', channel=last_channel, control=120, value=0))
                break
            kept.append(msg)
            last_channel = getattr(msg, 'channel', last_channel)
        if not kept or kept[-1].type != 'end_of_track':  # also for a track without one
            kept.append(mido.MetaMessage('end_of_track'))
        tracks.append(kept)
    return tracks


def cut_format_zero(mid, cut_time):
    """The single track cut at the exact time, every event of the last tenth
    after a Channel Volume one lower than the last, all channels silenced."""
    division, tempo = mid.ticks_per_beat, first_tempo(mid)
    volume, fades, elapsed, out = [100] * 16, 0, 0.0, []
    for msg in mid.tracks[0]:
        elapsed += msg.time * tempo / (division * 1000.0)
        if elapsed >= cut_time / 768000.0 * tempo:
            out += [mido.Message('control_change', channel=k, control=120, value=0, time=k) for k in range(16)]
            break
        if elapsed >= (cut_time - cut_time / 10) / 768000.0 * tempo:
            fades += 1
            channel = msg.channel if hasattr(msg, 'channel') else 0 if msg.type == 'sysex' else 15
            out.append(mido.Message('control_change', channel=channel, control=7,
                                    value=max(0, min(127, volume[channel] - fades))))
        out.append(msg)
        if msg.type == 'end_of_track':
            return [out]
        if msg.type == 'control_change' and msg.control == 7:
            volume[msg.channel] = msg.value
        tempo = msg.tempo if msg.type == 'set_tempo' else tempo
    return [out + [mido.MetaMessage('end_of_track')]]


def song_length(mid):
    """Music ticks to the latest End of Track, halves rounded up; and the
    tempo (quarter notes per minute) in effect at a music time."""
    end, tempos, division = 0, [], mid.ticks_per_beat
    for track in mid.tracks:
        ticks = list(walk(track))
        tempos += [(now, msg.tempo) for now, msg in ticks if msg.type == 'set_tempo']
        end = max([end] + [now for now, _ in ticks[-1:]])
    tempos.sort(key=lambda point: point[0])

    def bpm_at(music_time):
        passed = [micros for tick, micros in tempos if tick * TICKS_PER_QUARTER <= music_time * division]
        return 60000000.0 / passed[-1] if passed else 120.0

    return (end * 2 * TICKS_PER_QUARTER + division) // (2 * division), bpm_at


def mm_ss(length, bpm):
    seconds = math.floor(length / 768.0 * 60.0 / bpm)
    return '%02d:%02d' % (seconds // 60, seconds % 60)


def run(args):
    done = subprocess.run(args, capture_output=True, text=True)
    if done.returncode != 0:
        raise AssertionError('%s exited %d: %s' % (' '.join(args), done.returncode, done.stderr))
    return done.stdout


def songs(folder):
    return sorted(name for name in os.listdir(folder) if name.lower().endswith('.mid'))


def check_file(path, source, cut_time):
    """None when the cut at `path` is what the model expects, else the difference."""
    cut = mido.MidiFile(path)
    expected = (cut_format_one if source.type == 1 else cut_format_zero)(source, cut_time)
    if (cut.type, cut.ticks_per_beat, len(cut.tracks)) != (source.type, source.ticks_per_beat, len(expected)):
        return 'type %d, division %d, %d tracks' % (cut.type, cut.ticks_per_beat, len(cut.tracks))
    return next(('track %d, message %d: %r, expected %r' % (number, index, g, w)
                 for number, (got, want) in enumerate(zip(cut.tracks, expected))
                 for index, (g, w) in enumerate(itertools.zip_longest(got, want)) if g != w), None)


def check_songs(quorvane, song_dir, work=None):
    """`info` of every song against mido; with WORK, cuts at several positions."""
    failures, checked = [], 0
    for name in songs(song_dir):
        path = os.path.join(song_dir, name)
        source, info = mido.MidiFile(path), run([quorvane, 'info', path])
        length = int(re.search(r'length:\s+(\d+) music ticks', info).group(1))
        bpm = float(re.search(r'start:\s+(\S+) quarter notes per minute', info).group(1))
        want, bpm_at = song_length(source)
        checked += 1
        if length != want or abs(bpm - bpm_at(0)) > 1e-9 * bpm:
            failures.append('%s: length %d bpm %r, mido says %d and %r' % (name, length, bpm, want, bpm_at(0)))
        maximum = int(re.search(r'positions: 1 to (\d+)', info).group(1))
        for position in sorted({1, 7, max(1, maximum // 2), maximum}) if work else []:
            out = os.path.join(work, 'cut-%s-%d' % (name, position))
            os.makedirs(out)
            written = run([quorvane, 'cut', path, '--position', str(position), '--dest', out]).strip()
            problem = ('folder holds %s' % os.listdir(out) if os.listdir(out) != [os.path.basename(written)]
                       else check_file(written, source, position * 1000.0))
            checked += 1
            if problem:
                failures.append('%s @%d: %s' % (name, position, problem))
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
    lines, failures, value, cut_time = [], [], 0, 0.0
    for position, (upper, disk) in enumerate(listed, start=1):
        source = mido.MidiFile(os.path.join(folder, disk))
        length, bpm_at = song_length(source)
        # The cut slider steps from 0 until its time reads the clip length or
        # one second more, at most to 100; it stays where the last song left it.
        caption = '00:00'
        for step in range(0, 101):
            if caption in ('00:%02d' % seconds, '00:%02d' % (seconds + 1)):
                break
            if step != value:
                value = step
                if step > 0:
                    caption, cut_time = mm_ss(step * 1000.0, bpm_at(0)), step * 1000.0
        lines.append('%d. %s: %s\t%s-cut.mid:%s - Format: %d\r\n' % (position, upper, mm_ss(length, bpm_at(2000)),
                                                                      upper[:-4], caption, 1 if source.type == 1 else 0))
        cut_name = upper[:-4] + '-CUT.mid' if source.type == 1 else (upper[:-4] + '-cut.mid').lower()
        problem = check_file(os.path.join(out, cut_name), source, cut_time)
        if problem:
            failures.append('%s: %s' % (disk, problem))
    with open(os.path.join(folder, 'Quorvane.log'), 'rb') as log:
        actual, expected = log.read(), ''.join(lines).encode('utf-8')
    if actual != expected:
        failures.append('log differs:\n%r\nexpected\n%r' % (actual, expected))
    if len(os.listdir(out)) != len(listed):
        failures.append('destination holds %s' % sorted(os.listdir(out)))
    return len(listed), failures


def write_crafted(folder):
    """Songs whose tracks end with their chunk, without End of Track, alone
    or followed by another chunk."""
    def chunk(tag, data):
        return tag + struct.pack('>I', len(data)) + data
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


def main(command, quorvane, song_dir, work=None):
    if command == 'crafted':
        shutil.rmtree(song_dir, ignore_errors=True)
        song_dir, work = os.path.join(song_dir, 'songs'), os.path.join(song_dir, 'cuts')
        write_crafted(song_dir)
    if work:
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
    checked, failures = (check_cut_all if command == 'cut-all' else check_songs)(quorvane, song_dir, work)
    for failure in failures:
        print('FAIL', failure)
    print('%d checked, %d failed' % (checked, len(failures)))
    return 1 if failures or checked == 0 else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
