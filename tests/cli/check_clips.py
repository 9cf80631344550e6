#!/usr/bin/env python3
"""Clips of songs written here with mido: slow and fast, with tempo ramps
and meter changes, both formats, notes held across bar lines and the sustain
pedal down, checked against the model in cut_model.py.

  check_clips.py clips QUORVANE WORK_DIR    clips of 1 to 59 s (CUT ALL), 12.5 s and 1:30 (cut),
                                            and slider steps off the bar lines
  check_clips.py render QUORVANE WORK_DIR   clips as audio: silent after their end, Format 0 faded
"""

import math, os, re, shutil, subprocess, sys
from fractions import Fraction

import mido

from cut_model import Timeline, check_cut, cut_name, run

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
# Steady sound to listen to: chords held from the start to the end.
DRONES = [(0, 19, 1, 'drone', 100), (3, 48, 3, 'drone', 90), (4, 52, 2, 'drone', None)]


def make_song(path, fmt, parts, division, bpms, meters, seconds):
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
    for channel, program, track, part, volume in parts:
        note = lambda on, at, key: (at, 3 if on else 1, track, mido.Message(
            'note_on' if on else 'note_off', channel=channel, note=key, velocity=90 if on else 0))
        events.append((0, 2, track, mido.Message('program_change', channel=channel, program=program)))
        if volume:
            events.append((0, 2, track, mido.Message('control_change', channel=channel, control=7, value=volume)))
        if part == 'drone':
            events += [note(True, 0, key) for key in (48, 55)] + [note(False, end, key) for key in (48, 55)]
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


def write_songs(folder, names=SONGS, parts=PARTS):
    os.makedirs(folder)
    for name in names:
        for fmt in (0, 1):
            make_song(os.path.join(folder, 'f%d-%s.mid' % (fmt, name)), fmt, parts, *SONGS[name])
    return {name: (os.path.join(folder, name), mido.MidiFile(os.path.join(folder, name)))
            for name in sorted(os.listdir(folder))}


def check_one(quorvane, options, out, path, tick, source, timeline, seconds=None):
    """`cut` with `options` into `out`, checked by check_cut; and for a Format 0
    clip, that mido's clock puts its end within one tick after `seconds`."""
    os.makedirs(out)
    done = subprocess.run([quorvane, 'cut', path] + options + ['--dest', out], capture_output=True, text=True)
    if done.returncode:
        return 'exit %d: %s' % (done.returncode, done.stderr.strip())
    return check_clip(done.stdout.strip(), path, tick, source, timeline, seconds)


def check_clip(path, source_path, tick, source, timeline, seconds):
    problem = check_cut(path, source_path, tick, source, timeline)
    if not problem and seconds is not None and tick is not None and source.type == 0:
        length = mido.MidiFile(path).length
        one_tick = timeline.seconds(tick) - timeline.seconds(tick - 1)
        if not length - one_tick - 1e-9 < seconds <= length + 1e-9:
            problem = 'mido says the clip lasts %.6f s' % length
    return problem


def check_clips(quorvane, work):
    songs = write_songs(os.path.join(work, 'songs'))
    timelines = {name: Timeline(source) for name, (_, source) in songs.items()}
    checked, failures = 0, []
    for seconds in range(1, 60):
        out = os.path.join(work, 'clips-%d' % seconds)
        os.makedirs(out)
        run([quorvane, 'cut-all', os.path.join(work, 'songs'), '--seconds', str(seconds), '--dest', out])
        lines = []
        for number, (name, (path, source)) in enumerate(sorted(songs.items()), start=1):
            tick = timelines[name].cut_for_clip(seconds, source.type == 1)
            lines.append(timelines[name].log_line(number, name.upper(), source.type == 1, tick))
            problem = check_clip(os.path.join(out, cut_name(name.upper(), source.type == 1)), path, tick, source,
                                 timelines[name], seconds)
            checked += 1
            failures += ['%s, %d s: %s' % (name, seconds, problem)] if problem else []
        with open(os.path.join(work, 'songs', 'Quorvane.log'), 'rb') as log:
            got = log.read().decode('utf-8')
        if got != ''.join(lines):
            failures.append('%d s: log\n%s\nexpected\n%s' % (seconds, got, ''.join(lines)))
        shutil.rmtree(out)
    # Any positive time: decimals and minutes:seconds.
    for text, seconds in (('12.5', Fraction(25, 2)), ('1:30', 90)):
        for name, (path, source) in sorted(songs.items()):
            tick = timelines[name].cut_for_clip(seconds, source.type == 1)
            problem = check_one(quorvane, ['--seconds', text], os.path.join(work, 'cut-%s-%s' % (seconds, name)),
                                path, tick, source, timelines[name], seconds)
            checked += 1
            failures += ['%s, --seconds %s: %s' % (name, text, problem)] if problem else []
    # Slider steps between bar lines, one tempo, 4/4: the source's own bytes up to the fade or the bar line.
    for name, (path, source) in sorted(songs.items()):
        steps = timelines[name].steps
        for step in sorted({1, 2, 5, 13, 40, steps // 2, steps - 1, steps}) if name[3:-4] in PLAIN else []:
            if 1 <= step <= steps and step % 384:  # 384 steps are 125 bars of 4/4
                tick = timelines[name].cut_for_step(step, source.type == 1)
                problem = check_one(quorvane, ['--position', str(step)], os.path.join(work, 'step-%d-%s' % (
                    step, name)), path, tick, source, timelines[name])
                checked += 1
                failures += ['%s, step %d: %s' % (name, step, problem)] if problem else []
    return checked, failures


def sox_stat(wav, start, stop=None):
    """Maximum amplitude and RMS (dBFS) of a stretch of the audio."""
    done = subprocess.run(['sox', wav, '-n', 'trim', '%.4f' % start] + (['=%.4f' % stop] if stop else []) + ['stat'],
                          capture_output=True, text=True)
    value = lambda what: float(re.search(what + r'\s+amplitude:\s+(\S+)', done.stderr).group(1))
    return tuple(20 * math.log10(max(value(what), 1e-12)) for what in ('Maximum', 'RMS'))


def check_render(quorvane, work):
    fonts = ('default-GM', 'FluidR3_GM', 'TimGM6mb', 'FluidR3_GS')  # those `render` looks for
    if not any(os.path.isfile('/usr/share/sounds/sf2/%s.sf2' % font) for font in fonts) or not shutil.which('sox'):
        print('SKIP: no General MIDI SoundFont in /usr/share/sounds/sf2, or no sox')
        sys.exit(77)
    songs = write_songs(os.path.join(work, 'songs'), ['120bpm', 'ramp'], DRONES)
    checked, failures = 0, []
    for name, seconds in (('f1-120bpm.mid', 10), ('f1-ramp.mid', 25), ('f0-120bpm.mid', 15), ('f0-ramp.mid', 30)):
        path, source = songs[name]
        out = os.path.join(work, 'clip-%d-%s' % (seconds, name[:-4]))
        os.makedirs(out)
        clip = run([quorvane, 'cut', path, '--seconds', str(seconds), '--dest', out]).strip()
        wav = os.path.join(out, 'clip.wav')
        run([quorvane, 'render', clip, '--out', wav])
        timeline = Timeline(source)
        end = float(timeline.seconds(timeline.cut_for_clip(seconds, source.type == 1)))
        audio = float(subprocess.run(['soxi', '-D', wav], capture_output=True, text=True).stdout)
        peak = sox_stat(wav, end + 1)[0] if audio > end + 1.05 else -math.inf
        problems = ['peak %.1f dBFS after %.2f s' % (peak, end + 1)] if peak >= -60 else []
        problems += ['the audio lasts %.2f s' % audio] if audio < end - 0.05 else []
        if source.type == 0 and not problems:
            before, last = sox_stat(wav, 0.9 * end - 1, 0.9 * end)[1], sox_stat(wav, 0.95 * end, end)[1]
            problems += ['last 5%% at %.1f dB, before the fade %.1f dB' % (last, before)] * (last > before - 15)
        print('%s at %d s: clip %.2f s, audio %.2f s, peak after %.1f dBFS%s' % (
            name, seconds, end, audio, peak, '' if source.type or problems else ', RMS %.1f then %.1f dB' % (
                before, last)))
        checked += 1
        failures += ['%s, %d s: %s' % (name, seconds, ', '.join(problems))] if problems else []
    return checked, failures


def main(command, quorvane, work):
    shutil.rmtree(work, ignore_errors=True)
    checked, failures = {'clips': check_clips, 'render': check_render}[command](quorvane, work)
    for failure in failures:
        print('FAIL', failure)
    print('%d checked, %d failed' % (checked, len(failures)))
    return 1 if failures or checked == 0 else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
