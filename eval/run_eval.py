#!/usr/bin/env python3
"""`make eval`: the tempo evaluation.

    run_eval.py BUILD_DIR SET_DIR [--jobs N]

Makes the evaluation set if needed (make_eval_set.py), runs on every file
our precise estimator (tempyra-cli analyze --precise --format json), our
standard estimator (tempyra-cli analyze) and three estimators from Debian
run as black boxes with their own default settings (bpm from bpm-tools,
aubio tempo, soundstretch -bpm; they read the file as mpg123 decodes it),
and prints the tables of score.py. The Debian estimators' readings are kept
in SET_DIR/peers.tsv, since a file of the set never changes under its name;
every result is also written to BUILD_DIR/eval/results.tsv (estimator,
file, tempo, confidence, alternative, alternative's confidence).
"""
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PEERS = ["bpm (bpm-tools)", "aubio tempo", "soundstretch -bpm"]


def peer_readings(path, work):
    wav = os.path.join(work, "x.wav")
    subprocess.run(["mpg123", "-q", "-w", wav, path], check=True, stderr=subprocess.DEVNULL)
    out = {}
    raw = subprocess.run(["sox", wav, "-t", "raw", "-r", "44100", "-e", "float", "-c", "1", "-"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    value = subprocess.run(["bpm"], input=raw, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL).stdout.decode().strip()
    out[PEERS[0]] = value
    lines = subprocess.run(["aubio", "tempo", "-i", wav], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL).stdout.decode().splitlines()
    values = [l.split()[0] for l in lines if l.endswith(" bpm")]
    out[PEERS[1]] = values[-1] if values else ""
    text = subprocess.run(["soundstretch", wav, "-bpm"], stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT).stdout.decode(errors="replace")
    value = ""
    for line in text.splitlines():
        if line.startswith("Detected BPM rate "):
            value = line.split()[3]
    out[PEERS[2]] = value
    return out


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    build, set_dir = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    jobs = sys.argv[sys.argv.index("--jobs") + 1] if "--jobs" in sys.argv else "1"
    subprocess.run([sys.executable, os.path.join(HERE, "make_eval_set.py"), build, set_dir,
                    "--jobs", jobs], check=True)
    cli = os.path.join(build, "cli", "tempyra-cli")
    truth = [line.split("\t")[0] for line in open(os.path.join(set_dir, "truth.tsv"))]
    paths = [os.path.join(set_dir, name) for name in truth]
    rows = []

    print("precise estimator...", flush=True)
    out = subprocess.run([cli, "analyze", "--quiet", "--precise", "--format", "json", "--jobs",
                          jobs] + paths, stdout=subprocess.PIPE).stdout.decode()
    for line in out.splitlines():
        r = json.loads(line)
        rows.append(("tempyra --precise", os.path.basename(r["path"]),
                     "" if r.get("bpm") is None else str(r["bpm"]),
                     str(r.get("confidence", "")), str(r.get("alternative", "")),
                     str(r.get("alternative_confidence", ""))))
    print("standard estimator...", flush=True)
    out = subprocess.run([cli, "analyze", "--quiet", "--jobs", jobs] + paths,
                         stdout=subprocess.PIPE).stdout.decode()
    for line in out.splitlines():
        bpm, path = line.split("\t", 1)
        rows.append(("tempyra (default)", os.path.basename(path), bpm, "", "", ""))

    cache_path = os.path.join(set_dir, "peers.tsv")
    cache = {}
    if os.path.exists(cache_path):
        for line in open(cache_path):
            peer, name, value = (line.rstrip("\n").split("\t") + [""])[:3]
            cache[(peer, name)] = value
    todo = [n for n in truth if any((p, n) not in cache for p in PEERS)]
    if todo:
        print("Debian estimators on %d files..." % len(todo), flush=True)
    with tempfile.TemporaryDirectory() as work, open(cache_path, "a") as f:
        for i, name in enumerate(todo):
            for peer, value in peer_readings(os.path.join(set_dir, name), work).items():
                cache[(peer, name)] = value
                f.write("%s\t%s\t%s\n" % (peer, name, value))
            f.flush()
            if (i + 1) % 25 == 0:
                print("  %d/%d" % (i + 1, len(todo)), flush=True)
    for peer in PEERS:
        for name in truth:
            rows.append((peer, name, cache.get((peer, name), ""), "", "", ""))

    os.makedirs(os.path.join(build, "eval"), exist_ok=True)
    results = os.path.join(build, "eval", "results.tsv")
    with open(results, "w") as f:
        for row in rows:
            f.write("\t".join(row) + "\n")
    print()
    subprocess.run([sys.executable, os.path.join(HERE, "score.py"),
                    os.path.join(set_dir, "truth.tsv"), results], check=True)


main()
