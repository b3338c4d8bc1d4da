#!/usr/bin/env python3
"""Writes examples/demo.mid, the demo song of Orvalis: four sections of four bars in A minor
(chords, bass, a legato lead with pitch bend and modulation wheel) and a closing ritardando.
The renderer switches the oscillator mode at each section (see the Makefile's demo target)."""
import struct
import sys

PPQ = 480
BAR = 4 * PPQ


def var_len(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def track(events):
    """events: (tick, bytes) in any order; returns an MTrk chunk."""
    data = b""
    now = 0
    for tick, msg in sorted(events, key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80)):
        data += var_len(tick - now) + msg
        now = tick
    data += var_len(0) + b"\xFF\x2F\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + data


def note(events, ch, start, length, key, vel):
    events.append((start, bytes([0x90 | ch, key, vel])))
    events.append((start + length, bytes([0x80 | ch, key, 0])))


def tempo(bpm):
    us = int(round(60_000_000 / bpm))
    return b"\xFF\x51\x03" + us.to_bytes(3, "big")


CHORDS = [(57, 60, 64), (53, 57, 60), (55, 60, 64), (55, 59, 62)]  # Am F C G
ROOTS = [45, 41, 48, 43]


def main(path):
    meta = [(0, tempo(96)), (0, b"\xFF\x58\x04\x04\x02\x18\x08"), (14 * BAR, tempo(80)),
            (15 * BAR, tempo(66))]
    chords, bass, lead = [], [], []
    for section in range(4):
        for bar in range(4):
            at = (section * 4 + bar) * BAR
            chord = CHORDS[bar]
            if section == 2:
                # Arpeggiated chord tones in eighths.
                for step in range(8):
                    key = chord[step % 3] + 12 * (step // 3 % 2)
                    note(chords, 0, at + step * PPQ // 2, PPQ // 2 - 20, key, 70 + 6 * (step % 3))
            else:
                for key in chord:
                    note(chords, 0, at, BAR - 30, key, 64 if section != 3 else 52)
            if section < 2:
                for beat in range(4):
                    note(bass, 1, at + beat * PPQ, PPQ - 60, ROOTS[bar] - 12, 96 if beat == 0 else 80)
            else:
                note(bass, 1, at, BAR - 30, ROOTS[bar] - 12, 90)

    # Section 2: a legato lead, each note overlapping the next, with the wheel rising.
    line = [76, 77, 76, 74, 72, 74, 76, 79, 77, 76, 74, 72, 71, 72, 74, 71]
    start = 4 * BAR
    for i, key in enumerate(line):
        note(lead, 2, start + i * PPQ, PPQ + PPQ // 4, key, 90)
    for i in range(33):
        lead.append((start + i * PPQ // 2, bytes([0xB2, 1, min(127, i * 4)])))
    lead.append((8 * BAR, bytes([0xB2, 1, 0])))

    # Section 3: a long note bent up a tone and back.
    note(lead, 2, 8 * BAR, 2 * BAR, 69, 100)
    for i in range(49):
        frac = i / 48
        bend = int(8192 + 1365 * (1 - abs(2 * frac - 1)))  # up to about +2 semitones
        lead.append((8 * BAR + BAR // 2 + i * BAR // 48, bytes([0xE2, bend & 0x7F, bend >> 7])))
    note(lead, 2, 10 * BAR, BAR, 72, 96)
    note(lead, 2, 11 * BAR, BAR, 71, 96)

    # Section 4: the line again, slower, over the pads, ending on a held A.
    for i, key in enumerate(line[:8]):
        note(lead, 2, 12 * BAR + i * PPQ * 3 // 2, PPQ * 3 // 2 + 60, key - 12, 84)
    note(lead, 2, 15 * BAR, BAR, 57, 80)
    note(chords, 0, 16 * BAR, BAR, 57, 60)
    note(chords, 0, 16 * BAR, BAR, 64, 60)
    note(chords, 0, 16 * BAR, BAR, 69, 60)

    tracks = [track(meta), track(chords), track(bass), track(lead)]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    with open(path, "wb") as f:
        f.write(header + b"".join(tracks))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "examples/demo.mid")
