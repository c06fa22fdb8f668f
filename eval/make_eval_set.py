#!/usr/bin/env python3
"""Makes the tempo evaluation set from Debian packages and our own generators
(nothing is downloaded), into SET_DIR, with SET_DIR/truth.tsv listing each
file, its true tempo, its genre, its source and its half.

    make_eval_set.py BUILD_DIR SET_DIR [--jobs N] [--train]

Sources, all MP3 (lame) at several sampling rates, CBR and VBR:
  midi       songs of 23 genres written by midi_song.py (fast pieces with a
             half-time feel, shuffles and swing, 12/8 and 6/8, triplet
             hi-hats, reggae and ska off-beats, three-against-two and
             four-against-three, pieces without drums, four-to-the-floor...)
             at one constant tempo, rendered by timidity or fluidsynth with
             one of four sound sets (freepats, TimGM6mb, MuseScore General
             and an OPL3 FM bank) so that the timbres differ;
  module     tracker modules written by tracker_module.py (their header
             states the tempo) rendered by openmpt123;
  pattern    tempyra-patterngen's synthetic styles;
  pulse      bare pulses of tempyra-beatgen and tempyra-drumgen's loops;
  abc        tunes from the ABC examples of Debian's abcmidi and abcm2ps,
             rendered by abc2midi and timidity with a drum part on the
             metre's beats, then sped up or slowed down by sox by up to 3 %.

Every file is an excerpt of 30 to 60 seconds. The tempo is the beat a
listener taps: the quarter note, in 6/8 and 12/8 the dotted quarter.

Half: "dev" when the first byte of the file's SHA-256 is below 128, else
"held". Fitting and tuning look only at the dev half; the held-out half is
for the figures that are reported.

With --train, SET_DIR receives a training set instead: more files of the
same sources under other names (so other tempi, seeds and sounds), all of
half "train", which the fit of the beat-level decision reads beside the
development half; the evaluation set itself and its halves stay as they are.

Each file is named after a hash of its recipe (generator, arguments and the
generator's own source), so a file is made again only when its recipe
changed; SET_DIR may live outside the build tree and be kept between builds.
"""
import concurrent.futures
import hashlib
import os
import random
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOUNDS = [
    ("freepats", ["timidity", "-c", "/etc/timidity/freepats.cfg"]),
    ("timgm6mb", ["timidity", "-c", "/etc/timidity/timgm6mb.cfg"]),
    ("opl3", ["fluidsynth", "/usr/share/sounds/sf2/OPL-3_FM_128M.sf2"]),
    ("musescore", ["fluidsynth", "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3"]),
]
# Loading MuseScore General costs seconds per file: one file in five uses it.
SOUND_TURNS = [0, 1, 2, 0, 3, 1, 2, 0, 1, 2]

# lame options by turn.
ENCODINGS = [
    ["--resample", "44.1", "-b", "192"],
    ["--resample", "48", "-m", "m", "-b", "96"],
    ["--resample", "44.1", "-V", "4"],
    ["--resample", "32", "-m", "j", "-b", "128"],
    ["--resample", "44.1", "-m", "s", "-b", "256"],
    ["--resample", "22.05", "-m", "j", "-V", "6"],
    ["--resample", "48", "-V", "2"],
]

# genre: (lowest tempo, highest tempo, songs)
MIDI_GENRES = {
    "pop": (85, 130, 10), "dance": (118, 135, 10), "halftime": (160, 200, 10),
    "punk": (160, 200, 8), "dnb": (165, 178, 8), "shuffle": (90, 160, 10),
    "swing": (110, 200, 10), "blues128": (55, 85, 8), "sixeight": (60, 100, 8),
    "trap": (130, 160, 8), "reggae": (70, 100, 10), "ska": (140, 180, 9),
    "poly32": (90, 140, 9), "poly43": (90, 140, 9), "nodrums": (70, 140, 10),
    "ballad": (65, 90, 7), "waltz": (90, 180, 8), "bossa": (120, 145, 7),
    "chiptune": (120, 180, 9), "bluegrass": (150, 200, 9), "metal": (150, 200, 9),
    "funk": (95, 115, 7), "boombap": (84, 98, 7),
}
# Further songs of every genre, numbered on after the first ones.
MIDI_MORE = 4

# style: (lowest tempo, highest tempo, files)
PATTERN_STYLES = {
    "house": (118, 132, 4), "techno": (124, 148, 4), "breakbeat": (92, 140, 4),
    "dnb": (160, 178, 4), "hiphop": (80, 100, 4), "shuffle": (90, 160, 4),
    "breakdown": (118, 132, 3), "waltz": (90, 180, 4), "sixeight": (55, 100, 4),
    "dembow": (88, 102, 4), "pluck": (80, 140, 4),
}

# Bare pulses (tempyra-beatgen: a 200 Hz burst on every beat, nothing else)
# and tempyra-drumgen's loops: (style, lowest tempo, highest tempo, files).
PULSES = [("pulse", 55, 190, 60), ("house", 118, 135, 2), ("breaks", 85, 175, 3),
          ("steady", 90, 175, 3)]

# ABC tunes: file, tune number, range of the beat's tempo.
TUNES = [
    ("abcmidi/examples/araber.abc", 47, 80, 130), ("abcmidi/examples/baym_rebin.abc", 63, 80, 130),
    ("abcmidi/examples/boys.abc", 3, 90, 120), ("abcmidi/examples/coleraine.abc", 8, 90, 120),
    ("abcmidi/examples/demo.abc", 1, 90, 140), ("abcmidi/examples/demo.abc", 2, 90, 140),
    ("abcmidi/examples/demo.abc", 4, 90, 130), ("abcmidi/examples/demo.abc", 5, 90, 140),
    ("abcmidi/examples/demo.abc", 7, 90, 130), ("abcmidi/examples/demo.abc", 8, 90, 140),
    ("abcmidi/examples/dergasn.abc", 145, 60, 100), ("abcm2ps/examples/accordion.abc", 3, 90, 110),
    ("abcm2ps/examples/chinese.abc", 1, 70, 120), ("abcm2ps/examples/sample2.abc", 3, 80, 110),
    ("abcm2ps/examples/sample4.abc", 2, 80, 110), ("abcm2ps/examples/sample5.abc", 1, 80, 140),
]

# module genre: (lowest tempo, highest tempo, files); tempi are whole numbers.
MODULE_GENRES = {"four": (118, 140, 5), "breaks": (85, 110, 5), "fast": (160, 190, 5),
                 "shuffle": (90, 140, 5), "offbeat": (75, 100, 4), "tresillo": (95, 125, 4)}

# The training set (--train): songs of every MIDI genre, modules of every
# module genre and a share of the pulses, named with TRAIN_PREFIX.
TRAIN_PREFIX = "train-"
TRAIN_SONGS = 10
TRAIN_MODULES = 4
TRAIN_PULSE_SHARE = 0.5


def run(args, **kw):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)


def file_hash(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def seeded(name):
    return random.Random(int(hashlib.sha256(name.encode()).hexdigest()[:12], 16))


class Item:
    """One file of the set: how to make it and what it is."""

    def __init__(self, name, genre, source, bpm, seconds, recipe, make, turn):
        self.name, self.genre, self.source = name, genre, source
        self.bpm, self.seconds, self.make, self.turn = bpm, seconds, make, turn
        self.key = hashlib.sha256((recipe + repr(ENCODINGS[turn % len(ENCODINGS)]))
                                  .encode()).hexdigest()[:12]
        self.file = "%s-%s.mp3" % (name, self.key)


def encode(wav, mp3, seconds, turn, work):
    trimmed = os.path.join(work, "trim.wav")
    # The excerpt: the first `seconds`, faded out over the last second.
    run(["sox", wav, "-b", "16", trimmed, "trim", "0", "%.3f" % seconds, "fade", "t", "0",
         "%.3f" % seconds, "1"])
    run(["lame", "--quiet"] + ENCODINGS[turn % len(ENCODINGS)] + [trimmed, mp3 + ".part"])
    os.replace(mp3 + ".part", mp3)


def make_midi(item, work, out):
    mid = os.path.join(work, "song.mid")
    wav = os.path.join(work, "song.wav")
    sound = SOUNDS[SOUND_TURNS[item.turn % len(SOUND_TURNS)]][1]
    if sound[0] == "timidity":
        run(sound + ["-Ow", "-s", "44100", "-o", wav, mid])
    else:
        run(["fluidsynth", "-ni", "-q", "-F", wav, "-r", "44100", sound[1], mid])
    encode(wav, out, item.seconds, item.turn, work)


def midi_items(build, prefix="", per_genre=None):
    items = []
    script = file_hash(os.path.join(HERE, "midi_song.py"))
    turn = 0
    if per_genre is None:
        songs = [(genre, low, high, k) for genre, (low, high, count) in MIDI_GENRES.items()
                 for k in range(count)]
        songs += [(genre, low, high, count + k)
                  for genre, (low, high, count) in MIDI_GENRES.items() for k in range(MIDI_MORE)]
    else:
        songs = [(genre, low, high, k) for genre, (low, high, _) in MIDI_GENRES.items()
                 for k in range(per_genre)]
    for genre, low, high, k in songs:
        name = "%smidi-%s-%d" % (prefix, genre, k + 1)
        rng = seeded(name)
        bpm = round(rng.uniform(low, high), 2)
        seconds = rng.randint(30, 60)
        seed = rng.randrange(1 << 30)
        sound = SOUNDS[SOUND_TURNS[turn % len(SOUND_TURNS)]][0]
        # The tempo a MIDI tempo event states (whole microseconds per beat).
        written = 60_000_000 / round(60_000_000 / bpm)

        def make(item, work, out, genre=genre, bpm=bpm, seed=seed):
            run([sys.executable, os.path.join(HERE, "midi_song.py"), genre, str(bpm),
                 str(item.seconds + 8), str(seed), os.path.join(work, "song.mid")])
            make_midi(item, work, out)

        recipe = "midi %s %s %s %d %s %s" % (script, genre, bpm, seed, seconds, sound)
        items.append(Item(name, genre, "midi-" + sound, written, seconds, recipe, make, turn))
        turn += 1
    return items


def module_items(build, prefix="", per_genre=None):
    items = []
    script = file_hash(os.path.join(HERE, "tracker_module.py"))
    turn = 3
    for genre, (low, high, count) in MODULE_GENRES.items():
        for k in range(count if per_genre is None else per_genre):
            name = "%smod-%s-%d" % (prefix, genre, k + 1)
            rng = seeded(name)
            bpm = rng.randint(low, high)
            seconds = rng.randint(30, 60)
            seed = rng.randrange(1 << 30)

            def make(item, work, out, genre=genre, bpm=bpm, seed=seed):
                mod = os.path.join(work, "song.mod")
                wav = os.path.join(work, "song.wav")
                run([sys.executable, os.path.join(HERE, "tracker_module.py"), genre, str(bpm),
                     str(item.seconds + 4), str(seed), mod])
                run(["openmpt123", "--quiet", "--batch", "--force", "--samplerate", "44100",
                     "--channels", "2", "--output", wav, mod])
                encode(wav, out, item.seconds, item.turn, work)

            recipe = "module %s %s %d %d %d" % (script, genre, bpm, seed, seconds)
            items.append(Item(name, "module-" + genre, "module", float(bpm), seconds, recipe, make,
                              turn))
            turn += 1
    return items


def pattern_items(build):
    gen = os.path.join(build, "tools", "patterngen", "tempyra-patterngen")
    tool = file_hash(gen)
    items = []
    turn = 1
    for style, (low, high, count) in PATTERN_STYLES.items():
        for k in range(count):
            name = "pattern-%s-%d" % (style, k + 1)
            rng = seeded(name)
            bpm = round(rng.uniform(low, high), 2)
            seconds = rng.randint(30, 60)

            def make(item, work, out, style=style, bpm=bpm, k=k):
                wav = os.path.join(work, "p.wav")
                run([gen, wav, style, "%.2f" % bpm, str(item.seconds + 2), "44100", str(k + 9100)])
                encode(wav, out, item.seconds, item.turn, work)

            recipe = "pattern %s %s %.2f %d %d" % (tool, style, bpm, seconds, k)
            items.append(Item(name, "pattern-" + style, "patterngen", bpm, seconds, recipe, make,
                              turn))
            turn += 1
    return items


def pulse_items(build, prefix="", share=1.0):
    beatgen = os.path.join(build, "tools", "beatgen", "tempyra-beatgen")
    drumgen = os.path.join(build, "tools", "drumgen", "tempyra-drumgen")
    tools = file_hash(beatgen)[:16] + file_hash(drumgen)[:16]
    items = []
    turn = 4
    for style, low, high, count in PULSES:
        for k in range(int(round(count * share))):
            name = "%s%s-%s-%d" % (prefix, "pulse" if style == "pulse" else "drumgen", style,
                                   k + 1)
            rng = seeded(name)
            seconds = rng.randint(30, 60)
            if style == "pulse":
                # A whole number of samples between beats: the tempo is exact.
                interval = int(44100 * 60 / rng.uniform(low, high))
                bpm = 44100 * 60 / interval

                def make(item, work, out, interval=interval):
                    wav = os.path.join(work, "b.wav")
                    run([beatgen, wav, "44100", str(interval), str(44100 * (item.seconds + 1)),
                         "2"])
                    encode(wav, out, item.seconds, item.turn, work)

                recipe = "pulse %s %d %d" % (tools, interval, seconds)
                genre = "pulse"
            else:
                bpm = round(rng.uniform(low, high), 2)

                def make(item, work, out, style=style, bpm=bpm):
                    wav = os.path.join(work, "d.wav")
                    run([drumgen, wav, "%.2f" % bpm, str(item.seconds + 1), "44100", style])
                    encode(wav, out, item.seconds, item.turn, work)

                recipe = "drumgen %s %s %.2f %d" % (tools, style, bpm, seconds)
                genre = "drumgen-" + style
            items.append(Item(name, genre, "beatgen" if style == "pulse" else "drumgen", bpm,
                              seconds, recipe, make, turn))
            turn += 1
    return items


def abc_items(build):
    script = file_hash(os.path.join(HERE, "abc_tune.py"))
    items = []
    turn = 2
    for path, x, low, high in TUNES:
        name = "abc-%s-%d" % (os.path.basename(path)[:-4], x)
        rng = seeded(name)
        tempo = rng.randint(low, high)
        speed = round(rng.uniform(0.97, 1.03), 4)

        def make(item, work, out, path=path, x=x, tempo=tempo, speed=speed):
            abc = os.path.join(work, "t.abc")
            with open(abc, "w") as f:
                subprocess.run([sys.executable, os.path.join(HERE, "abc_tune.py"),
                                os.path.join("/usr/share/doc", path), str(x), str(tempo), "2",
                                "drums"], stdout=f, stderr=subprocess.DEVNULL, check=True)
            mid, wav, fast = (os.path.join(work, n) for n in ("t.mid", "t.wav", "s.wav"))
            run(["abc2midi", abc, "-o", mid])
            run(["timidity", "-c", "/etc/timidity/freepats.cfg", "-Ow", "-s", "44100", "-o", wav,
                 mid])
            run(["sox", wav, fast, "speed", str(speed), "rate", "44100"])
            encode(fast, out, item.seconds, item.turn, work)

        recipe = "abc %s %s %d %d %s" % (script, path, x, tempo, speed)
        items.append(Item(name, "abc", "abc-timidity", tempo * speed, 40, recipe, make, turn))
        turn += 1
    return items


def make_one(item, set_dir):
    out = os.path.join(set_dir, item.file)
    if os.path.exists(out):
        return item, None
    work = tempfile.mkdtemp(prefix="tempyra-eval-")
    try:
        item.make(item, work, out)
        return item, None
    except (subprocess.CalledProcessError, OSError) as e:
        return item, str(e)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    build, set_dir = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    jobs = int(sys.argv[sys.argv.index("--jobs") + 1]) if "--jobs" in sys.argv else 1
    os.makedirs(set_dir, exist_ok=True)
    train = "--train" in sys.argv
    # Files not in the set are removed below: a training set must never be
    # made into the evaluation set's folder, nor the other way round.
    listing = os.path.join(set_dir, "truth.tsv")
    if os.path.exists(listing):
        halves = {line.rstrip("\n").split("\t")[-1] for line in open(listing) if line.strip()}
        if halves and (halves == {"train"}) != train:
            sys.exit("%s holds %s set; make the %s set into another folder" %
                     (set_dir, "a training" if "train" in halves else "an evaluation",
                      "training" if train else "evaluation"))
    if train:
        items = (midi_items(build, TRAIN_PREFIX, TRAIN_SONGS) +
                 module_items(build, TRAIN_PREFIX, TRAIN_MODULES) +
                 pulse_items(build, TRAIN_PREFIX, TRAIN_PULSE_SHARE))
    else:
        items = (midi_items(build) + module_items(build) + pattern_items(build) +
                 pulse_items(build) + abc_items(build))
    missing = [i for i in items if not os.path.exists(os.path.join(set_dir, i.file))]
    if missing:
        print("making %d of %d evaluation files in %s" % (len(missing), len(items), set_dir),
              flush=True)
    failed = 0
    done = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for item, error in pool.map(lambda i: make_one(i, set_dir), missing):
            done += 1
            if error:
                failed += 1
                print("  %s: failed (%s)" % (item.name, error), file=sys.stderr)
            if done % 20 == 0 or done == len(missing):
                print("  %d/%d" % (done, len(missing)), flush=True)
    wanted = {i.file for i in items}
    for stale in os.listdir(set_dir):
        if stale.endswith(".mp3") and stale not in wanted:
            os.remove(os.path.join(set_dir, stale))
    with open(os.path.join(set_dir, "truth.tsv.part"), "w") as f:
        for i in sorted(items, key=lambda i: i.name):
            path = os.path.join(set_dir, i.file)
            if not os.path.exists(path):
                continue
            half = "train" if train else "dev" if int(file_hash(path)[:2], 16) < 128 else "held"
            f.write("%s\t%.4f\t%s\t%s\t%s\n" % (i.file, i.bpm, i.genre, i.source, half))
    os.replace(os.path.join(set_dir, "truth.tsv.part"), os.path.join(set_dir, "truth.tsv"))
    print("%s set: %d files in %s" % ("training" if train else "evaluation", len(items) - failed,
                                      set_dir))
    if failed:
        sys.exit("%d files could not be made" % failed)


main()
