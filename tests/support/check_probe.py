#!/usr/bin/python3
"""Checks the files written by quorvane-support-probe against literal
expectations: exact bytes where the builder must be byte-exact, and mido's
reading of events and generated songs.

    check_probe.py PROBE_DIR
"""

import os
import sys

import mido

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_with_mido import check_song  # noqa: E402

failures = []


def expect(condition, message):
    if not condition:
        failures.append(message)


def be32(n):
    return n.to_bytes(4, "big")


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def check_events(path):
    data = open(path, "rb").read()
    header = b"MThd" + be32(8) + bytes([0, 1, 0, 2, 0, 96, 0xAB, 0xCD])
    expect(data.startswith(header), f"events: header bytes {data[:16].hex()}")

    conductor = (b"\x00\xff\x03\x05Probe"
                 + b"\x00\xff\x51\x03\x07\xa1\x20"
                 + b"\x00\xff\x58\x04\x03\x02\x18\x08"
                 + b"\x80\x00\xff\x01\x82\x2c" + b"x" * 300
                 + b"\x81\x80\x80\x00\xff\x51\x03\x0f\x42\x40"
                 + b"\x00\xff\x2f\x00")
    sysex = bytes(i % 128 for i in range(200))
    notes = (b"\x00\x90\x3c\x64"
             + b"\x7f\x40\x65"              # running status, 1-byte delta
             + b"\x81\x00\x43\x66"          # 128: 2-byte delta
             + b"\xff\x7f\x80\x3c\x40"      # 16383
             + b"\x81\x80\x00\x40\x40"      # 16384, running status
             + b"\xff\xff\x7f\xb1\x0a\x63"  # 2097151
             + b"\x81\x80\x80\x00\x07\x62"  # 2097152, running status
             + b"\xff\xff\xff\x7f\xc2\x05"  # 0x0FFFFFFF
             + b"\x00\xe2\x00\x40"
             + b"\x00\x7f\x7f"
             + b"\x00\xf0\x81\x49" + sysex + b"\xf7"
             + b"\x00\xf7\x03\x01\x02\xf7"
             + b"\x00\x91\x3e\x5a"
             + b"\x05\x3e\x00"
             + b"\x00\xff\x09\x0cProbe Device"
             + b"\x00\x91\x3f\x50"          # status again after a meta event
             + b"\x00\xf2\x10\x20"
             + b"\x00\x80\x43\x00"          # status again after raw bytes
             + b"\x00\xff\x2f\x00")
    body = b"MTrk" + be32(len(conductor)) + conductor + b"MTrk" + be32(len(notes)) + notes
    expect(data == header + body, "events: bytes differ from the literal expectation")

    midi = mido.MidiFile(path)
    expect((midi.type, len(midi.tracks), midi.ticks_per_beat) == (1, 2, 96), "events: mido header")
    got0 = [m.dict() for m in midi.tracks[0]]
    want0 = [
        dict(type="track_name", name="Probe", time=0),
        dict(type="set_tempo", tempo=500000, time=0),
        dict(type="time_signature", numerator=3, denominator=4, clocks_per_click=24,
             notated_32nd_notes_per_beat=8, time=0),
        dict(type="text", text="x" * 300, time=0),
        dict(type="set_tempo", tempo=1000000, time=2097152),
        dict(type="end_of_track", time=0),
    ]
    expect(got0 == want0, f"events: mido tempo track {got0}")
    got1 = [m.dict() for m in midi.tracks[1]]
    want1 = [
        dict(type="note_on", channel=0, note=60, velocity=100, time=0),
        dict(type="note_on", channel=0, note=64, velocity=101, time=127),
        dict(type="note_on", channel=0, note=67, velocity=102, time=128),
        dict(type="note_off", channel=0, note=60, velocity=64, time=16383),
        dict(type="note_off", channel=0, note=64, velocity=64, time=16384),
        dict(type="control_change", channel=1, control=10, value=99, time=2097151),
        dict(type="control_change", channel=1, control=7, value=98, time=2097152),
        dict(type="program_change", channel=2, program=5, time=0x0FFFFFFF),
        dict(type="pitchwheel", channel=2, pitch=0, time=0),
        dict(type="pitchwheel", channel=2, pitch=8191, time=0),
        dict(type="sysex", data=tuple(sysex), time=0),
        dict(type="sysex", data=(1, 2), time=0),
        dict(type="note_on", channel=1, note=62, velocity=90, time=0),
        dict(type="note_on", channel=1, note=62, velocity=0, time=5),
        dict(type="device_name", name="Probe Device", time=0),
        dict(type="note_on", channel=1, note=63, velocity=80, time=0),
        dict(type="songpos", pos=0x10 | (0x20 << 7), time=0),
        dict(type="note_off", channel=0, note=67, velocity=0, time=0),
        dict(type="end_of_track", time=0),
    ]
    for i, (g, w) in enumerate(zip(got1, want1)):
        g = {k: (tuple(v) if isinstance(v, (list, tuple)) else v) for k, v in g.items()}
        expect(g == w, f"events: track 1 message {i}: {g} != {w}")
    expect(len(got1) == len(want1), f"events: track 1 has {len(got1)} messages")


def check_odd(path):
    data = open(path, "rb").read()
    want = (b"MThd" + be32(6) + bytes([0, 0, 0, 3, 0x01, 0xE0])
            + b"XFIH" + be32(3) + bytes([1, 2, 3])
            + b"MTrk" + be32(14) + bytes.fromhex("00903c64 60803c40 00ff2f00 dead")
            + b"JUNK" + be32(2) + bytes([9, 9, 9, 9])
            + b"MTrk" + be32(1000) + bytes.fromhex("00903c64")
            + bytes([0, 1]))
    expect(data == want, f"odd: {data.hex()} != {want.hex()}")


def check_smpte(path):
    data = open(path, "rb").read()
    want = b"MThd" + be32(5) + bytes([0, 0, 0, 1, 0xE7, 0x28]) + b"MTrX" + be32(4) + bytes.fromhex("00ff2f00")
    expect(data == want, f"smpte: {data.hex()} != {want.hex()}")


def running_status_events(data):
    """Counts channel events that omit their status byte, by walking the
    track chunks by hand."""
    def read_vlq(buf, pos):
        value = 0
        while True:
            b = buf[pos]
            pos += 1
            value = (value << 7) | (b & 0x7F)
            if b < 0x80:
                return value, pos

    count = 0
    pos = 8 + int.from_bytes(data[4:8], "big")
    while pos < len(data):
        length = int.from_bytes(data[pos + 4:pos + 8], "big")
        body, pos = data[pos + 8:pos + 8 + length], pos + 8 + length
        p, status = 0, None
        while p < len(body):
            _, p = read_vlq(body, p)
            b = body[p]
            if b == 0xFF:
                n, p = read_vlq(body, p + 2)
                p += n
                status = None
            elif b in (0xF0, 0xF7):
                n, p = read_vlq(body, p + 1)
                p += n
                status = None
            else:
                if b < 0x80:
                    if status is None:
                        raise ValueError(f"data byte 0x{b:02x} without a status at offset {p}")
                    count += 1
                else:
                    status, p = b, p + 1
                p += 1 if status & 0xF0 in (0xC0, 0xD0) else 2
    return count


def check_songs(folder):
    lines = [l.split() for l in open(os.path.join(folder, "songs.txt")) if not l.startswith("#")]
    expect(len(lines) == 4, "songs: expected four songs")
    for (name, fmt, tracks, division, end_tick, micros, tempos, notes, target,
         running, time_sig, programs, long_sysex, long_text) in lines:
        path = os.path.join(folder, name)
        data = open(path, "rb").read()
        midi = mido.MidiFile(path)
        everything = [m for t in midi.tracks for m in t]
        try:
            check_song(midi)
        except Exception as e:
            failures.append(f"{name}: {e}")
        expect((midi.type, len(midi.tracks), midi.ticks_per_beat) == (int(fmt), int(tracks), int(division)),
               f"{name}: header {midi.type} {len(midi.tracks)} {midi.ticks_per_beat}")
        expect(all(sum(m.time for m in t) == int(end_tick) for t in midi.tracks), f"{name}: end tick")
        expect(abs(midi.length * 1e6 - int(micros)) <= 1000, f"{name}: length {midi.length} s vs {micros} us")
        expect(sum(m.type == "set_tempo" for m in everything) == int(tempos), f"{name}: tempo events")
        expect(sum(m.type == "note_on" and m.velocity > 0 for m in everything) == int(notes), f"{name}: notes")
        if int(target):
            expect(abs(len(data) - int(target)) <= int(target) * 0.05, f"{name}: {len(data)} bytes for {target}")
        try:
            expect((running_status_events(data) > 0) == (running == "1"), f"{name}: running status use")
        except ValueError as e:
            failures.append(f"{name}: {e}")
        expect(sum(m.type == "time_signature" for m in everything) == int(time_sig), f"{name}: time signature")
        expect(any(m.type == "program_change" for m in everything) == (programs == "1"), f"{name}: programs")
        expect(sum(m.type == "sysex" and len(m.data) > 127 for m in everything) == int(long_sysex),
               f"{name}: long SysEx count")
        expect(sum(m.type == "text" and len(m.text) > 127 for m in everything) == int(long_text),
               f"{name}: long text count")
        channels = {m.channel for m in everything if hasattr(m, "channel")}
        parts = int(tracks) - 1 if fmt == "1" else None
        if parts is not None:
            expect(len(channels) == parts, f"{name}: {parts} parts on channels {sorted(channels)}")
            expect((9 in channels) == (parts >= 4), f"{name}: drum channel use")
        expect(sum(m.type == "control_change" and m.control == 7 for m in everything) > len(channels),
               f"{name}: Channel Volume beyond the initial settings")


def main():
    folder = sys.argv[1]
    check_events(os.path.join(folder, "probe_events.mid"))
    check_odd(os.path.join(folder, "probe_odd.mid"))
    check_smpte(os.path.join(folder, "probe_smpte.mid"))
    check_songs(folder)
    for f in failures:
        print("FAILED:", f)
    print("probe checks:", f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
