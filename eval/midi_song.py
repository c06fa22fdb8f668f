#!/usr/bin/env python3
"""Writes a short multi-part song in one of many genres as a Standard MIDI
File at one constant tempo, for the tempo evaluation set.

    midi_song.py GENRE BPM SECONDS SEED OUT.mid

BPM counts the beat a listener taps (the quarter note here; in the 12/8 and
6/8 genres the dotted quarter, written as a quarter with triplet eighths).
The file's tempo is the nearest one a MIDI tempo event can state; the tempo
actually written is printed on standard output with four decimals, so the
caller records that one. SEED varies the key, the chords, the instruments,
the song's sections and small humanisation of timing and loudness (never
the tempo). Deterministic: the same arguments give the same file.

Genres (see GENRES below): pop, dance, halftime, punk, dnb, shuffle,
swing, blues128, sixeight, trap, reggae, ska, poly32, poly43, nodrums,
ballad, waltz, bossa, chiptune, bluegrass, metal, funk, boombap.
"""
import random
import struct
import sys

PPQ = 480  # ticks per beat
DRUM_CHANNEL = 9

# General MIDI drum notes.
KICK, SNARE, RIM, CLAP, CLOSED_HAT, PEDAL_HAT, OPEN_HAT = 36, 38, 37, 39, 42, 44, 46
RIDE, RIDE_BELL, CRASH, LOW_TOM, HIGH_TOM, CLAVE, SHAKER, COWBELL = 51, 53, 49, 45, 50, 75, 70, 56
CONGA_HI, CONGA_LO, WOODBLOCK = 62, 64, 76

MAJOR_PROGRESSIONS = [[0, 5, 3, 4], [0, 3, 4, 4], [0, 4, 5, 3], [5, 3, 0, 4], [0, 0, 3, 4]]
MINOR_PROGRESSIONS = [[0, 5, 6, 4], [0, 3, 4, 0], [0, 6, 5, 6], [0, 3, 6, 4]]
MAJOR_SCALE = [0, 2, 4, 5, 7, 9, 11]
MINOR_SCALE = [0, 2, 3, 5, 7, 8, 10]


class Song:
    """Notes in beats; written out in ticks."""

    def __init__(self, rng, beats_per_bar, bars):
        self.rng = rng
        self.beats_per_bar = beats_per_bar
        self.bars = bars
        self.events = []  # (beat, length, channel, note, velocity)
        self.programs = {}
        self.jitter = rng.uniform(0.0, 0.012)  # beats of timing humanisation
        self.minor = rng.random() < 0.5
        self.key = 36 + rng.randrange(12)
        self.progression = rng.choice(MINOR_PROGRESSIONS if self.minor else MAJOR_PROGRESSIONS)

    def note(self, beat, length, channel, note, velocity):
        if channel != DRUM_CHANNEL:
            beat += self.rng.gauss(0, self.jitter)
        velocity = max(1, min(127, int(velocity + self.rng.gauss(0, 6))))
        self.events.append((max(0.0, beat), length, channel, note, velocity))

    def program(self, channel, program):
        self.programs[channel] = program

    def degree(self, d, octave=0):
        scale = MINOR_SCALE if self.minor else MAJOR_SCALE
        return self.key + 12 * (octave + d // 7) + scale[d % 7]

    def chord_root(self, bar):
        return self.progression[bar % len(self.progression)]

    def triad(self, bar, octave=2):
        r = self.chord_root(bar)
        return [self.degree(r + i, octave) for i in (0, 2, 4)]

    def write(self, path, bpm):
        tempo = round(60_000_000 / bpm)
        tracks = []
        meta = bytearray()
        meta += vlq(0) + b"\xff\x51\x03" + tempo.to_bytes(3, "big")
        meta += vlq(0) + b"\xff\x58\x04" + bytes([self.beats_per_bar, 2, 24, 8])
        meta += vlq(0) + b"\xff\x2f\x00"
        tracks.append(meta)
        raw = []
        for beat, length, channel, note, velocity in self.events:
            start = int(round(beat * PPQ))
            end = start + max(1, int(round(length * PPQ)))
            raw.append((start, 1, 0x90 | channel, note, velocity))
            raw.append((end, 0, 0x80 | channel, note, 0))
        raw.sort()
        body = bytearray()
        now = 0
        for channel, program in sorted(self.programs.items()):
            body += vlq(0) + bytes([0xC0 | channel, program])
        for channel in range(16):  # reverb and chorus down: cleaner onsets vary by renderer anyway
            body += vlq(0) + bytes([0xB0 | channel, 91, self.rng.randrange(0, 50)])
        for tick, _, status, note, velocity in raw:
            body += vlq(tick - now) + bytes([status, note, velocity])
            now = tick
        body += vlq(PPQ) + b"\xff\x2f\x00"
        tracks.append(body)
        with open(path, "wb") as f:
            f.write(b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ))
            for t in tracks:
                f.write(b"MTrk" + struct.pack(">I", len(t)) + t)
        return 60_000_000 / tempo


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


# Parts shared by several genres. `bars` lists the bars in which the part plays.

def bass_line(s, bars, pattern, program=33, octave=1, channel=1):
    """pattern: (beat offset, length, scale step above the root) per bar."""
    s.program(channel, program)
    for bar in bars:
        root = s.chord_root(bar)
        for offset, length, step in pattern:
            s.note(bar * s.beats_per_bar + offset, length, channel, s.degree(root + step, octave), 96)


def chords(s, bars, hits, program=0, channel=2, octave=3, velocity=70):
    """hits: (beat offset, length) per bar; the bar's triad on each."""
    s.program(channel, program)
    for bar in bars:
        for offset, length in hits:
            for n in s.triad(bar, octave):
                s.note(bar * s.beats_per_bar + offset, length, channel, n, velocity)


def arpeggio(s, bars, step, program=0, channel=3, octave=4, velocity=64, order=(0, 2, 4, 7)):
    """A broken chord in notes `step` beats apart."""
    s.program(channel, program)
    count = int(round(s.beats_per_bar / step))
    for bar in bars:
        root = s.chord_root(bar)
        for i in range(count):
            d = root + order[i % len(order)]
            accent = 16 if abs((i * step) % 1) < 1e-6 else 0
            s.note(bar * s.beats_per_bar + i * step, step * 0.9, channel, s.degree(d, octave),
                   velocity + accent)


def melody(s, bars, program=73, channel=4, octave=5, density=0.6, grid=0.5):
    s.program(channel, program)
    d = 0
    for bar in bars:
        t = 0.0
        while t < s.beats_per_bar - 1e-9:
            length = grid * s.rng.choice([1, 1, 2, 2, 3, 4])
            if s.rng.random() < density:
                d = max(-3, min(9, d + s.rng.choice([-2, -1, -1, 1, 1, 2, 0, 3])))
                s.note(bar * s.beats_per_bar + t, length * 0.95, channel,
                       s.degree(s.chord_root(bar) + d, octave), 80)
            t += length


def drums(s, bars, pattern):
    """pattern: {drum note: [(beat offset, velocity), ...]} per bar."""
    for bar in bars:
        for drum, hits in pattern.items():
            for offset, velocity in hits:
                s.note(bar * s.beats_per_bar + offset, 0.1, DRUM_CHANNEL, drum, velocity)


def crash_each(s, bars, every=8):
    for bar in bars:
        if bar % every == 0:
            s.note(bar * s.beats_per_bar, 0.5, DRUM_CHANNEL, CRASH, 90)


def fill(s, bar, step=0.25, drum=SNARE):
    """A fill over the bar's last beat."""
    start = bar * s.beats_per_bar + s.beats_per_bar - 1
    for i in range(int(round(1 / step))):
        s.note(start + i * step, 0.1, DRUM_CHANNEL, drum if i % 2 == 0 else HIGH_TOM, 70 + 6 * i)


def sections(s, intro=2, outro=0):
    """Bars with drums and without: an intro without them, a break halfway."""
    all_bars = list(range(s.bars))
    with_drums = [b for b in all_bars if b >= intro and not (s.bars // 2 <= b < s.bars // 2 + 2)]
    if outro:
        with_drums = [b for b in with_drums if b < s.bars - outro]
    for b in with_drums:
        if (b + 1) % 8 == 0 and s.rng.random() < 0.7:
            fill(s, b)
    return all_bars, with_drums


def eighths(velocity_on=80, velocity_off=60):
    return [(i * 0.5, velocity_on if i % 2 == 0 else velocity_off) for i in range(8)]


def sixteenths(beats=4, on=75, off=50):
    return [(i * 0.25, on if i % 4 == 0 else off) for i in range(4 * beats)]


def swung(beats=4, on=80, off=55, swing=2 / 3):
    out = []
    for b in range(beats):
        out += [(b, on), (b + swing, off)]
    return out


# Genres: each fills the song, given the bars.

def pop(s):
    everything, beat = sections(s)
    drums(s, beat, {KICK: [(0, 100), (2, 95), (2.5, 70)], SNARE: [(1, 95), (3, 95)],
                    CLOSED_HAT: eighths()})
    crash_each(s, beat)
    bass_line(s, everything[1:], [(0, 0.9, 0), (1.5, 0.4, 0), (2, 0.9, 4), (3, 0.9, 0)])
    chords(s, everything, [(0, 1.9), (2, 1.9)], program=s.rng.choice([0, 4, 24, 25]))
    melody(s, beat, program=s.rng.choice([73, 80, 56, 65]))


def dance(s):
    everything, beat = sections(s, intro=4)
    drums(s, beat, {KICK: [(b, 115) for b in range(4)], CLAP: [(1, 90), (3, 90)],
                    OPEN_HAT: [(b + 0.5, 75) for b in range(4)],
                    CLOSED_HAT: sixteenths(on=40, off=55)})
    crash_each(s, beat)
    bass_line(s, everything, [(b + 0.5, 0.4, 0) for b in range(4)], program=38)
    chords(s, everything[::2], [(0, 0.3), (1.5, 0.3), (3, 0.3)], program=s.rng.choice([81, 89, 4]))


def halftime(s):
    """Fast tempo, half-time backbeat: snare on 3, driving eighths on top."""
    everything, beat = sections(s)
    drums(s, beat, {KICK: [(0, 110), (1.5, 80), (2.5, 90)], SNARE: [(2, 110)],
                    CLOSED_HAT: [(b, 85) for b in range(4)] + [(b + 0.5, 55) for b in range(4)]})
    crash_each(s, beat)
    bass_line(s, everything, [(i * 0.5, 0.45, 0) for i in range(8)], program=34)
    chords(s, everything, [(i * 0.5, 0.45) for i in range(8)], program=30, octave=2, velocity=60)


def punk(s):
    everything, beat = sections(s, intro=1)
    drums(s, beat, {KICK: [(0, 110), (2, 105)], SNARE: [(1, 110), (3, 110)],
                    CLOSED_HAT: [(b, 80) for b in range(4)]})
    crash_each(s, beat, every=4)
    bass_line(s, everything, [(i * 0.5, 0.45, 0) for i in range(8)], program=34)
    chords(s, everything, [(b, 0.9) for b in range(4)], program=29, octave=2)
    melody(s, beat, program=30, grid=1.0)


def dnb(s):
    everything, beat = sections(s, intro=4)
    drums(s, beat, {KICK: [(0, 115), (2.5, 100)], SNARE: [(1, 110), (3, 110), (3.75, 50)],
                    CLOSED_HAT: sixteenths(on=70, off=45)})
    crash_each(s, beat)
    bass_line(s, everything, [(0, 1.5, 0), (2.5, 1.4, 0)], program=38, octave=1)
    chords(s, everything[::2], [(0, 7.5)], program=s.rng.choice([89, 91, 50]), octave=3)


def shuffle(s):
    everything, beat = sections(s)
    drums(s, beat, {KICK: [(0, 100), (2, 95)], SNARE: [(1, 95), (3, 95)],
                    CLOSED_HAT: swung()})
    bass_line(s, everything, [(0, 0.6, 0), (2 / 3, 0.3, 2), (1, 0.6, 4), (5 / 3, 0.3, 5),
                              (2, 0.6, 4), (8 / 3, 0.3, 2), (3, 0.6, 0), (11 / 3, 0.3, 4)],
              program=32)
    chords(s, everything, [(b + 2 / 3, 0.3) for b in range(4)], program=s.rng.choice([0, 16, 26]))
    melody(s, beat, program=s.rng.choice([65, 66, 22]), grid=1 / 3)


def swing(s):
    """Jazz: ride spang-a-lang, walking bass, hat on 2 and 4, comping."""
    everything, beat = sections(s, intro=0)
    drums(s, beat, {RIDE: [(0, 85), (1, 85), (1 + 2 / 3, 60), (2, 85), (3, 85), (3 + 2 / 3, 60)],
                    PEDAL_HAT: [(1, 70), (3, 70)], KICK: [(0, 45)]})
    s.program(1, 32)
    for bar in everything:
        root = s.chord_root(bar)
        for b in range(4):
            s.note(bar * 4 + b, 0.9, 1, s.degree(root + [0, 2, 4, 5][b], 1), 95)
    for bar in everything:
        for offset in s.rng.sample([0, 1 + 2 / 3, 2 + 2 / 3, 3], 2):
            for n in s.triad(bar, 3):
                s.note(bar * 4 + offset, 0.3, 2, n, 60)
    s.program(2, 0)
    melody(s, beat, program=s.rng.choice([65, 56, 66]), grid=1 / 3, density=0.7)


def blues128(s):
    """12/8 slow blues: four dotted-quarter beats, triplet eighths in the piano."""
    everything, beat = sections(s, intro=1)
    drums(s, beat, {KICK: [(0, 100), (2, 90), (2 + 2 / 3, 60)], SNARE: [(1, 100), (3, 100)],
                    RIDE: [(b + t / 3, 70 if t == 0 else 50) for b in range(4) for t in range(3)]})
    s.program(2, s.rng.choice([0, 2, 16]))
    for bar in everything:
        for b in range(4):
            for t in range(3):
                for n in s.triad(bar, 3):
                    s.note(bar * 4 + b + t / 3, 0.3, 2, n, 70 if t == 0 else 52)
    bass_line(s, everything, [(b, 0.9, [0, 2, 4, 2][b]) for b in range(4)], program=32)
    melody(s, beat, program=s.rng.choice([65, 22, 29]), grid=1 / 3)


def sixeight(s):
    """6/8: two dotted-quarter beats a bar, six eighths."""
    everything, beat = sections(s)
    drums(s, beat, {KICK: [(0, 105)], SNARE: [(1, 95)],
                    CLOSED_HAT: [(i / 3, 70 if i % 3 == 0 else 48) for i in range(6)]})
    arpeggio(s, everything, 1 / 3, program=s.rng.choice([24, 0, 46]), order=(0, 2, 4, 2, 4, 7))
    bass_line(s, everything, [(0, 0.9, 0), (1, 0.9, 4)], program=32)


def trap(s):
    """Half-time snare on 3, triplet and thirty-second hi-hat rolls."""
    everything, beat = sections(s, intro=2)
    for bar in beat:
        hats = []
        for b in range(4):
            kind = s.rng.choice(["8", "8", "16", "trip", "32"])
            if kind == "8":
                hats += [(b, 70), (b + 0.5, 55)]
            elif kind == "16":
                hats += [(b + i / 4, 65 - 5 * i) for i in range(4)]
            elif kind == "trip":
                hats += [(b + i / 3, 70 - 8 * i) for i in range(3)]
            else:
                hats += [(b + i / 8, 40 + 4 * i) for i in range(8)]
        drums(s, [bar], {CLOSED_HAT: hats, KICK: [(0, 115), (1.75, 90), (2.5, 100)],
                         CLAP: [(2, 110)]})
    bass_line(s, everything, [(0, 1.7, 0), (2.5, 1.2, 0)], program=38, octave=1)
    arpeggio(s, everything, 1 / 2, program=s.rng.choice([10, 8, 88]), velocity=50)


def reggae(s):
    """One drop: kick and rim on 3, skank on every off-eighth... of the half bar."""
    everything, beat = sections(s, intro=1)
    drums(s, beat, {KICK: [(2, 105)], RIM: [(2, 95)],
                    CLOSED_HAT: [(i * 0.5, 55 if i % 2 else 70) for i in range(8)]})
    chords(s, everything, [(1, 0.25), (3, 0.25)], program=s.rng.choice([27, 17, 2]), octave=3,
           velocity=85)
    bass_line(s, everything, [(0, 0.9, 0), (1.5, 0.4, 2), (2.5, 0.9, 4), (3.5, 0.4, 2)],
              program=33)
    melody(s, beat, program=s.rng.choice([61, 56]), grid=0.5, density=0.4)


def ska(s):
    everything, beat = sections(s, intro=1)
    drums(s, beat, {KICK: [(0, 100), (2, 100)], SNARE: [(1, 95), (3, 95)],
                    CLOSED_HAT: [(b + 0.5, 85) for b in range(4)]})
    chords(s, everything, [(b + 0.5, 0.2) for b in range(4)], program=s.rng.choice([27, 1, 17]),
           octave=3, velocity=90)
    s.program(1, 32)
    for bar in everything:
        root = s.chord_root(bar)
        for b in range(4):
            s.note(bar * 4 + b, 0.8, 1, s.degree(root + [0, 2, 4, 2][b], 1), 95)
    melody(s, beat, program=s.rng.choice([56, 65, 57]), density=0.5)


def poly32(s):
    """Three against two: a marimba in dotted quarters and half-note triplets over a 4/4 beat."""
    everything, beat = sections(s, intro=2)
    drums(s, beat, {KICK: [(0, 100), (2, 95)], SNARE: [(1, 80), (3, 80)],
                    SHAKER: [(i * 0.5, 55) for i in range(8)]})
    s.program(3, s.rng.choice([12, 13, 108]))
    for bar in everything:
        root = s.chord_root(bar)
        for i in range(6):  # six notes in the bar: three per two beats
            s.note(bar * 4 + i * 2 / 3, 0.5, 3, s.degree(root + [0, 4, 2][i % 3], 4), 85)
    bass_line(s, everything, [(0, 1.0, 0), (1.5, 0.5, 4), (2, 1.0, 0)], program=33)
    chords(s, everything[::2], [(0, 7.5)], program=48, octave=3, velocity=45)


def poly43(s):
    """Four against three: a 3/4 beat with a line of four dotted eighths a bar."""
    everything, beat = sections(s, intro=2)
    drums(s, beat, {KICK: [(0, 105)], SNARE: [(1, 80), (2, 80)],
                    COWBELL: [(i * 0.75, 70) for i in range(4)]})
    s.program(3, s.rng.choice([11, 12, 24]))
    for bar in everything:
        root = s.chord_root(bar)
        for i in range(4):
            s.note(bar * 3 + i * 0.75, 0.6, 3, s.degree(root + [0, 2, 4, 7][i], 4), 85)
    bass_line(s, everything, [(0, 0.9, 0), (1, 0.9, 4), (2, 0.9, 2)], program=32)


def nodrums(s):
    """Strings, piano arpeggios in eighths, a bass on the beat: no percussion."""
    everything = list(range(s.bars))
    arpeggio(s, everything, 0.5, program=s.rng.choice([0, 1, 46, 24]), order=(0, 4, 7, 4, 2, 4, 7, 4))
    chords(s, everything, [(0, 3.9)], program=s.rng.choice([48, 49, 52, 19]), velocity=55)
    bass_line(s, everything, [(0, 1.9, 0), (2, 1.9, 4)], program=s.rng.choice([32, 43, 58]))
    melody(s, everything[4:], program=s.rng.choice([40, 71, 73, 68]), grid=1.0, density=0.8)


def ballad(s):
    """Slow piano ballad, quarter-note chords, no drums in the first half."""
    everything = list(range(s.bars))
    late = everything[s.bars // 2:]
    chords(s, everything, [(b, 0.95) for b in range(4)], program=s.rng.choice([0, 4, 5]),
           velocity=60)
    bass_line(s, everything, [(0, 1.9, 0), (2, 1.9, 0)], program=32)
    drums(s, late, {KICK: [(0, 80)], SNARE: [(2, 75)], CLOSED_HAT: eighths(55, 40)})
    melody(s, everything, program=s.rng.choice([73, 40, 52]), grid=1.0, density=0.7)


def waltz(s):
    everything, beat = sections(s, intro=1)
    bass_line(s, everything, [(0, 0.9, 0)], program=s.rng.choice([32, 58]), octave=1)
    chords(s, everything, [(1, 0.5), (2, 0.5)], program=s.rng.choice([21, 0, 48]))
    drums(s, beat, {KICK: [(0, 90)], CLOSED_HAT: [(1, 60), (2, 60)]})
    melody(s, everything, program=s.rng.choice([40, 73, 21]), grid=1.0)


def bossa(s):
    everything, beat = sections(s, intro=1)
    drums(s, beat, {KICK: [(0, 80), (1.5, 70), (2, 80), (3.5, 70)],
                    RIM: [(0, 70), (0.75, 70), (1.5, 70), (2.5, 70), (3.25, 70)],
                    CLOSED_HAT: [(i * 0.5, 45) for i in range(8)]})
    chords(s, everything, [(0, 0.4), (0.75, 0.4), (1.5, 0.4), (2.5, 0.4), (3.25, 0.4)],
           program=24, velocity=60)
    bass_line(s, everything, [(0, 1.4, 0), (1.5, 0.5, 4), (2, 1.4, 4), (3.5, 0.5, 0)], program=32)
    melody(s, beat, program=s.rng.choice([73, 65, 11]), density=0.5)


def chiptune(s):
    everything, beat = sections(s, intro=2)
    arpeggio(s, everything, 0.25, program=80, order=(0, 2, 4, 7), velocity=55)
    bass_line(s, everything, [(i * 0.5, 0.4, 0 if i % 2 == 0 else 7) for i in range(8)],
              program=81, octave=1)
    drums(s, beat, {KICK: [(0, 110), (2, 110)], SNARE: [(1, 100), (3, 100)],
                    CLOSED_HAT: [(i * 0.5, 50) for i in range(8)]})
    melody(s, beat, program=80, octave=5, grid=0.25, density=0.7)


def bluegrass(s):
    """Boom-chick bass and guitar, banjo rolls of eighths in 3+3+2: no drums."""
    everything = list(range(s.bars))
    bass_line(s, everything, [(0, 0.9, 0), (2, 0.9, 4)], program=32)
    chords(s, everything, [(1, 0.4), (3, 0.4)], program=25, velocity=70)
    s.program(3, 105)
    roll = [0, 2, 4, 0, 2, 4, 0, 7]
    for bar in everything:
        root = s.chord_root(bar)
        for i in range(8):
            s.note(bar * 4 + i * 0.5, 0.45, 3, s.degree(root + roll[i], 4),
                   80 if i in (0, 3, 6) else 60)
    melody(s, everything[4:], program=110, grid=0.5, density=0.6)


def metal(s):
    everything, beat = sections(s, intro=1)
    double = s.rng.random() < 0.5
    drums(s, beat, {KICK: [(i * 0.25, 95) for i in range(16)] if double else
                    [(i * 0.5, 100) for i in range(8)],
                    SNARE: [(1, 115), (3, 115)], CRASH: [(0, 80)],
                    CLOSED_HAT: [(b, 70) for b in range(4)]})
    chords(s, everything, [(i * 0.25, 0.2) for i in range(16)], program=30, octave=2, velocity=70)
    bass_line(s, everything, [(i * 0.5, 0.45, 0) for i in range(8)], program=34)


def funk(s):
    everything, beat = sections(s, intro=1)
    drums(s, beat, {KICK: [(0, 110), (0.75, 80), (2.5, 95)], SNARE: [(1, 105), (3, 105),
                                                                      (1.75, 45), (3.25, 45)],
                    CLOSED_HAT: sixteenths(on=70, off=50)})
    bass_line(s, everything, [(0, 0.2, 0), (0.75, 0.2, 7), (1.5, 0.2, 0), (2.25, 0.2, 4),
                              (2.5, 0.2, 5), (3.5, 0.2, 7)], program=36)
    chords(s, everything, [(0.25, 0.1), (1.25, 0.1), (2.75, 0.1), (3.5, 0.1)], program=28)


def boombap(s):
    everything, beat = sections(s, intro=1)
    swing16 = []
    for b in range(4):
        swing16 += [(b, 70), (b + 0.31, 45), (b + 0.5, 60), (b + 0.81, 45)]
    drums(s, beat, {KICK: [(0, 110), (1.81, 85), (2.5, 100)], SNARE: [(1, 110), (3, 110)],
                    CLOSED_HAT: swing16})
    chords(s, everything, [(0, 1.8), (2.5, 1.3)], program=s.rng.choice([4, 11, 88]), velocity=55)
    bass_line(s, everything, [(0, 1.4, 0), (2.5, 1.0, 4)], program=33)


GENRES = {
    # name: (function, beats per bar)
    "pop": (pop, 4), "dance": (dance, 4), "halftime": (halftime, 4), "punk": (punk, 4),
    "dnb": (dnb, 4), "shuffle": (shuffle, 4), "swing": (swing, 4), "blues128": (blues128, 4),
    "sixeight": (sixeight, 2), "trap": (trap, 4), "reggae": (reggae, 4), "ska": (ska, 4),
    "poly32": (poly32, 4), "poly43": (poly43, 3), "nodrums": (nodrums, 4),
    "ballad": (ballad, 4), "waltz": (waltz, 3), "bossa": (bossa, 4), "chiptune": (chiptune, 4),
    "bluegrass": (bluegrass, 4), "metal": (metal, 4), "funk": (funk, 4), "boombap": (boombap, 4),
}


def main():
    if len(sys.argv) != 6 or sys.argv[1] not in GENRES:
        sys.exit("usage: midi_song.py GENRE BPM SECONDS SEED OUT.mid\ngenres: " +
                 " ".join(GENRES))
    genre, bpm, seconds, seed, out = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), \
        int(sys.argv[4]), sys.argv[5]
    function, beats_per_bar = GENRES[genre]
    bars = max(4, int(seconds * bpm / 60 / beats_per_bar))
    song = Song(random.Random(seed), beats_per_bar, bars)
    function(song)
    print("%.4f" % song.write(out, bpm))


main()
