"""A clip from T sounds like the whole song from T: both rendered with FluidSynth, the whole song trimmed at T with sox,
their loudness compared in 50 ms windows after the first half second (reverb and chorus start from nothing in the
clip). The song sets programs, a pitch-bend range by RPN, a bend, the pedal, volume and expression before T and holds
notes across it. The same check must fail for a clip cut without the carried state, or it would prove nothing.

Usage: clip_sound_check.py QUORVANE"""
import array, math, os, statistics, subprocess, sys, tempfile, wave
import mido

from cut_model import timed_track

T = 6.0          # seconds: where the clip starts
WINDOW = 0.05    # seconds
SKIP = 0.5       # seconds at the clip's start not compared
TEMPO = 500000   # 120 bpm
TPQ = 480


def ticks(seconds):
    return round(seconds * TPQ * 1e6 / TEMPO)


def song(path):
    """Format 1: a tempo track and three instruments, each set up before T (program, full volume, a pitch-bend range
    of 12 semitones by RPN, a bend of a tone, the pedal down, expression falling), holding a note across T and then
    playing a tune. Sustained instruments and a tune struck alike in both renders keep the windows comparable."""
    conductor = mido.MidiTrack([mido.MetaMessage('set_tempo', tempo=TEMPO, time=0),
                                mido.MetaMessage('time_signature', numerator=4, denominator=4, time=0)])
    tracks = [conductor]
    for channel, (program, key) in enumerate(((71, 60), (32, 36), (56, 72))):  # clarinet, bass, trumpet
        def control(at, number, value):
            return at, mido.Message('control_change', channel=channel, control=number, value=value)

        events = [(0, mido.Message('program_change', channel=channel, program=program)), control(0, 7, 127),
                  control(0, 101, 0), control(0, 100, 0), control(0, 6, 12),
                  (1.0, mido.Message('pitchwheel', channel=channel, pitch=1365)), control(1.5, 64, 127)]
        events += [control(2 + i * 0.25, 11, 127 - 2 * i) for i in range(12)]
        events += [(4.0, mido.Message('note_on', channel=channel, note=key, velocity=127)),
                   (7.0, mido.Message('note_off', channel=channel, note=key)), control(7.0, 64, 0)]
        for i in range(12):
            note = key + (0, 2, 4, 5, 7, 9)[i % 6]
            events += [(7.0 + i * 0.5, mido.Message('note_on', channel=channel, note=note, velocity=127)),
                       (7.45 + i * 0.5, mido.Message('note_off', channel=channel, note=note))]
        tracks.append(timed_track(events, ticks))
    mido.MidiFile(type=1, ticks_per_beat=TPQ, tracks=tracks).save(path)


def without_state(source, path):
    """The clip a trimmer without carried state makes: every event before T dropped, the rest moved to 0."""
    out = mido.MidiFile(type=1, ticks_per_beat=TPQ)
    for track in mido.MidiFile(source).tracks:
        kept, now, last = mido.MidiTrack(), 0, ticks(T)
        for message in track:
            now += message.time
            if now >= ticks(T) or (message.is_meta and message.type in ('set_tempo', 'time_signature')):
                at = max(now, ticks(T))
                kept.append(message.copy(time=at - last if at > last else 0))
                last = max(last, at)
        out.tracks.append(kept)
    out.save(path)


def loudness(path):
    """dBFS of each 50 ms window of the mono mix."""
    with wave.open(path) as audio:
        rate, channels = audio.getframerate(), audio.getnchannels()
        samples = array.array('h', audio.readframes(audio.getnframes()))
    size = int(rate * WINDOW) * channels
    levels = []
    for start in range(0, len(samples) - size + 1, size):
        window = samples[start:start + size]
        power = sum(s * s for s in window) / len(window) / 32768.0 ** 2
        levels.append(10 * math.log10(power) if power > 0 else -120.0)
    return levels


def agreement(clip, whole):
    """The median difference in dB and the share of loud windows within 1.5 dB, after the first half second."""
    first = int(SKIP / WINDOW)
    pairs = list(zip(clip, whole))[first:]
    loud = [(a, b) for a, b in pairs if max(a, b) > -40]
    median = statistics.median(abs(a - b) for a, b in loud)
    share = sum(abs(a - b) <= 1.5 for a, b in loud) / len(loud)
    return median, share, len(loud)


def main(program):
    with tempfile.TemporaryDirectory(prefix='quorvane-clip-sound-') as folder:
        def at(name):
            return os.path.join(folder, name)

        def run(*args):
            subprocess.run([*args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)

        song(at('song.mid'))
        run(program, 'render', at('song.mid'), '--out', at('whole.wav'))
        run('sox', at('whole.wav'), at('trimmed.wav'), 'trim', str(T))
        run(program, 'clip', at('song.mid'), '--from', str(T), '--end', 'exact', '--out', at('clip.mid'))
        run(program, 'render', at('clip.mid'), '--out', at('clip.wav'))
        without_state(at('song.mid'), at('bare.mid'))
        run(program, 'render', at('bare.mid'), '--out', at('bare.wav'))
        whole = loudness(at('trimmed.wav'))
        median, share, windows = agreement(loudness(at('clip.wav')), whole)
        bare_median, bare_share, _ = agreement(loudness(at('bare.wav')), whole)
        print('clip: median difference %.2f dB, %.0f%% of %d loud windows within 1.5 dB' % (median, share * 100, windows))
        print('without the carried state: median %.2f dB, %.0f%% within 1.5 dB' % (bare_median, bare_share * 100))
        ok = median <= 0.5 and share >= 0.9 and not (bare_median <= 0.5 and bare_share >= 0.9)
        print('PASS' if ok else 'FAIL')
        return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
