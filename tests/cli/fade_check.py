"""Fades of chosen length, read back by mido: in each clip, for Format 0 and 1 and both curves, each channel's Channel
Volume in the track where it plays rises from 0 to the song's level over the fade-in and falls from it to 0 over the
fade-out, monotonically, at least 20 times a second, and the song's own Channel Volume inside a ramp is turned down
with it, not lost. `cut-all --from --fade-out` clips every song so too.

Usage: fade_check.py QUORVANE WORKDIR"""
import os, shutil, subprocess, sys
import mido

TPQ, TEMPO = 480, 500000  # 120 bpm: 960 ticks a second
START, END, FADE = 4.0, 12.0, 2.0  # the clip, and each fade's length (seconds)
# Channel 0 (its volume set in the tempo track of Format 1) starts at 100, rises to 110 inside the fade-in and
# falls to 70 inside the fade-out; channel 1 keeps General MIDI's 100.
LEVELS = [(0.0, 100), (5.0, 110), (11.0, 70)]


def ticks(seconds):
    return round(seconds * TPQ * 1e6 / TEMPO)


def song(path, kind):
    events = [(0, 0, mido.MetaMessage('set_tempo', tempo=TEMPO))]
    events += [(at, 0, mido.Message('control_change', channel=0, control=7, value=v)) for at, v in LEVELS]
    for k in range(80):
        for channel in (0, 1):
            events += [(k * 0.25, 1 + channel, mido.Message('note_on', channel=channel, note=60 + channel, velocity=90)),
                       (k * 0.25 + 0.2, 1 + channel, mido.Message('note_off', channel=channel, note=60 + channel))]
    tracks = [mido.MidiTrack() for _ in range(1 if kind == 0 else 3)]
    now = [0] * len(tracks)
    for at, track, message in sorted(events, key=lambda event: event[0]):
        track = 0 if kind == 0 else track
        tracks[track].append(message.copy(time=ticks(at) - now[track]))
        now[track] = ticks(at)
    mido.MidiFile(type=kind, ticks_per_beat=TPQ, tracks=tracks).save(path)


def volumes(path):
    """By channel: the track its notes are in and its Channel Volume there as (tick, value); and the channels that have
    Channel Volume elsewhere."""
    plays, found = {}, {}
    for number, track in enumerate(mido.MidiFile(path).tracks):
        tick = 0
        for message in track:
            tick += message.time
            if message.type == 'note_on' and message.velocity:
                plays[message.channel] = number
            if message.type == 'control_change' and message.control == 7:
                found.setdefault((number, message.channel), []).append((tick, message.value))
    return {channel: found.get((number, channel), []) for channel, number in plays.items()}, plays, found


def level(channel, seconds):
    return [v for at, v in LEVELS if at <= seconds][-1] if channel == 0 else 100


def check_ramp(failures, what, steps, rising, first, last, before=()):
    """`steps` in the ramp, after the value the channel has where it starts, if any (`before`)."""
    if not steps:
        failures.append(f'{what}: no Channel Volume')
        return
    values = [v for _, v in list(before) + steps]
    if values != sorted(values, reverse=not rising):
        failures.append(f'{what}: not {"rising" if rising else "falling"}: {values}')
    if (values[0], values[-1]) != (first, last):
        failures.append(f'{what}: from {values[0]} to {values[-1]}, not {first} to {last}')
    # Steps 50 ms apart at most, where the value moves by more than rounding.
    gaps = [b[0] - a[0] for a, b in zip(steps, steps[1:]) if min(a[1], b[1]) >= 10]
    if max(gaps, default=0) > ticks(0.05) + 1:
        failures.append(f'{what}: a step {max(gaps)} ticks after the one before')


def check_clip(failures, what, path, fade_in=True):
    by_channel, plays, found = volumes(path)
    length = ticks(END - START)
    for channel in (0, 1):
        steps = by_channel.get(channel, [])
        if fade_in:
            check_ramp(failures, f'{what} ch{channel} in', [s for s in steps if s[0] <= ticks(FADE)], True, 0,
                       level(channel, START + FADE))
        # From the value the channel has where the fade-out starts.
        start = length - ticks(FADE)
        check_ramp(failures, f'{what} ch{channel} out', [s for s in steps if s[0] > start], False,
                   level(channel, END - FADE), 0, [s for s in steps if s[0] <= start][-1:])
        elsewhere = [number for number, c in found if c == channel and number not in (plays[channel], 0)]
        if elsewhere:
            failures.append(f'{what} ch{channel}: steps in tracks {elsewhere}, where it does not play')
    # The song's own changes, turned down by the ramp at their time (the tempo track's in Format 1).
    own = dict(found.get((0, 0), []))
    for at, value in LEVELS[1 if fade_in else 2:]:
        tick = ticks(at - START)
        gain = (at - START) / FADE if at < START + FADE else (END - at) / FADE
        heard = own.get(tick, dict(by_channel[0]).get(tick))
        if heard is None or not 0 < heard < value:
            failures.append(f'{what}: the song\'s {value} at {at} s is {heard}, not turned down')
        elif 'linear' in what and abs(heard - value * gain) > 1:
            failures.append(f'{what}: the song\'s {value} at {at} s is {heard}, not {value * gain:.1f}')


def main(quorvane, work):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    failures = []
    for kind in (0, 1):
        source = os.path.join(work, f'song{kind}.mid')
        song(source, kind)
        for curve in ('linear', 'log'):
            what = f'format {kind} {curve}'
            out = os.path.join(work, f'clip{kind}{curve}.mid')
            subprocess.run([quorvane, 'clip', source, '--from', str(START), '--to', str(END), '--fade-in', str(FADE),
                            '--fade-out', str(FADE), '--fade-curve', curve, '--out', out], check=True,
                           capture_output=True)
            check_clip(failures, what, out)
    # cut-all: every song clipped from START for END - START seconds, with the fade-out.
    folder = os.path.join(work, 'batch')
    os.makedirs(folder)
    for kind in (0, 1):
        shutil.copy(os.path.join(work, f'song{kind}.mid'), folder)
    subprocess.run([quorvane, 'cut-all', folder, '--seconds', str(END - START), '--from', str(START), '--fade-out',
                    str(FADE), '--jobs', '1'], check=True, capture_output=True)
    for name in sorted(os.listdir(folder)):
        if name.lower().endswith('-cut.mid'):
            check_clip(failures, f'cut-all {name} linear', os.path.join(folder, name), False)
    if len([name for name in os.listdir(folder) if name.lower().endswith('-cut.mid')]) != 2:
        failures.append(f'cut-all wrote {os.listdir(folder)}')
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
