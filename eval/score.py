#!/usr/bin/env python3
"""Prints the evaluation table from the true tempi and each estimator's results.

    score.py TRUTH.tsv RESULTS.tsv

TRUTH.tsv: file, true tempo, kind. RESULTS.tsv: estimator, file, measured
tempo (empty or non-numeric when it gave none). For every estimator and
kind of track: Acc1, the share of files read within 4 % of the true tempo;
Acc2, within 4 % of 1/3, 1/2, 1, 2 or 3 times it; and the median absolute
error in BPM over the files it read within 4 % (Acc1's files).
"""
import statistics
import sys


def main():
    truth = {}
    for line in open(sys.argv[1]):
        name, bpm, kind = line.rstrip("\n").split("\t")
        truth[name] = (float(bpm), kind)
    results = {}
    order = []
    for line in open(sys.argv[2]):
        estimator, name, value = (line.rstrip("\n").split("\t") + [""])[:3]
        if estimator not in results:
            results[estimator] = {}
            order.append(estimator)
        try:
            results[estimator][name] = float(value)
        except ValueError:
            results[estimator][name] = None
    kinds = sorted({kind for _, kind in truth.values()})
    print("%-22s %-10s %5s %7s %7s %12s" % ("estimator", "tracks", "n", "Acc1", "Acc2",
                                             "median |err|"))
    for estimator in order:
        for kind in kinds + ["all"]:
            names = [n for n, (_, k) in truth.items() if kind in ("all", k)]
            acc1 = acc2 = 0
            errors = []
            for name in names:
                true, _ = truth[name]
                measured = results[estimator].get(name)
                if measured is None or measured <= 0:
                    continue
                if abs(measured / true - 1) <= 0.04:
                    acc1 += 1
                    errors.append(abs(measured - true))
                if any(abs(measured / (true * f) - 1) <= 0.04 for f in (1 / 3, 1 / 2, 1, 2, 3)):
                    acc2 += 1
            median = "%.3f" % statistics.median(errors) if errors else "-"
            print("%-22s %-10s %5d %6.1f%% %6.1f%% %12s" % (estimator, kind, len(names),
                                                        100 * acc1 / len(names),
                                                        100 * acc2 / len(names), median))
        print()


main()
