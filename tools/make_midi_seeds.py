#!/usr/bin/env python3
"""Writes fuzz/midi_corpus/: seed files for the MIDI-file reader's fuzz target, one per feature
of the format the reader handles (formats 0, 1 and 2, SMPTE divisions, running status, SysEx and
escapes, long meta events, unknown chunks, RMID, files cut short). `make fuzz` adds the demo song."""
import os
import struct
import sys

from make_demo_midi import var_len

PPQ = 480


def chunk(name, body):
    return name + struct.pack(">I", len(body)) + body


def track(events, end=True):
    """events: (delta, bytes) as they go into the track."""
    body = b"".join(var_len(d) + b for d, b in events)
    if end:
        body += b"\x00\xFF\x2F\x00"
    return chunk(b"MTrk", body)


def header(fmt, tracks, division=PPQ, extra=b""):
    return chunk(b"MThd", struct.pack(">HHH", fmt, tracks, division) + extra)


def meta(kind, data):
    return bytes([0xFF, kind]) + var_len(len(data)) + data


def tempo(bpm):
    return meta(0x51, int(round(60_000_000 / bpm)).to_bytes(3, "big"))


def notes(keys, length=PPQ, channel=0):
    """Note-ons and note-offs, the later ones in running status."""
    events = []
    for i, key in enumerate(keys):
        on = bytes([0x90 | channel]) if i == 0 else b""
        events.append((0, on + bytes([key, 100])))
        events.append((length, bytes([key, 0])))
    return events


def seeds():
    channel_messages = [
        (0, b"\xC0\x05"), (0, b"\xB0\x07\x64"), (10, b"\x01\x40"), (0, b"\xE0\x00\x40"),
        (10, b"\x7F\x7F"), (0, b"\xD0\x30"), (5, b"\x20"), (0, b"\xA0\x3C\x10"),
    ]
    yield "format0_running_status.mid", header(0, 1) + track(
        [(0, tempo(100))] + channel_messages + notes([60, 62, 64, 65, 67]))

    yield "format1_tempo_track.mid", (
        header(1, 3)
        + track([(0, tempo(120)), (0, meta(0x58, b"\x04\x02\x18\x08")), (0, meta(0x59, b"\x00\x00")),
                 (PPQ * 2, tempo(90)), (PPQ * 2, tempo(140))])
        + track([(0, meta(0x03, b"lead")), (0, meta(0x01, b"x" * 200))] + notes([72, 74, 76]))
        + track(notes([48, 43], PPQ * 2, channel=1)))

    yield "format2_patterns.mid", (
        header(2, 3) + track([(0, tempo(80))] + notes([60, 64])) + track(notes([67]))
        + track([(0, tempo(200))] + notes([72, 71, 72], PPQ // 2)))

    for name, division in [("smpte24", 0xE828), ("smpte25", 0xE728), ("smpte2997", 0xE364),
                           ("smpte30", 0xE250)]:
        yield name + ".mid", header(0, 1, division) + track([(0, tempo(60))] + notes([60, 67]))

    sysex = [
        (0, b"\xF0" + var_len(5) + b"\x7E\x7F\x09\x01\xF7"),
        (0, b"\x90\x3C\x64"),
        (0, b"\xF0" + var_len(3) + b"\x43\x12\x00"),  # a message in packets
        (10, b"\xF7" + var_len(3) + b"\x43\x12\xF7"),
        (0, b"\xF7" + var_len(2) + b"\xF8\xFA"),  # an escape: real-time bytes sent as they are
        (0, b"\x80\x3C\x00"), (0, b"\x3E\x00"),
    ]
    yield "sysex_and_escapes.mid", header(0, 1) + track(sysex)

    yield "unknown_chunks.mid", (
        header(1, 1) + chunk(b"XFIH", b"\x90" * 40) + track(notes([60])) + chunk(b"JUNK", b""))

    yield "no_end_of_track.mid", header(0, 1) + track(notes([60, 62]), end=False)

    whole = header(0, 1) + track(notes([60, 62, 64]))
    yield "cut_short.mid", whole[:-1]
    yield "announces_more_tracks.mid", header(1, 4) + track(notes([60])) + track(notes([64]))
    yield "bytes_after_end_of_track.mid", header(0, 1) + chunk(
        b"MTrk", b"\x00\x90\x3C\x64\x60\x80\x3C\x00\x00\xFF\x2F\x00\x00\x90\x40\x64")
    yield "long_header.mid", header(0, 1, PPQ, b"\x00\x00") + track(notes([60]))
    yield "four_byte_deltas.mid", header(0, 1, 0x7FFF) + track(
        [(0, meta(0x51, b"\x00\x00\x01")), (0x0FFFFFFF, b"\x90\x3C\x64"), (0x200000, b"\x80\x3C\x00")])

    smf = header(0, 1) + track(notes([60, 64, 67]))
    riff_body = b"RMID" + chunk_le(b"data", smf)
    yield "wrapped.rmi", b"RIFF" + struct.pack("<I", len(riff_body)) + riff_body


def chunk_le(name, body):
    pad = b"\x00" if len(body) % 2 else b""
    return name + struct.pack("<I", len(body)) + body + pad


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "fuzz/midi_corpus")
