#!/usr/bin/env python3
"""Prepares one tune of an ABC file for rendering at a known tempo.

    abc_tune.py FILE.abc X TEMPO REPEATS [drums] > tune.abc

Takes tune X (from its "X:" line to the next blank line), drops its own
tempo fields, sets the beat to TEMPO per minute (the beat is a quarter note
in simple metres, a dotted quarter in 3/8, 6/8, 9/8 and 12/8), writes the body
REPEATS times over, and with "drums" adds a drum part of kick, snare and hat
on the metre's beats (abc2midi's %%MIDI drum). Prints the metre's beat unit
on standard error ("1/4" or "3/8"), so the caller knows what TEMPO counts.
"""
import re
import sys

DRUMS = {
    # metre: (pattern, instruments, velocities); one character per equal part of the bar
    "2/4": ("dd", "36 38", "100 90"),
    "3/4": ("ddd", "36 42 42", "100 70 70"),
    "4/4": ("dddd", "36 38 36 38", "100 90 95 90"),
    "C": ("dddd", "36 38 36 38", "100 90 95 90"),
    "C|": ("dddd", "36 38 36 38", "100 90 95 90"),
    "2/2": ("dddd", "36 38 36 38", "100 90 95 90"),
    "6/8": ("dzzdzz", "36 38", "100 90"),
    "9/8": ("dzzdzzdzz", "36 38 38", "100 85 85"),
    "12/8": ("dzzdzzdzzdzz", "36 38 36 38", "100 90 95 90"),
    "3/8": ("dzz", "36", "100"),
}


def main():
    path, number, tempo, repeats = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    drums = len(sys.argv) > 5 and sys.argv[5] == "drums"
    text = open(path, encoding="utf-8", errors="replace").read().split("\n")
    start = next(i for i, line in enumerate(text) if re.match(r"X:\s*%s\s*$" % number, line))
    end = start
    while end < len(text) and text[end].strip() != "":
        end += 1
    tune = text[start:end]
    k = next(i for i, line in enumerate(tune) if line.startswith("K:"))
    header = [line for line in tune[:k + 1] if not line.startswith("Q:")]
    body = [line for line in tune[k + 1:] if not line.startswith("Q:")]
    metre = next((line[2:].strip() for line in header if line.startswith("M:")), "4/4")
    unit = "3/8" if metre in ("3/8", "6/8", "9/8", "12/8") else "1/4"
    sys.stderr.write(unit + "\n")
    out = [header[0], "Q:%s=%s" % (unit, tempo)] + header[1:]
    if drums and metre in DRUMS:
        pattern, instruments, velocities = DRUMS[metre]
        out += ["%%%%MIDI drum %s %s %s" % (pattern, instruments, velocities), "%%MIDI drumon"]
    for _ in range(repeats):
        out += body
    print("\n".join(out) + "\n")


main()
