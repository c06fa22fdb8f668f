#!/usr/bin/env python3
"""Prints the evaluation tables from the true tempi and each estimator's results.

    score.py TRUTH.tsv RESULTS.tsv

TRUTH.tsv: file, true tempo, genre, source, half ("dev" or "held").
RESULTS.tsv: estimator, file, measured tempo (empty or non-numeric when it
gave none) and, for the precise estimator, its confidence, alternative and
the alternative's confidence.

Prints, for the held-out half, the development half and both: every
estimator's Acc1 (the share of files read within 4 % of the true tempo),
Acc2 (within 4 % of 1/3, 1/2, 1, 2 or 3 times it) and the median absolute
error in BPM over its Acc1 files; then for our two estimators the misses by
class (the ratio of the reading to the true tempo), how many misses the
files of lowest confidence hold, Acc1 by genre, and the set's make-up by
genre and tempo.
"""
import statistics
import sys

CLASSES = [("x2", 2), ("x1/2", 1 / 2), ("x3/2", 3 / 2), ("x2/3", 2 / 3), ("x4/3", 4 / 3),
           ("x3/4", 3 / 4), ("x3", 3), ("x1/3", 1 / 3)]
OURS = ["tempyra --precise", "tempyra (default)"]
WINDOW_UNSURE = 0.8


def number(text):
    try:
        value = float(text)
        return value if value > 0 else None
    except ValueError:
        return None


def near(measured, true, factor=1.0):
    return measured is not None and abs(measured / (true * factor) - 1) <= 0.04


def main():
    truth = {}
    for line in open(sys.argv[1]):
        name, bpm, genre, source, half = line.rstrip("\n").split("\t")
        truth[name] = (float(bpm), genre, source, half)
    results, extra, order = {}, {}, []
    for line in open(sys.argv[2]):
        fields = (line.rstrip("\n").split("\t") + [""] * 6)[:6]
        estimator, name = fields[0], fields[1]
        if estimator not in results:
            results[estimator] = {}
            order.append(estimator)
        results[estimator][name] = number(fields[2])
        if estimator == OURS[0]:
            extra[name] = (number(fields[3]) if fields[3] not in ("", "None") else None,
                           number(fields[4]), number(fields[5]))

    halves = [("held-out half", "held"), ("development half", "dev"), ("whole set", None)]
    for title, half in halves:
        names = [n for n, t in truth.items() if half in (None, t[3])]
        print("%s: %d files" % (title, len(names)))
        print("  %-20s %7s %7s %12s" % ("estimator", "Acc1", "Acc2", "median |err|"))
        for estimator in order:
            acc1 = acc2 = 0
            errors = []
            for n in names:
                true = truth[n][0]
                measured = results[estimator].get(n)
                if near(measured, true):
                    acc1 += 1
                    errors.append(abs(measured - true))
                if any(near(measured, true, f) for f in (1 / 3, 1 / 2, 1, 2, 3)):
                    acc2 += 1
            median = "%.3f" % statistics.median(errors) if errors else "-"
            print("  %-20s %6.1f%% %6.1f%% %12s" % (estimator, 100 * acc1 / len(names),
                                                    100 * acc2 / len(names), median))
        for estimator in OURS:
            if estimator not in results:
                continue
            counts = {}
            for n in names:
                true = truth[n][0]
                measured = results[estimator].get(n)
                if near(measured, true):
                    continue
                label = "other"
                for name, factor in CLASSES:
                    if near(measured, true, factor):
                        label = name
                        break
                counts[label] = counts.get(label, 0) + 1
            print("  misses of %s: %s" % (estimator, ", ".join(
                "%s %d" % (k, counts[k]) for k in [c for c, _ in CLASSES] + ["other"]
                if k in counts) or "none"))
        # Misses against confidence: the share of all misses among the files
        # of lowest confidence.
        scored = [(extra.get(n, (None,))[0], n) for n in names if OURS[0] in results]
        scored = [(c if c is not None else -1.0, n) for c, n in scored]
        misses = [n for n in names if not near(results.get(OURS[0], {}).get(n), truth[n][0])]
        if scored and misses:
            scored.sort()
            curve = []
            for fifth in (0.1, 0.2, 0.3, 0.5):
                low = {n for _, n in scored[:round(fifth * len(scored))]}
                curve.append("lowest %d %%: %d of %d (%.0f %%)" % (
                    100 * fifth, len(low & set(misses)), len(misses),
                    100 * len(low & set(misses)) / len(misses)))
            print("  precise misses by confidence: " + "; ".join(curve))
            hit_conf = [c for c, n in scored if n not in misses]
            miss_conf = [c for c, n in scored if n in misses]
            print("  median confidence: hits %.3f, misses %.3f" % (
                statistics.median(hit_conf) if hit_conf else float("nan"),
                statistics.median(miss_conf)))
            # The window marks a precise result below this confidence for
            # checking (ui/beat_level_fixes.h).
            flagged = {n for c, n in scored if c < WINDOW_UNSURE}
            print("  below the window's %.2f: %d of %d files (%.0f %%), %d of %d misses (%.0f %%)" % (
                WINDOW_UNSURE, len(flagged), len(scored), 100 * len(flagged) / len(scored),
                len(flagged & set(misses)), len(misses),
                100 * len(flagged & set(misses)) / len(misses)))
        print()

    print("Acc1 by genre, whole set (precise / standard / best Debian estimator)")
    genres = sorted({t[1] for t in truth.values()})
    peers = [e for e in order if e not in OURS]
    for genre in genres:
        names = [n for n, t in truth.items() if t[1] == genre]

        def acc(estimator):
            return 100 * sum(near(results[estimator].get(n), truth[n][0]) for n in names) / len(
                names)
        best_peer = max((acc(p) for p in peers), default=float("nan"))
        ours = [acc(e) for e in OURS if e in results]
        print("  %-20s %4d  %s  %5.1f%%" % (genre, len(names),
                                           "  ".join("%5.1f%%" % a for a in ours), best_peer))
    print()
    print("The set by tempo (files per band; dev / held)")
    bands = [(0, 80), (80, 100), (100, 120), (120, 140), (140, 160), (160, 180), (180, 1000)]
    for low, high in bands:
        dev = sum(1 for t in truth.values() if low <= t[0] < high and t[3] == "dev")
        held = sum(1 for t in truth.values() if low <= t[0] < high and t[3] == "held")
        print("  %3d-%-4s %4d / %d" % (low, high if high < 1000 else "", dev, held))
    sources = {}
    for t in truth.values():
        sources[t[2]] = sources.get(t[2], 0) + 1
    print("By source: " + ", ".join("%s %d" % kv for kv in sorted(sources.items())))


main()
