#!/usr/bin/env python3
"""Refits the beat-level decision's weights (engine/beat_level.cpp) on the
development half of the evaluation set.

    fit_beat_level.py TRUTH.tsv FEATURES.tsv [--write SOURCE.cpp] [--l2 X]

FEATURES.tsv is what tempyra-levelfeatures prints for the files of the set.
Only files whose half in TRUTH.tsv is "dev" are read; the held-out half
stays unseen. The decision gives every candidate the probability
softmax(w . features); the fit maximises the log-probability of the right
candidate (the one within 4 % of the true tempo; files with none are left
out) less an L2 penalty, by Adam on standardised features. It prints the
development half's Acc1 under the weights in the source and under the new
ones, with a five-fold cross-validated Acc1 for each penalty tried, and with
--write replaces the weights between the BEGIN WEIGHTS and END WEIGHTS lines
of SOURCE.cpp.
"""
import math
import os
import random
import re
import sys

NAMES = [
    "log2(tempo / 120)", "its square", "correlation at the beat", "at two beats",
    "at half a beat", "at a third of a beat", "at three beats", "at four beats", "grid at half the beat frequency",
    "at the beat frequency", "at three halves of it", "at twice it", "at three times it",
    "the standard estimate agrees", "it reads an octave away", "it reads three to two away",
    "the scan's own pick", "tempo by onset density", "kick at half the beat frequency",
    "kick at the beat frequency", "kick at twice it", "snare at half the beat frequency",
    "snare at the beat frequency", "beats without an onset", "hats at the beat frequency",
    "hats at twice it",
]


def load(truth_path, features_path):
    truth = {}
    for line in open(truth_path):
        name, bpm, genre, source, half = line.rstrip("\n").split("\t")
        truth[name] = (float(bpm), half)
    files = {}
    for line in open(features_path):
        parts = line.rstrip("\n").split("\t")
        name = os.path.basename(parts[0])
        if name not in truth or truth[name][1] != "dev" or parts[1] == "failed":
            continue
        files.setdefault(name, []).append((float(parts[2]), [float(x) for x in parts[3:]]))
    data = []
    missing = 0
    for name, candidates in sorted(files.items()):
        true = truth[name][0]
        right = [i for i, (bpm, _) in enumerate(candidates) if abs(bpm / true - 1) <= 0.04]
        if not right:
            missing += 1
            continue
        best = min(right, key=lambda i: abs(candidates[i][0] / true - 1))
        data.append((name, [f for _, f in candidates], best, [b / true for b, _ in candidates]))
    return data, missing, len(files)


def accuracy(data, weights):
    hits = 0
    for _, candidates, right, _ in data:
        scores = [sum(w * x for w, x in zip(weights, f)) for f in candidates]
        hits += max(range(len(scores)), key=scores.__getitem__) == right
    return hits


def miss_classes(data, weights, counts):
    """Adds the misses under the weights to counts, by the ratio read."""
    for name, candidates, right, ratios in data:
        scores = [sum(w * x for w, x in zip(weights, f)) for f in candidates]
        chosen = max(range(len(scores)), key=scores.__getitem__)
        if chosen == right:
            continue
        label = "other"
        for text, factor in (("x2", 2), ("x1/2", 0.5), ("x3/2", 1.5), ("x2/3", 2 / 3),
                             ("x4/3", 4 / 3), ("x3/4", 0.75), ("x3", 3), ("x1/3", 1 / 3)):
            if abs(ratios[chosen] / factor - 1) <= 0.04:
                label = text
        counts[label] = counts.get(label, 0) + 1


def fit(data, count, l2, iterations=600):
    # Standardise each feature over all candidates, fit, then scale back.
    rows = [f for _, candidates, _, _ in data for f in candidates]
    mean = [sum(r[k] for r in rows) / len(rows) for k in range(count)]
    scale = [math.sqrt(sum((r[k] - mean[k]) ** 2 for r in rows) / len(rows)) or 1.0
             for k in range(count)]
    scaled = [([[(x - m) / s for x, m, s in zip(f, mean, scale)] for f in c], right)
              for _, c, right, _ in data]
    w = [0.0] * count
    m1 = [0.0] * count
    m2 = [0.0] * count
    rate, beta1, beta2 = 0.05, 0.9, 0.999
    for t in range(1, iterations + 1):
        grad = [l2 * x for x in w]
        for candidates, right in scaled:
            scores = [sum(a * b for a, b in zip(w, f)) for f in candidates]
            top = max(scores)
            e = [math.exp(s - top) for s in scores]
            total = sum(e)
            for p, f, i in zip(e, candidates, range(len(candidates))):
                g = p / total - (1.0 if i == right else 0.0)
                for k in range(count):
                    grad[k] += g * f[k] / len(scaled)
        for k in range(count):
            m1[k] = beta1 * m1[k] + (1 - beta1) * grad[k]
            m2[k] = beta2 * m2[k] + (1 - beta2) * grad[k] ** 2
            w[k] -= rate * (m1[k] / (1 - beta1 ** t)) / (math.sqrt(m2[k] / (1 - beta2 ** t)) + 1e-8)
    return [wk / s for wk, s in zip(w, scale)]


def read_weights(source):
    text = open(source).read()
    block = text[text.index("// BEGIN WEIGHTS"):text.index("// END WEIGHTS")]
    return [float(x) for x in re.findall(r"^\s*(-?[0-9.e+-]+),", block, re.M)]


def write_weights(source, weights):
    text = open(source).read()
    start = text.index("// BEGIN WEIGHTS")
    end = text.index("// END WEIGHTS")
    lines = ["// BEGIN WEIGHTS", "constexpr BeatLevel::Features kWeights = {"]
    for w, name in zip(weights, NAMES):
        lines.append("    %.4f,  // %s" % (w, name))
    lines.append("};")
    with open(source, "w") as f:
        f.write(text[:start] + "\n".join(lines) + "\n" + text[end:])


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        sys.exit(__doc__)
    data, missing, total = load(args[0], args[1])
    count = len(NAMES)
    source = args[args.index("--write") + 1] if "--write" in args else None
    print("development files: %d, of which %d have no candidate within 4 %%" % (total, missing))
    if source:
        old = read_weights(source)
        print("weights in the source: Acc1 %.1f %%" % (100 * accuracy(data, old) / total))
    penalties = [float(args[args.index("--l2") + 1])] if "--l2" in args else [0.003, 0.01, 0.03, 0.3]
    folds = 5
    order = list(range(len(data)))
    random.Random(1).shuffle(order)
    best = None
    for l2 in penalties:
        hits = 0
        classes = {}
        for k in range(folds):
            test = [data[i] for j, i in enumerate(order) if j % folds == k]
            train = [data[i] for j, i in enumerate(order) if j % folds != k]
            weights = fit(train, count, l2)
            hits += accuracy(test, weights)
            miss_classes(test, weights, classes)
        print("L2 %.3f: cross-validated Acc1 %.1f %% (level misses: %s)" % (
            l2, 100 * hits / total, ", ".join("%s %d" % kv for kv in sorted(classes.items()))))
        if best is None or hits > best[0]:
            best = (hits, l2)
    weights = fit(data, count, best[1])
    print("refitted (L2 %.3f): Acc1 %.1f %% on the development half" %
          (best[1], 100 * accuracy(data, weights) / total))
    for w, name in zip(weights, NAMES):
        print("  %9.4f  %s" % (w, name))
    if source:
        write_weights(source, weights)
        print("written to", source)


main()
