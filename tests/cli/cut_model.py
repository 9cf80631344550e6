"""What a correct cut holds, worked out with mido (an independent MIDI
reader) and exact fractions of a second: a song's timeline, where a clip or a
slider step ends, the check of a written cut against its source, and the
runs of `quorvane` that the checks share."""

import bisect, math, os, subprocess, unicodedata
from fractions import Fraction

import mido

MUSIC_TICKS = 768  # music time per quarter note
STEP = 1000        # music ticks per step of the cut slider


def walk(track):
    """(tick, message) up to and with End of Track."""
    now = 0
    for msg in track:
        now += msg.time
        yield now, msg
        if msg.type == 'end_of_track':
            return


def run(args):
    done = subprocess.run(args, capture_output=True, text=True)
    if done.returncode:
        raise AssertionError('%s exited %d: %s' % (' '.join(args), done.returncode, done.stderr))
    return done.stdout


def mm_ss(seconds):
    return '%02d:%02d' % divmod(math.floor(seconds), 60)


class Song:
    """A song read by mido, with its tempo map through every Set Tempo of
    every track (the last in file order wins at one tick) and its bar lines
    from every Time Signature."""

    def __init__(self, path):
        self.path, self.source = path, mido.MidiFile(path)
        self.one, self.division, self.end = self.source.type == 1, self.source.ticks_per_beat, 0
        tempos, meters = [], []
        for track in self.source.tracks:
            for now, msg in walk(track):
                self.end = max(self.end, now)
                if msg.type == 'set_tempo':
                    tempos.append((now, msg.tempo))
                elif msg.type == 'time_signature' and msg.numerator * 4 * self.division >= msg.denominator:
                    meters.append((now, msg.numerator * 4 * self.division // msg.denominator))
        self.ticks, self.starts, self.tempos = [0], [Fraction(0)], [500000]
        for tick, tempo in sorted(tempos, key=lambda change: change[0]):  # stable: file order within a tick
            if tick != self.ticks[-1]:
                self.starts.append(self.seconds(tick))
                self.ticks.append(tick)
                self.tempos.append(tempo)
            self.tempos[-1] = tempo
        self.meters = [(0, 4 * self.division)]
        for tick, bar in sorted(meters, key=lambda change: change[0]):
            self.meters[-1 if self.meters[-1][0] == tick else len(self.meters):] = [(tick, bar)]
        self.length = self.seconds(self.end)
        self.music_length = (self.end * 2 * MUSIC_TICKS + self.division) // (2 * self.division)
        self.steps = max(1, -(-self.music_length // STEP))

    def seconds(self, tick):
        k = bisect.bisect_right(self.ticks, tick) - 1
        return self.starts[k] + Fraction((tick - self.ticks[k]) * self.tempos[k], self.division * 1000000)

    def first_tick_at(self, seconds):
        k = bisect.bisect_right(self.starts, seconds) - 1
        return self.ticks[k] + math.ceil((seconds - self.starts[k]) * self.division * 1000000 / self.tempos[k])

    def cut_tick(self, tick):
        """Where a cut asked at `tick` ends: Format 1 on the first bar line at
        or after it; None when that keeps the whole song."""
        if self.one:
            k = bisect.bisect_right([start for start, _ in self.meters], tick) - 1
            start, bar = self.meters[k]
            tick = start + -(-(tick - start) // bar) * bar
            tick = min(tick, self.meters[k + 1][0]) if k + 1 < len(self.meters) else tick
        return tick if tick < self.end else None

    def cut_for_clip(self, seconds):
        return self.cut_tick(self.first_tick_at(Fraction(seconds)))

    def cut_for_step(self, step):
        return self.cut_tick(STEP * step * self.division // MUSIC_TICKS)

    def log_line(self, number, name, cut):
        return '%d. %s: %s\t%s-cut.mid:%s - Format: %d\r\n' % (
            number, name, mm_ss(self.length), name[:-4], mm_ss(self.length if cut is None else self.seconds(cut)),
            self.one)


def timed_track(events, tick_of):
    """A track of (time, message) pairs in time order (stable), `tick_of` making each time a tick."""
    track, now = mido.MidiTrack(), 0
    for at, message in sorted(events, key=lambda event: event[0]):
        track.append(message.copy(time=tick_of(at) - now))
        now = tick_of(at)
    return track


def cc(channel, control, value):
    return mido.Message('control_change', channel=channel, control=control, value=value)


def plain(events):
    """(tick, bytes) of (tick, message) pairs: equal whatever the messages' own times."""
    return [(now, msg.bytes()) for now, msg in events]


def sounding(track, cut):
    """The channels with a note held, and those with the sustain pedal down,
    just before tick `cut`."""
    notes, pedal = {}, {}
    for now, msg in walk(track):
        if now >= cut:
            break
        if msg.type in ('note_on', 'note_off'):
            held = notes.setdefault(msg.channel, set())
            (held.add if msg.type == 'note_on' and msg.velocity else held.discard)(msg.note)
        elif msg.type == 'control_change' and msg.control == 64:
            pedal[msg.channel] = msg.value >= 64
    return {ch for ch, held in notes.items() if held}, {ch for ch, down in pedal.items() if down}


def format_one_track(track, cut):
    """(tick, message) of one track cut at the bar line `cut`: the events
    before it, then for each channel used (pedal released) All Sound Off."""
    kept, used = [], set()
    for now, msg in walk(track):
        if now >= cut:
            pedal = sounding(track, cut)[1]
            for ch in sorted(used):
                kept += [(cut, cc(ch, 64, 0))] * (ch in pedal) + [(cut, cc(ch, 120, 0))]
            return kept + [(cut, mido.MetaMessage('end_of_track'))]
        kept.append((now, msg))
        used |= {msg.channel} if hasattr(msg, 'channel') else set()
    return kept


def check_format_one(song, cut, tick):
    for number, (source_track, cut_track) in enumerate(zip(song.source.tracks, cut.tracks)):
        want, got = plain(format_one_track(source_track, tick)), plain(walk(cut_track))
        if got != want:
            index = next(i for i in range(max(len(got), len(want))) if got[i:i + 1] != want[i:i + 1])
            return 'track %d, event %d: %r, expected %r' % (number, index, got[index:index + 1], want[index:index + 1])
    return None


def check_format_zero(song, cut, tick):
    """The fade's properties: every source event kept in order, every Channel Volume of the span on the
    falling line (within one step) from the channel's level to 0 at the cut,
    channels held through the span never more than two 100 ms steps above
    the line, pedals down released, then 16 All Sound Off and End of Track at
    the cut tick."""
    end = song.seconds(tick)
    start = end * Fraction(9, 10)
    span = song.first_tick_at(start)  # the first tick of the fade span
    # Events exactly at its start may be taken as before it: their fade value is the level itself.
    edge = span if song.seconds(span) == start else -1
    src = [(now, msg) for now, msg in walk(song.source.tracks[0]) if now < tick]
    got = list(walk(cut.tracks[0]))
    tail = [(tick, cc(ch, 120, 0)) for ch in range(16)] + [(tick, mido.MetaMessage('end_of_track'))]
    if plain(got[-17:]) != plain(tail):
        return 'ends with %r, expected 16 All Sound Off and End of Track at tick %d' % (got[-17:], tick)
    held, pedal = sounding(song.source.tracks[0], tick)
    held &= sounding(song.source.tracks[0], span)[0]
    level, volume, released, k, trail = [100] * 16, [None] * 16, set(), 0, {}
    slack = Fraction(1, 5) + Fraction(max(song.tempos), song.division * 1000000)  # and the longest tick

    def line(now, ch):
        return math.floor(level[ch] * (end - song.seconds(now)) / (end - start))

    def lags(ch, t):  # the held channel's volume since its last step, at time t
        value, was = trail[ch]
        return value - was * (end - t) / (end - start) > was * slack / (end - start) + 1

    for now, msg in got[:-17]:
        want = src[k] if k < len(src) else (None, None)
        trail = trail or {ch: (level[ch], level[ch]) for ch in held if now >= span}
        is_control = msg.type == 'control_change'
        is_volume = is_control and msg.control == 7
        if is_volume and now >= span:
            if msg.channel in trail and lags(msg.channel, song.seconds(now)):
                return 'tick %d: channel %d, held, lagged behind the fade' % (now, msg.channel)
            if want[0] == now and want[1].type == 'control_change' and want[1].control == 7 \
                    and want[1].channel == msg.channel:  # the song's own, written scaled
                level[msg.channel], volume[msg.channel], k = want[1].value, None, k + 1
            if abs(msg.value - line(now, msg.channel)) > 1:
                return 'tick %d: %r, expected value %d' % (now, msg, line(now, msg.channel))
            if volume[msg.channel] is not None and msg.value > volume[msg.channel]:
                return 'tick %d: %r rises' % (now, msg)
            volume[msg.channel] = msg.value
            if msg.channel in trail:
                trail[msg.channel] = (msg.value, level[msg.channel])
        elif now == want[0] and msg.bytes() == want[1].bytes():
            k += 1
            if is_volume:
                level[msg.channel] = msg.value
            elif now >= span and now != edge:
                ch = getattr(msg, 'channel', 0 if msg.type == 'sysex' else 15)
                if volume[ch] is None or abs(volume[ch] - line(now, ch)) > 1:
                    return 'tick %d: %r plays at volume %s, expected %d' % (now, msg, volume[ch], line(now, ch))
        elif msg.bytes()[1:] == [64, 0] and is_control and msg.channel in pedal - released and k == len(src):
            released.add(msg.channel)
        else:
            return 'tick %d: unexpected %r, expected %r' % (now, msg, want)
    if k < len(src) or released != pedal:
        return 'source events copied: %d of %d; pedals released on %s of %s' % (k, len(src), released, pedal)
    trail = trail or {ch: (level[ch], level[ch]) for ch in held}
    lagging = [ch for ch in trail if lags(ch, end)]
    return 'channels %s, held, lagged behind the fade at the cut' % lagging if lagging else None


def check_cut(path, song, tick, seconds=None):
    """None when `path` is the right cut of `song` at `tick` (None: the song
    kept whole), else what is wrong with it; with `seconds`, a Format 0 clip
    must also end within one tick after them by mido's clock."""
    cut = mido.MidiFile(path)
    if (cut.type, cut.ticks_per_beat, len(cut.tracks)) != (song.source.type, song.division, len(song.source.tracks)):
        return 'type %d, division %d, %d tracks' % (cut.type, cut.ticks_per_beat, len(cut.tracks))
    if tick is None and not song.one:  # a copy
        return None if plain(walk(cut.tracks[0])) == plain(walk(song.source.tracks[0])) else 'not a copy of the song'

    length = song.length if tick is None else song.seconds(tick)
    if abs(cut.length - float(length)) > 1e-6:
        return 'lasts %.6f s by mido, expected %.6f s' % (cut.length, length)
    if not song.one and seconds is not None and not song.seconds(tick - 1) < seconds <= length:
        return 'a clip of %s s lasts %.6f s' % (seconds, length)
    if song.one:
        return check_format_one(song, cut, song.end + 1 if tick is None else tick)
    return check_format_zero(song, cut, tick)


def cut_one(quorvane, song, options, out, tick):
    """`quorvane cut` of `song` with `options` into the new folder `out`,
    which must then hold the one file it names, checked by check_cut."""
    os.makedirs(out)
    done = subprocess.run([quorvane, 'cut', song.path] + options + ['--dest', out], capture_output=True, text=True)
    written = done.stdout.strip()
    if done.returncode or os.listdir(out) != [os.path.basename(written)]:
        return 'exit %d, folder holds %s: %s' % (done.returncode, os.listdir(out), done.stderr.strip())
    return check_cut(written, song, tick)


def as_read(name):
    """The order of a listing: case and diacritics aside, then code points."""
    bare = ''.join(c for c in unicodedata.normalize('NFD', name) if not unicodedata.combining(c))
    return bare.lower(), name


def cut_all(quorvane, folder, songs, seconds, out):
    """`quorvane cut-all` of `folder`, whose files are `songs` by their names
    on disk, into the new folder `out`: the log's bytes and every clip."""
    os.makedirs(out)
    run([quorvane, 'cut-all', folder, '--seconds', str(seconds), '--dest', out])
    lines, failures = [], []
    for number, (upper, disk) in enumerate(((name.upper(), name) for name in sorted(songs, key=as_read)), start=1):
        song = songs[disk]
        tick = song.cut_for_clip(seconds)
        lines.append(song.log_line(number, upper, tick))
        name = upper[:-4] + '-CUT.mid' if song.one else (upper[:-4] + '-cut.mid').lower()
        problem = check_cut(os.path.join(out, name), song, tick, seconds)
        failures += ['%s, %s s: %s' % (disk, seconds, problem)] if problem else []
    with open(os.path.join(folder, 'Quorvane.log'), 'rb') as log:
        got = log.read().decode('utf-8')
    failures += ['%s s: log\n%s\nexpected\n%s' % (seconds, got, ''.join(lines))] if got != ''.join(lines) else []
    return failures + ['%s s: the destination holds %s' % (seconds, sorted(os.listdir(out)))] * (
        len(os.listdir(out)) != len(songs))
