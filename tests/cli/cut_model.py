"""What a correct cut holds, worked out with mido (an independent MIDI
reader) and exact fractions of a second: a song's timeline, where a clip or a
slider step ends, and the check of a written cut against its source."""

import bisect, math, struct, subprocess
from fractions import Fraction

import mido

MUSIC_TICKS = 768  # music time per quarter note
STEP = 1000        # music ticks per step of the cut slider
SYSTEM = {'quarter_frame', 'songpos', 'song_select', 'tune_request', 'clock', 'start', 'continue', 'stop',
          'active_sensing'}  # 0xF1-0xFE: dropped from Format 1 cuts


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
    whole = math.floor(seconds)
    return '%02d:%02d' % (whole // 60, whole % 60)


class Timeline:
    """Tempo map through every Set Tempo of every track (the last in file
    order wins at one tick) and bar lines from every Time Signature."""

    def __init__(self, mid):
        self.division, self.end = mid.ticks_per_beat, 0
        tempos, meters = [], []
        for track in mid.tracks:
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

    def bar_line_at_or_after(self, tick):
        k = bisect.bisect_right([start for start, _ in self.meters], tick) - 1
        start, bar = self.meters[k]
        line = start + -(-(tick - start) // bar) * bar
        return min(line, self.meters[k + 1][0]) if k + 1 < len(self.meters) else line

    def cut_for_clip(self, seconds, format_one):
        """The clip's cut tick, or None when the song is kept whole."""
        tick = self.first_tick_at(Fraction(seconds))
        tick = self.bar_line_at_or_after(tick) if format_one else tick
        return tick if tick < self.end else None

    def cut_for_step(self, step, format_one):
        tick = STEP * step * self.division // MUSIC_TICKS
        tick = self.bar_line_at_or_after(tick) if format_one else tick
        return tick if tick < self.end else None

    def log_line(self, number, name, format_one, cut):
        return '%d. %s: %s\t%s-cut.mid:%s - Format: %d\r\n' % (
            number, name, mm_ss(self.length), name[:-4], mm_ss(self.length if cut is None else self.seconds(cut)),
            1 if format_one else 0)


def cut_name(listed, format_one):
    return listed[:-4] + '-CUT.mid' if format_one else (listed[:-4] + '-cut.mid').lower()


def raw_tracks(path):
    """Every track chunk's events as (tick, bytes with the delta-time)."""
    with open(path, 'rb') as f:
        data = f.read()

    def number(at):  # a variable-length quantity
        value = 0
        while True:
            value, at = value << 7 | data[at] & 0x7F, at + 1
            if data[at - 1] < 0x80:
                return value, at
    tracks, at = [], 8 + struct.unpack('>I', data[4:8])[0]
    while at + 8 <= len(data):
        end = at + 8 + struct.unpack('>I', data[at + 4:at + 8])[0]
        events, now, running, kind = [], 0, 0, None
        at = at + 8 if data[at:at + 4] == b'MTrk' else end
        while at < end and kind != 0x2F:
            start = at
            delta, at = number(at)
            now, status = now + delta, data[at]
            if status >= 0x80:  # else running status: the data bytes start here
                at, running = at + 1, status if status < 0xF0 else running
            else:
                status = running
            if status == 0xFF:
                kind, at = data[at], at + 1
            if status in (0xF0, 0xF7, 0xFF):
                size, at = number(at)
                at += size
            elif status < 0xF0:
                at += 1 if 0xC0 <= status < 0xE0 else 2
            events.append((now, data[start:at]))
        tracks += [events] if events else []
        at = end
    return tracks


def head(events, before):
    """The bytes of the events before tick `before`."""
    return b''.join(raw for tick, raw in events if tick < before)


def cc(channel, control, value):
    return mido.Message('control_change', channel=channel, control=control, value=value)


def timed(track):
    return [(now, msg.copy(time=0)) for now, msg in walk(track)]


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
    kept, used, msg = [], set(), None
    for now, msg in walk(track):
        if now >= cut:
            pedal = sounding(track, cut)[1]
            for ch in sorted(used):
                kept += [(cut, cc(ch, 64, 0))] * (ch in pedal) + [(cut, cc(ch, 120, 0))]
            return kept + [(cut, mido.MetaMessage('end_of_track'))]
        if msg.type not in SYSTEM:
            kept.append((now, msg.copy(time=0)))
            used |= {msg.channel} if hasattr(msg, 'channel') else set()
    ended = msg is not None and msg.type == 'end_of_track'  # else the chunk ended: as if it had one
    return kept if ended else kept + [(kept[-1][0] if kept else 0, mido.MetaMessage('end_of_track'))]


def first_difference(got, want):
    index = next(i for i in range(max(len(got), len(want))) if got[i:i + 1] != want[i:i + 1])
    return 'event %d: %r, expected %r' % (index, got[index:index + 1], want[index:index + 1])


def check_format_one(source, cut, path, source_path, tick):
    raw, got_raw = raw_tracks(source_path), raw_tracks(path)
    for number, (source_track, cut_track) in enumerate(zip(source.tracks, cut.tracks)):
        want, got = format_one_track(source_track, tick), timed(cut_track)
        if got != want:
            return 'track %d, %s' % (number, first_difference(got, want))
        if not any(msg.type in SYSTEM for msg in source_track) and \
                not head(got_raw[number], tick).startswith(head(raw[number], tick)):
            return 'track %d: the bytes before the bar line are not the source\'s' % number
    return None


def check_format_zero(source, cut, path, source_path, tick, timeline):
    """The fade's properties: the source's bytes before the fade span, every
    source event kept in order, every Channel Volume of the span on the
    falling line (within one step) from the channel's level to 0 at the cut,
    channels held through the span never more than two 100 ms steps above
    the line, pedals down released, then 16 All Sound Off and End of Track at
    the cut tick."""
    end = timeline.seconds(tick)
    start = end * Fraction(9, 10)
    span = timeline.first_tick_at(start)  # the first tick of the fade span
    # Events exactly at its start may be taken as before it: their fade value is the level itself.
    edge = span if timeline.seconds(span) == start else -1
    src = [(now, msg) for now, msg in timed(source.tracks[0]) if now < tick]
    got = timed(cut.tracks[0])
    tail = [(tick, cc(ch, 120, 0)) for ch in range(16)] + [(tick, mido.MetaMessage('end_of_track'))]
    if got[-17:] != tail:
        return 'ends with %r, expected 16 All Sound Off and End of Track at tick %d' % (got[-17:], tick)
    if not head(raw_tracks(path)[0], span).startswith(head(raw_tracks(source_path)[0], min(span, tick))):
        return 'the bytes before the fade span are not the source\'s'
    held, pedal = sounding(source.tracks[0], tick)
    held &= sounding(source.tracks[0], span)[0]
    level, volume, released, k, trail = [100] * 16, [None] * 16, set(), 0, {}
    slack = Fraction(1, 5) + Fraction(max(timeline.tempos), timeline.division * 1000000)  # and the longest tick

    def line(now, ch):
        return math.floor(level[ch] * (end - timeline.seconds(now)) / (end - start))

    def lags(ch, t):  # the held channel's volume since its last step, at time t
        value, was = trail[ch]
        return value - was * (end - t) / (end - start) > was * slack / (end - start) + 1

    for now, msg in got[:-17]:
        want = src[k] if k < len(src) else (None, None)
        trail = trail or {ch: (level[ch], level[ch]) for ch in held if now >= span}
        is_volume = msg.type == 'control_change' and msg.control == 7
        if is_volume and now >= span:
            if msg.channel in trail and lags(msg.channel, timeline.seconds(now)):
                return 'tick %d: channel %d, held, lagged behind the fade' % (now, msg.channel)
            song = want[0] == now and want[1].type == 'control_change' and want[1].control == 7 \
                and want[1].channel == msg.channel  # the song's own, written scaled
            if song:
                level[msg.channel], volume[msg.channel], k = want[1].value, None, k + 1
            if abs(msg.value - line(now, msg.channel)) > 1:
                return 'tick %d: %r, expected value %d' % (now, msg, line(now, msg.channel))
            if volume[msg.channel] is not None and msg.value > volume[msg.channel]:
                return 'tick %d: %r rises' % (now, msg)
            volume[msg.channel] = msg.value
            if msg.channel in trail:
                trail[msg.channel] = (msg.value, level[msg.channel])
        elif (now, msg) == want:
            k += 1
            if is_volume:
                level[msg.channel] = msg.value
            elif now >= span and now != edge:
                ch = getattr(msg, 'channel', 0 if msg.type == 'sysex' else 15)
                if volume[ch] is None or abs(volume[ch] - line(now, ch)) > 1:
                    return 'tick %d: %r plays at volume %s, expected %d' % (now, msg, volume[ch], line(now, ch))
        elif msg == cc(msg.channel, 64, 0) and msg.channel in pedal - released and k == len(src):
            released.add(msg.channel)
        else:
            return 'tick %d: unexpected %r, expected %r' % (now, msg, want)
    if k < len(src) or released != pedal:
        return 'source events copied: %d of %d; pedals released on %s of %s' % (k, len(src), released, pedal)
    trail = trail or {ch: (level[ch], level[ch]) for ch in held}
    lagging = [ch for ch in trail if lags(ch, end)]
    if lagging:
        return 'channels %s, held, lagged behind the fade at the cut' % lagging
    return None


def check_cut(path, source_path, tick, source=None, timeline=None):
    """None when `path` is the right cut of the song at `source_path` at
    `tick` (None: the song kept whole), else what is wrong with it."""
    source = source or mido.MidiFile(source_path)
    timeline = timeline or Timeline(source)
    if tick is None and source.type == 0:  # a copy, its track closed if its chunk ended without End of Track
        with open(path, 'rb') as got, open(source_path, 'rb') as want:
            got, data, events = got.read(), want.read(), raw_tracks(source_path)[0]
        body = b''.join(raw for _, raw in events)
        body += b'' if events and events[-1][1].endswith(b'\xff\x2f\x00') else b'\x00\xff\x2f\x00'
        want = data[:8 + struct.unpack('>I', data[4:8])[0]] + b'MTrk' + struct.pack('>I', len(body)) + body
        return None if got == want else 'not a copy of the whole song'
    cut = mido.MidiFile(path)
    if (cut.type, cut.ticks_per_beat, len(cut.tracks)) != (source.type, source.ticks_per_beat, len(source.tracks)):
        return 'type %d, division %d, %d tracks' % (cut.type, cut.ticks_per_beat, len(cut.tracks))
    length = timeline.length if tick is None else timeline.seconds(tick)
    if abs(cut.length - float(length)) > 1e-6:
        return 'lasts %.6f s by mido, expected %.6f s' % (cut.length, length)
    if source.type == 1:
        return check_format_one(source, cut, path, source_path, timeline.end + 1 if tick is None else tick)
    return check_format_zero(source, cut, path, source_path, tick, timeline)
