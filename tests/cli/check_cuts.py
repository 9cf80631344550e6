#!/usr/bin/env python3
"""Checks `quorvane` against the model in cut_model.py, built on mido, an
independent MIDI reader.

  check_cuts.py measure QUORVANE SONG_DIR        `info` agrees with the model on length, tempo and positions
  check_cuts.py songs QUORVANE SONG_DIR WORK     and each song cut at several positions, then all at once
  check_cuts.py clips QUORVANE WORK              songs written here (slow and fast, tempo ramps, meter
                                                 changes): clips of 1 to 59 s, slider steps
"""

import os, re, shutil, sys
from fractions import Fraction

import mido

from cut_model import Song, cut_all, cut_one, mm_ss, run


def midi_files(folder):
    return {name: Song(os.path.join(folder, name)) for name in sorted(os.listdir(folder))
            if name.lower().endswith('.mid')}


def check_info(quorvane, song):
    info = run([quorvane, 'info', song.path])
    length = re.search(r'length:\s+(\d+) music ticks \(768 per quarter note\), (\S+)', info)
    got = (int(length.group(1)), length.group(2), int(re.search(r'positions: 1 to (\d+)', info).group(1)),
           round(float(re.search(r'start:\s+(\S+) quarter notes per minute', info).group(1)), 6))
    want = (song.music_length, mm_ss(song.length), song.steps, round(60e6 / song.tempos[0], 6))
    return None if got == want else 'info says length %d, %s, positions to %d, %r bpm; expected %d, %s, %d, %r' % (
        got + want)


def check_songs(quorvane, song_dir, work=None):
    """`info` of every song; with `work`, cuts at several positions, then the
    whole folder cut to clips of 12.5 s at once under names beyond ASCII,
    which are listed, cut and logged in their own upper case."""
    failures, songs = [], midi_files(song_dir)
    for name, song in songs.items():
        problems = [('info', check_info(quorvane, song))]
        for position in sorted({1, 7, max(1, song.steps // 2), song.steps}) if work else []:
            problems.append(('@%d' % position, cut_one(quorvane, song, ['--position', str(position)], os.path.join(
                work, 'cut-%s-%d' % (name, position)), song.cut_for_step(position))))
        failures += ['%s %s: %s' % (name, *problem) for problem in problems if problem[1]]
    if work:
        folder = os.path.join(work, 'batch')
        shutil.copytree(song_dir, folder)
        for old, new in zip(songs, ['Ünïcödé ☃.mid', 'façade.mid']):
            os.rename(os.path.join(folder, old), os.path.join(folder, new))
        failures += cut_all(quorvane, folder, midi_files(folder), 12.5, os.path.join(work, 'batch-out'))
    return len(songs), failures


# name: division, tempo in bpm for each quarter note (the last holds on), meters as
# (from bar, numerator, denominator), seconds of music at least.
RAMP = [60 + beat for beat in range(121)]
SONGS = {
    '20bpm': (96, [20], [(0, 4, 4), (3, 1, 512)], 100),  # a 1/512 bar is under one tick: no bar lines
    '30bpm': (480, [30], [(0, 4, 4)], 75),
    '40bpm-3-5': (384, [40], [(0, 3, 4), (7, 5, 4)], 75),
    '120bpm': (480, [120], [(0, 4, 4)], 75),
    '240bpm-6-7': (120, [240], [(0, 6, 8), (40, 7, 8)], 75),
    '300bpm': (960, [300], [(0, 4, 4)], 95),
    'ramp': (480, RAMP, [(0, 4, 4)], 75),
    'ramp-7-7': (90, RAMP, [(0, 7, 8), (30, 7, 16)], 75),  # 7/16 of 90 ticks: bars of 157 ticks
    'short': (240, [120], [(0, 4, 4)], 20),
}
PLAIN = ['20bpm', '30bpm', '120bpm', '300bpm', 'short']  # one tempo, 4/4

# channel, program, track (Format 1), part, Channel Volume at the start
PARTS = [(0, 19, 1, 'held', 100), (1, 33, 1, 'beats', None), (2, 0, 2, 'pedal', 110), (9, 0, 2, 'beats', 100),
         (3, 48, 3, 'held', 90)]


def make_song(path, fmt, division, bpms, meters, seconds):
    """A song of whole bars lasting at least `seconds`; Format 1 has a
    conductor track and three tracks of several channels each."""
    starts = [Fraction(0)]  # seconds at each quarter note
    while starts[-1] < seconds + 60:
        starts.append(starts[-1] + Fraction(60) / bpms[min(len(starts) - 1, len(bpms) - 1)])
    events, bars, meter, tick = [], [], None, 0  # (tick, order, track, message)
    while tick / division < len(starts) - 1 and starts[tick // division] < seconds:
        for first, nn, dd in meters:
            if first == len(bars):
                events.append((tick, 0, 0, mido.MetaMessage('time_signature', numerator=nn, denominator=dd)))
                meter = nn * 4 * division // dd if nn * 4 * division >= dd else meter
        bars.append(tick)
        tick += meter
    end = tick
    ramp_track = 2 if len(bpms) > 1 else 0  # a Set Tempo outside the first track counts too
    events.append((0, 0, 0, mido.MetaMessage('set_tempo', tempo=600000)))  # overruled at once
    events += [(beat * division, 0, ramp_track, mido.MetaMessage('set_tempo', tempo=round(60e6 / bpm)))
               for beat, bpm in enumerate(bpms)]
    for channel, program, track, part, volume in PARTS:
        note = lambda on, at, key: (at, 3 if on else 1, track, mido.Message(
            'note_on' if on else 'note_off', channel=channel, note=key, velocity=90 if on else 0))
        events.append((0, 2, track, mido.Message('program_change', channel=channel, program=program)))
        if volume:
            events.append((0, 2, track, mido.Message('control_change', channel=channel, control=7, value=volume)))
        for number, (bar, after) in enumerate(zip(bars, bars[1:] + [end])):
            if part == 'held':  # from the middle of one bar to the middle of the next
                middle, later = bar + (after - bar) // 2, min(end, after + (after - bar) // 2)
                events += [note(True, middle, 48 + number % 12), note(False, later, 48 + number % 12)]
            if part == 'pedal':
                events.append((bar + division // 2, 2, track, mido.Message(
                    'control_change', channel=channel, control=64, value=0 if number % 2 else 127)))
            if number == len(bars) // 2 and volume:
                events.append((bar, 2, track, mido.Message('control_change', channel=channel, control=7,
                                                           value=volume - 30)))
        for beat in range(0, end, division) if part in ('beats', 'pedal') else []:
            key = 42 if channel == 9 else 60 + beat // division % 7
            events += [note(True, beat, key), note(False, min(end, beat + division // 2), key)]
    for number, bar in enumerate(bars[4::8]):
        events += [(bar, 0, 3, mido.MetaMessage('marker', text='part %d' % number)),
                   (bar, 0, 1, mido.Message('sysex', data=[0x7D, 0x51, 0x56]))]
    last_map = max(at for at, _, track, msg in events if track == 0)
    song = mido.MidiFile(type=fmt, ticks_per_beat=division)
    for number in range(4 if fmt else 1):
        mine = sorted((at, order, index, msg) for index, (at, order, track, msg) in enumerate(events)
                      if fmt == 0 or track == number)
        song.tracks.append(mido.MidiTrack())
        now = 0
        for at, _, _, msg in mine:
            song.tracks[-1].append(msg.copy(time=at - now))
            now = at
        # The conductor track ends one beat after its last change.
        song.tracks[-1].append(mido.MetaMessage('end_of_track', time=(last_map + division if fmt and number == 0
                                                                      else end) - now))
    song.save(path)


def check_clips(quorvane, work):
    folder = os.path.join(work, 'songs')
    os.makedirs(folder)
    for name in SONGS:
        for fmt in (0, 1):
            make_song(os.path.join(folder, 'f%d-%s.mid' % (fmt, name)), fmt, *SONGS[name])
    songs, failures = midi_files(folder), []
    for seconds in range(1, 60):
        failures += cut_all(quorvane, folder, songs, seconds, os.path.join(work, 'clips-%d' % seconds))
        shutil.rmtree(os.path.join(work, 'clips-%d' % seconds))
    for name, song in songs.items():
        # Slider steps between bar lines, one tempo, 4/4: the source's own bytes up to the fade or the bar line.
        for step in sorted({1, 2, 5, 13, 40, song.steps // 2, song.steps - 1, song.steps}) if name[3:-4] in PLAIN else []:
            if 1 <= step <= song.steps and step % 384:  # 384 steps are 125 bars of 4/4
                problem = cut_one(quorvane, song, ['--position', str(step)], os.path.join(
                    work, 'step-%d-%s' % (step, name)), song.cut_for_step(step))
                failures += ['%s, step %d: %s' % (name, step, problem)] if problem else []
    return len(songs), failures


def main(command, quorvane, folder, work=None):
    checks = {'measure': check_songs, 'songs': check_songs, 'clips': check_clips}
    for scratch in [work] if work else [folder] if command == 'clips' else []:  # never the songs read
        shutil.rmtree(scratch, ignore_errors=True)
    checked, failures = checks[command](quorvane, folder, *[work] if work else [])
    for failure in failures:
        print('FAIL', failure)
    print('%d songs checked, %d failures' % (checked, len(failures)))
    return 1 if failures or checked == 0 else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
