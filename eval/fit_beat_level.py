#!/usr/bin/env python3
"""Refits the beat-level decision's weights (engine/beat_level.cpp) on the
development half of the evaluation set.

    fit_beat_level.py TRUTH.tsv FEATURES.tsv [--train TRUTH.tsv FEATURES.tsv]
                      [--write SOURCE.cpp] [--l2 X]

FEATURES.tsv is what tempyra-levelfeatures prints for the files of the set.
Only files whose half in TRUTH.tsv is "dev" are read; the held-out half
stays unseen. --train adds the files of a training set (make_eval_set.py
--train) to every fit; the accuracies printed are those of the development
half alone, the cross-validated one over folds of the development half
(each fold's fit reads the training set and the other folds).

The decision gives every candidate the probability softmax(w . features),
each weight a constant plus a slope times log2(tempo / 120) (so the fit
sees every feature twice, once as it is and once times that number); the fit maximises the log-probability of the right
candidate (the one within 4 % of the true tempo; files with none are left
out) less an L2 penalty, by Adam on standardised features. It prints the
development half's Acc1 under the weights in the source and under the new
ones, with a five-fold cross-validated Acc1 for each penalty tried, and with
--write replaces the weights between the BEGIN WEIGHTS and END WEIGHTS lines
of SOURCE.cpp.
"""
import math
import operator
import os
import random
import re
import sys

NAMES = [
    "log2(tempo / 120)", "its square", "correlation at the beat", "at two beats",
    "at half a beat", "at a third of a beat", "at three beats", "at four beats",
    "grid at half the beat frequency", "at the beat frequency", "at three halves of it",
    "at twice it", "at three times it", "the standard estimate agrees", "it reads an octave away",
    "it reads three to two away", "the scan's own pick", "tempo by onset density",
    "kick at half the beat frequency", "kick at the beat frequency", "kick at twice it",
    "snare at half the beat frequency", "snare at the beat frequency", "beats without an onset",
    "snare with kick and hats at the beat frequency", "at half of it",
    "grid at a quarter of the beat frequency", "at four times it",
    "kick at a quarter of the beat frequency", "snare at a quarter of it", "every other beat empty",
    "grid at half the beat frequency less at it",
]


def load(truth_path, features_path, half="dev"):
    truth = {}
    for line in open(truth_path):
        name, bpm, genre, source, part = line.rstrip("\n").split("\t")
        truth[name] = (float(bpm), part)
    files = {}
    for line in open(features_path):
        parts = line.rstrip("\n").split("\t")
        name = os.path.basename(parts[0])
        if name not in truth or truth[name][1] != half or parts[1] == "failed":
            continue
        features = [float(x) for x in parts[3:]]
        if len(features) != len(NAMES):
            sys.exit("%s: %d features, %d expected (rebuild tempyra-levelfeatures)" %
                     (features_path, len(features), len(NAMES)))
        octaves = features[0]
        files.setdefault(name, []).append((float(parts[2]),
                                           features + [octaves * x for x in features]))
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
    # The sums run over columns of all candidates at once (map in C), not
    # over single values in Python.
    rows = [f for _, candidates, _, _ in data for f in candidates]
    n = len(rows)
    columns = []
    scale = []
    for k in range(count):
        column = [r[k] for r in rows]
        mean = sum(column) / n
        spread = math.sqrt(sum((x - mean) ** 2 for x in column) / n) or 1.0
        columns.append([(x - mean) / spread for x in column])
        scale.append(spread)
    scaled_rows = [list(r) for r in zip(*columns)]
    files = []  # (first row, number of rows, right row)
    at = 0
    for _, candidates, right, _ in data:
        files.append((at, len(candidates), at + right))
        at += len(candidates)
    w = [0.0] * count
    m1 = [0.0] * count
    m2 = [0.0] * count
    rate, beta1, beta2 = 0.05, 0.9, 0.999
    share = 1.0 / len(files)
    for t in range(1, iterations + 1):
        scores = [sum(map(operator.mul, w, r)) for r in scaled_rows]
        coefficients = [0.0] * n
        for first, length, right in files:
            top = max(scores[first:first + length])
            e = [math.exp(x - top) for x in scores[first:first + length]]
            total = sum(e)
            for i in range(length):
                coefficients[first + i] = e[i] / total * share
            coefficients[right] -= share
        for k in range(count):
            g = l2 * w[k] + sum(map(operator.mul, coefficients, columns[k]))
            m1[k] = beta1 * m1[k] + (1 - beta1) * g
            m2[k] = beta2 * m2[k] + (1 - beta2) * g * g
            w[k] -= rate * (m1[k] / (1 - beta1 ** t)) / (math.sqrt(m2[k] / (1 - beta2 ** t)) + 1e-8)
    return [wk / s for wk, s in zip(w, scale)]


def read_weights(source):
    """Both blocks of the source's weights, constants first, as one list."""
    text = open(source).read()
    block = text[text.index("// BEGIN WEIGHTS"):text.index("// END WEIGHTS")]
    return [float(x) for x in re.findall(r"^\s*(-?[0-9.e+-]+),", block, re.M)]


def write_weights(source, weights):
    text = open(source).read()
    start = text.index("// BEGIN WEIGHTS")
    end = text.index("// END WEIGHTS")
    lines = ["// BEGIN WEIGHTS"]
    for array, part in (("kWeights", weights[:len(NAMES)]),
                        ("kWeightsPerOctave", weights[len(NAMES):])):
        lines.append("constexpr BeatLevel::Features %s = {" % array)
        for w, name in zip(part, NAMES):
            lines.append("    %.4f,  // %s" % (w, name))
        lines.append("};")
    with open(source, "w") as f:
        f.write(text[:start] + "\n".join(lines) + "\n" + text[end:])


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        sys.exit(__doc__)
    data, missing, total = load(args[0], args[1])
    extra = []
    if "--train" in args:
        at = args.index("--train")
        extra, extra_missing, extra_total = load(args[at + 1], args[at + 2], "train")
        print("training files: %d, of which %d have no candidate within 4 %%" %
              (extra_total, extra_missing))
    count = 2 * len(NAMES)
    source = args[args.index("--write") + 1] if "--write" in args else None
    print("development files: %d, of which %d have no candidate within 4 %%" % (total, missing))
    if source:
        old = read_weights(source)
        if len(old) != count:
            old = [0.0] * count
        print("weights in the source: Acc1 %.1f %%" % (100 * accuracy(data, old) / total))
    penalties = [float(args[args.index("--l2") + 1])] if "--l2" in args else [0.001, 0.002, 0.004, 0.01]
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
            weights = fit(train + extra, count, l2)
            hits += accuracy(test, weights)
            miss_classes(test, weights, classes)
        print("L2 %.4f: cross-validated Acc1 %.1f %% (level misses: %s)" % (
            l2, 100 * hits / total, ", ".join("%s %d" % kv for kv in sorted(classes.items()))),
            flush=True)
        if best is None or hits > best[0]:
            best = (hits, l2)
    weights = fit(data + extra, count, best[1])
    print("refitted (L2 %.4f): Acc1 %.1f %% on the development half" %
          (best[1], 100 * accuracy(data, weights) / total))
    for w, slope, name in zip(weights, weights[len(NAMES):], NAMES):
        print("  %9.4f %+9.4f per octave  %s" % (w, slope, name))
    if source:
        write_weights(source, weights)
        print("written to", source)


main()
