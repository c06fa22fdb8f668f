#!/usr/bin/env python3
"""Writes a four-channel tracker module (the 31-sample "M.K." format) at a
stated tempo, with its own synthesised instruments, for the tempo
evaluation set.

    tracker_module.py GENRE BPM SECONDS SEED OUT.mod

The first row sets the speed to 2 ticks per row and the tempo to BPM (one
tick lasts 2.5 / BPM seconds), so twelve rows make one beat and a pattern
of 48 rows (ended by a pattern break) one bar of four beats: the module's
header states the tempo a listener taps. BPM is a whole number from 32 to
255. SEED varies the key, the instruments and the parts.

Genres: four (four-to-the-floor), breaks (syncopated kick, snare on 2 and
4), fast (a half-time backbeat under driving eighths), shuffle (triplet
swing), offbeat (reggae: one drop, off-beat chords), tresillo (3+3+2 bass
and chords over a straight beat).
"""
import math
import random
import struct
import sys

ROWS_PER_BEAT = 12
ROWS_PER_BAR = 48
CHANNELS = 4
SAMPLE_RATE = 16574  # playback rate of the drum samples at period 214


def samples(rng):
    """The instruments as signed 8-bit data: kick, snare, hat, bass, chord, lead."""
    def clip(values):
        return bytes((max(-127, min(127, int(v))) & 0xFF) for v in values)

    n = int(0.25 * SAMPLE_RATE)
    kick_drop = rng.uniform(6, 12)
    kick = [120 * math.exp(-t / (0.08 * SAMPLE_RATE)) *
            math.sin(2 * math.pi * (50 * t / SAMPLE_RATE + 120 * (1 - math.exp(-kick_drop * t /
                                                                           SAMPLE_RATE)) / kick_drop))
            for t in range(n)]
    snare = [(rng.uniform(-90, 90) + 40 * math.sin(2 * math.pi * 190 * t / SAMPLE_RATE)) *
             math.exp(-t / (0.05 * SAMPLE_RATE)) for t in range(n)]
    hat = [rng.uniform(-70, 70) * math.exp(-t / (0.012 * SAMPLE_RATE))
           for t in range(int(0.06 * SAMPLE_RATE))]
    # Looped one-cycle waves (64 values) for pitched parts.
    shape = rng.choice(["square", "saw", "triangle"])

    def wave(kind, amplitude):
        out = []
        for i in range(64):
            x = i / 64
            if kind == "square":
                out.append(amplitude if x < 0.5 else -amplitude)
            elif kind == "saw":
                out.append(amplitude * (2 * x - 1))
            else:
                out.append(amplitude * (4 * abs(x - 0.5) - 1))
        return out

    return [(clip(kick), None), (clip(snare), None), (clip(hat), None),
            (clip(wave("triangle", 110)), 64), (clip(wave(shape, 60)), 64),
            (clip(wave(rng.choice(["square", "saw"]), 70)), 64)]


def period(semitone):
    """Amiga period of a note, semitones above the lowest C of the range."""
    return max(113, min(856, int(round(856 * 2 ** (-semitone / 12)))))


class Pattern:
    def __init__(self):
        self.cells = [[(0, 0, 0, 0)] * CHANNELS for _ in range(ROWS_PER_BAR)]

    def put(self, row, channel, sample, note_period, effect=0, param=0):
        self.cells[row][channel] = (sample, note_period, effect, param)

    def effect(self, row, channel, effect, param):
        s, p, _, _ = self.cells[row][channel]
        self.cells[row][channel] = (s, p, effect, param)

    def data(self):
        out = bytearray()
        for row in range(64):
            for ch in range(CHANNELS):
                s, p, e, v = self.cells[row][ch] if row < ROWS_PER_BAR else (0, 0, 0, 0)
                out += bytes([(s & 0xF0) | (p >> 8), p & 0xFF, ((s & 0x0F) << 4) | e, v])
        return out


def beat_row(beats):
    return int(round(beats * ROWS_PER_BEAT))


GENRES = {
    # kick, snare, hat beats in the bar; bass (beat, step); chord beats
    "four": ([0, 1, 2, 3], [1, 3], [0.5, 1.5, 2.5, 3.5], [(0.5, 0), (1.5, 0), (2.5, 0), (3.5, 0)],
             [0.75, 2.75]),
    "breaks": ([0, 1.5, 2.5], [1, 3], [i / 2 for i in range(8)], [(0, 0), (1.5, 0), (2.5, 7)],
               [0, 2]),
    "fast": ([0, 1.5], [2], [i / 2 for i in range(8)], [(i / 2, 0) for i in range(8)],
             [i / 2 for i in range(8)]),
    "shuffle": ([0, 2], [1, 3], [b + t for b in range(4) for t in (0, 2 / 3)],
                [(b + t, s) for b, s in zip(range(4), (0, 4, 7, 4)) for t in (0, 2 / 3)],
                [b + 2 / 3 for b in range(4)]),
    "offbeat": ([2], [2], [i / 2 for i in range(8)], [(0, 0), (1.5, 2), (2.5, 4), (3.5, 2)],
                [0.5, 1.5, 2.5, 3.5]),
    "tresillo": ([0, 2], [1, 3], [i / 2 for i in range(8)], [(0, 0), (0.75, 0), (1.5, 7),
                                                            (2, 0), (2.75, 0), (3.5, 7)],
                 [0, 0.75, 1.5, 2, 2.75, 3.5]),
}


def main():
    if len(sys.argv) != 6 or sys.argv[1] not in GENRES:
        sys.exit("usage: tracker_module.py GENRE BPM SECONDS SEED OUT.mod\ngenres: " +
                 " ".join(GENRES))
    genre, bpm, seconds, seed, out = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), \
        int(sys.argv[4]), sys.argv[5]
    if not 32 <= bpm <= 255:
        sys.exit("tracker_module.py: BPM must be a whole number from 32 to 255")
    rng = random.Random(seed)
    kicks, snares, hats, bass, chord_beats = GENRES[genre]
    bars = max(2, int(math.ceil(seconds * bpm / 60 / 4)))
    key = rng.randrange(12)
    progression = rng.choice([[0, 5, 3, 4], [0, 3, 4, 4], [0, 8, 3, 10], [0, 0, 5, 7]])
    patterns = []
    for p in range(4):  # one bar each, for the four chords
        pat = Pattern()
        root = key + progression[p]
        for b in kicks:
            pat.put(beat_row(b), 0, 1, 214)
        for b in snares:
            pat.put(beat_row(b), 1 if beat_row(b) % ROWS_PER_BEAT == 0 else 0, 2, 214)
        for b in hats:
            r = beat_row(b)
            if pat.cells[r][1][0] == 0:
                pat.put(r, 1, 3, 170 if rng.random() < 0.5 else 190)
        for b, step in bass:
            pat.put(beat_row(b), 2, 4, period(root + step))
        third = 3 if progression[p] in (0, 5, 7) and rng.random() < 0.5 else 4
        for i, b in enumerate(chord_beats):
            pat.put(beat_row(b), 3, 5, period(24 + root + (0, third, 7)[i % 3]))
            off = beat_row(b) + ROWS_PER_BEAT // 4
            if off < ROWS_PER_BAR and pat.cells[off][3][0] == 0:
                pat.put(off, 3, 0, 0, 0xC, 0)  # cut the chord short: a stab
        pat.effect(ROWS_PER_BAR - 1, 2, 0xD, 0)  # break to the next pattern's first row
        patterns.append(pat)
    first = Pattern()
    first.cells = [list(row) for row in patterns[0].cells]
    first.effect(0, 2, 0xF, 2)  # speed: 2 ticks per row
    first.effect(0, 3, 0xF, bpm)  # tempo
    first.effect(ROWS_PER_BAR - 1, 2, 0xD, 0)
    patterns.append(first)
    order = [4] + [(i % 4) for i in range(1, bars)]
    order = order[:128]

    header = bytearray(b"tempyra eval".ljust(20, b"\0"))
    data = samples(rng)
    volumes = [64, 48, 32, 56, 36, 40]
    for i in range(31):
        if i < len(data):
            wave, loop = data[i]
            length = len(wave) // 2
            header += b"".ljust(22, b"\0") + struct.pack(
                ">HBBHH", length, 0, volumes[i], 0 if loop else 0, length if loop else 1)
        else:
            header += b"".ljust(22, b"\0") + struct.pack(">HBBHH", 0, 0, 0, 0, 1)
    header += bytes([len(order), 127]) + bytes(order).ljust(128, b"\0") + b"M.K."
    with open(out, "wb") as f:
        f.write(header)
        for pat in patterns:
            f.write(pat.data())
        for wave, _ in data:
            f.write(wave[:len(wave) // 2 * 2])
    print(bpm)


main()
