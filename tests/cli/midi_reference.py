"""An independent model of what Quorvane's cuts must contain, built on mido.

Each function takes source files as mido reads them and returns the messages a
correct cut holds, so that the files our program writes can be compared
message by message with what an unrelated MIDI reader sees in them.
"""

import itertools
import math

import mido

MUSIC_TICKS_PER_QUARTER = 768


def first_tempo(mid):
    """The first Set Tempo in file order, scanning the tracks one by one."""
    for track in mid.tracks:
        for msg in track:
            if msg.type == 'set_tempo':
                return msg.tempo
    return 500000


def tick_ms(tempo, division):
    return tempo / (division * 1000.0)


def cut_format_one(mid, cut_time):
    """Tracks cut at the first bar line after the cut position."""
    division = mid.ticks_per_beat
    tempo = first_tempo(mid)
    cut_ms = cut_time / 768000.0 * tempo
    cut_ticks = math.floor(cut_ms / tick_ms(tempo, division))
    bar = 4.0 * division
    cut_tick = (math.floor(cut_ticks / bar) + 1) * bar
    last_channel = 0
    tracks = []
    for track in mid.tracks:
        kept, now, closed = [], 0, False
        for msg in track:
            now += msg.time
            if now >= cut_tick:
                kept.append(mido.Message('control_change', channel=last_channel, control=120, value=0, time=0))
                kept.append(mido.MetaMessage('end_of_track', time=0))
                closed = True
                break
            kept.append(msg)
            if hasattr(msg, 'channel'):
                last_channel = msg.channel
            if msg.type == 'end_of_track':
                closed = True
                break
        if not closed:  # a track without End of Track ends as if it had one
            kept.append(mido.MetaMessage('end_of_track', time=0))
        tracks.append(kept)
    return tracks


def cut_format_zero(mid, cut_time):
    """The single track cut at the exact time, the last tenth faded out."""
    division = mid.ticks_per_beat
    tempo = first_tempo(mid)
    ms_per_tick = tick_ms(tempo, division)
    fade_start = cut_time - cut_time / 10
    volume, fades, elapsed, out = [100] * 16, 0, 0.0, []
    for msg in mid.tracks[0]:
        elapsed += msg.time * ms_per_tick
        cut_ms = cut_time / 768000.0 * tempo
        fade_ms = fade_start / 768000.0 * tempo
        if elapsed >= cut_ms:
            for k in range(16):
                out.append(mido.Message('control_change', channel=k, control=120, value=0, time=k))
            out.append(mido.MetaMessage('end_of_track', time=0))
            return [out]
        if elapsed >= fade_ms:
            fades += 1
            channel = msg.channel if hasattr(msg, 'channel') else 0 if msg.type == 'sysex' else 15
            value = max(0, min(127, volume[channel] - fades))
            out.append(mido.Message('control_change', channel=channel, control=7, value=value, time=0))
        out.append(msg)
        if msg.type == 'control_change' and msg.control == 7:
            volume[msg.channel] = msg.value
        if msg.type == 'set_tempo':
            tempo = msg.tempo
            ms_per_tick = tick_ms(tempo, division)
        if msg.type == 'end_of_track':
            return [out]
    out.append(mido.MetaMessage('end_of_track', time=0))  # a track without one ends as if it had one
    return [out]


def expected_cut(mid, cut_time):
    return cut_format_one(mid, cut_time) if mid.type == 1 else cut_format_zero(mid, cut_time)


def song_length(mid):
    """Music ticks to the latest End of Track, rounded halves up; and the tempo
    (quarter notes per minute) in effect at a music time."""
    end, tempos = 0, []
    for track in mid.tracks:
        now = 0
        for msg in track:
            now += msg.time
            if msg.type == 'set_tempo':
                tempos.append((now, msg.tempo))
            if msg.type == 'end_of_track':
                break
        end = max(end, now)
    division = mid.ticks_per_beat
    length = (end * 2 * MUSIC_TICKS_PER_QUARTER + division) // (2 * division)
    tempos.sort(key=lambda point: point[0])

    def bpm_at(music_time):
        bpm = 120.0
        for tick, micros in tempos:
            if tick * MUSIC_TICKS_PER_QUARTER > music_time * division:
                break
            bpm = 60000000.0 / micros
        return bpm

    return length, bpm_at


def mm_ss(seconds):
    return '%02d:%02d' % (seconds // 60, seconds % 60)


def whole_seconds(length, bpm):
    return math.floor(length / 768.0 * 60.0 / bpm)


def compare_tracks(actual, expected):
    """None when equal, else a readable difference."""
    if len(actual) != len(expected):
        return 'track count %d, expected %d' % (len(actual), len(expected))
    for number, (got, want) in enumerate(zip(actual, expected)):
        for index, (g, w) in enumerate(itertools.zip_longest(got, want)):
            if g != w:
                return 'track %d, message %d: %r, expected %r' % (number, index, g, w)
    return None
