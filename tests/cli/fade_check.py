"""Fades of chosen length, read back by mido: in each clip, for Format 0 and 1 and both curves, each channel's Channel
Volume in the track where it plays rises from 0 to the song's level over the fade-in and falls from it to 0 over the
fade-out, monotonically, at least 20 times a second, and the song's own Channel Volume inside a ramp is turned down
with it, not lost. `cut-all --from --fade-out` clips every song so too.

Usage: fade_check.py QUORVANE WORKDIR"""
import os, shutil, subprocess, sys
import mido

from cut_model import timed_track

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
    tracks = [timed_track([(at, m) for at, n, m in events if kind == 0 or n == track], ticks)
              for track in range(1 if kind == 0 else 3)]
    mido.MidiFile(type=kind, ticks_per_beat=TPQ, tracks=tracks).save(path)


def level(channel, seconds):
    return [v for at, v in LEVELS if at <= seconds][-1] if channel == 0 else 100


def gain(curve, share):
    share = min(max(share, 0.0), 1.0)
    return share if curve == 'linear' else 10 ** (-3 * (1 - share)) if share > 0 else 0.0


def check_clip(failures, what, path, curve, fade_in=True):
    """Every Channel Volume of the clip against the song's level times the ramps' gains at its time, rounded down
    (a step on the tick of the song's own change may still be at the level before it)."""
    length, plays, found = END - START, {}, {0: [], 1: []}
    for number, track in enumerate(mido.MidiFile(path).tracks):
        tick = 0
        for message in track:
            tick += message.time
            if message.type == 'note_on' and message.velocity:
                plays[message.channel] = number
            if message.type == 'control_change' and message.control == 7:
                found[message.channel].append((tick / ticks(1), message.value, number))
    for channel, volumes in found.items():
        name = f'{what} ch{channel}'
        for at, value, track in volumes:
            heard = (gain(curve, at / FADE) if fade_in else 1) * gain(curve, (length - at) / FADE)
            want = {int(level(channel, START + at - shift) * heard + 1e-6) for shift in (0, 1e-9)}
            if min(abs(value - w) for w in want) > 1:
                failures.append(f'{name}: {value} at {at:.3f} s, not {sorted(want)}')
            # Steps go where the channel plays; the tempo track holds the song's own changes (and the one carried).
            if track != plays.get(channel) and (track, min(abs(at - t + START) for t, _ in LEVELS + [(START, 0)])) > (0, 1e-9):
                failures.append(f'{name}: a step in track {track}, where the channel does not play')
        # At least twenty steps a second in each ramp, while the value moves by more than rounding.
        for start, end in ([(0, FADE)] if fade_in else []) + [(length - FADE, length)]:
            times = sorted(at for at, value, _ in volumes if start <= at <= end and value >= 10)
            if len(times) < 10 or max(b - a for a, b in zip(times, times[1:])) > 0.05 + 1.5 / ticks(1):
                failures.append(f'{name}: steps further apart than 50 ms in {start}-{end} s: {times}')
        ends = ([(FADE, level(channel, START + FADE))] if fade_in else []) + [(length, 0)]
        for at, want in ends:
            if [value for time, value, _ in volumes if time <= at + 1e-9][-1:] != [want]:
                failures.append(f'{name}: not at {want} by {at} s')
    # The song's own changes inside the ramps are kept, turned down.
    for at, _ in LEVELS[1 if fade_in else 2:]:
        if not any(abs(time - (at - START)) < 1e-9 for time, _, _ in found[0]):
            failures.append(f'{what}: the song\'s change at {at} s is lost')


def main(quorvane, work):
    shutil.rmtree(work, ignore_errors=True)
    folder, failures = os.path.join(work, 'batch'), []
    os.makedirs(folder)
    clip = lambda source, out, *options: subprocess.run([quorvane, 'clip', source, '--from', str(START), '--to',
                                                         str(END), *options, '--out', out], check=True,
                                                        capture_output=True)
    for kind in (0, 1):
        source = os.path.join(folder, f'song{kind}.mid')
        song(source, kind)
        for curve in ('linear', 'log'):
            out = os.path.join(work, f'clip{kind}{curve}.mid')
            clip(source, out, '--fade-in', str(FADE), '--fade-out', str(FADE), '--fade-curve', curve)
            check_clip(failures, f'format {kind} {curve}', out, curve)
        # A fade of 0 s is none: the song's own volumes alone, even in the last tenth of a Format 0 clip.
        clip(source, os.path.join(work, 'bare.mid'), '--fade-out', '0')
        bare = [m.value for t in mido.MidiFile(os.path.join(work, 'bare.mid')).tracks for m in t
                if m.type == 'control_change' and m.control == 7]
        if bare != [v for _, v in LEVELS]:
            failures.append(f'format {kind} without a fade: volumes {bare}')
    # cut-all: every song clipped from START for END - START seconds, with the fade-out.
    subprocess.run([quorvane, 'cut-all', folder, '--seconds', str(END - START), '--from', str(START), '--fade-out',
                    str(FADE), '--jobs', '1'], check=True, capture_output=True)
    cuts = [name for name in sorted(os.listdir(folder)) if name.lower().endswith('-cut.mid')]
    for name in cuts:
        check_clip(failures, f'cut-all {name}', os.path.join(folder, name), 'linear', False)
    if len(cuts) != 2:
        failures.append(f'cut-all wrote {os.listdir(folder)}')
    print('\n'.join(failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
