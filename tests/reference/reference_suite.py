#!/usr/bin/env python3
"""Reference checks: our decoder's PCM against mpg123's on files made at test time.

For each case of a group (reference_cases.py): a test signal is generated
(tempyra-signalgen), encoded by a Debian encoder (lame, twolame, ffmpeg) or
by our test-only Layer I encoder, decoded by mpg123 (float output, no gapless
trimming) and by `tempyra-cli decode`, and the two are aligned and compared
(tempyra-pcmcompare). Band-limited cases must have at least 99.9 % of samples
within +-1 and none beyond +-4 outside the first two frames; every case
reports its signal-to-difference ratio. The "harness" group checks the
harness itself against two reference decoders, so it runs without ours.

Exit status: 0 all passed, 1 something failed, 77 a reference program is
missing (CTest counts that as skipped).
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import reference_cases  # noqa: E402
import reference_tools as tools  # noqa: E402
import harness_checks  # noqa: E402
import layer3_writer  # noqa: E402
import mpeg_frames  # noqa: E402

SKIP = 77
MIN_WITHIN1 = 99.9
MAX_DIFF = 4
SKIP_FRAMES = 2
# Frames either decoder may produce beyond the other at each end (a tag frame,
# frames without reservoir data, a last frame).
MAX_UNMATCHED = 3

NEEDS = {
    "layer3_mpeg1": ["lame", "mpg123"],
    "layer3_mpeg2": ["lame", "mpg123"],
    "layer3_mpeg25": ["lame", "mpg123"],
    "layer3_vbr_tags": ["lame", "mpg123"],
    "layer3_intensity": ["mpg123", "ffmpeg"],
    "layer2_mpeg1": ["twolame", "ffmpeg", "mpg123"],
    "layer2_lsf": ["twolame", "ffmpeg", "mpg123"],
    "layer1": ["mpg123"],
    "harness": ["lame", "twolame", "ffmpeg", "mpg123"],
}


def signal_for(case, args):
    if case.band == "limited":
        lowpass = tools.band_limit_stop(case.layer, case.rate)
    elif case.band == "long":
        lowpass = tools.band_limit_stop(case.layer, case.rate, long_blocks_only=True)
    else:
        lowpass = None
    name = "%s-%d-%dch-%s-%s-%gs.wav" % (case.kind, case.rate, case.channels, case.stereo,
                                         "lp%d" % lowpass if lowpass else "full", case.seconds)
    path = os.path.join(args.work, "signals", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    tools.make_signal(args.signalgen, path, case.rate, case.channels, case.seconds, kind=case.kind,
                      stereo=case.stereo, lowpass=lowpass)
    return path


def check_stream(case, scan):
    """What the encoded file holds against what the case asks for; returns problems."""
    problems = []
    e = case.expect
    if scan.get("frames", 0) < 10:
        return ["only %d frames found" % scan.get("frames", 0)]
    want = {"version": e.get("version", case.version), "layer": case.layer, "rate": case.rate,
            "channels": case.channels}
    for key, value in want.items():
        if scan.get(key) != value:
            problems.append("%s %s, wanted %s" % (key, scan.get(key), value))
    crc_wanted = "-p" in case.args or "--crc" in case.args
    if crc_wanted and scan["crc_frames"] != scan["frames"]:
        problems.append("CRC in %d of %d frames" % (scan["crc_frames"], scan["frames"]))
    if not crc_wanted and scan["crc_frames"]:
        problems.append("unexpected CRC")
    if "modes" in e and set(scan["modes"]) != e["modes"]:
        problems.append("modes %s, wanted %s" % (dict(scan["modes"]), e["modes"]))
    if e.get("joint") and not scan["modes"].get("joint"):
        problems.append("no joint-stereo frame")
    if e.get("ms") and not scan.get("ms_frames"):
        problems.append("no mid/side frame")
    if e.get("intensity") and not scan.get("is_frames"):
        problems.append("no intensity-stereo frame")
    if "tag" in e and scan.get("tag") != e["tag"]:
        problems.append("tag %s, wanted %s" % (scan.get("tag"), e["tag"]))
    if "tag_padding" in e and scan.get("tag_padding") != e["tag_padding"]:
        problems.append("tag padding %s, wanted %s" % (scan.get("tag_padding"), e["tag_padding"]))
    if e.get("vbr") and len(scan["bitrates"]) < 2:
        problems.append("one bit rate only: not VBR")
    if e.get("short_blocks") and not scan.get("blocks", {}).get("type2"):
        problems.append("no short blocks")
    if "sblimit" in e and scan.get("sblimits") != [e["sblimit"]]:
        problems.append("allocation table of %s subbands, wanted %d" % (scan.get("sblimits"), e["sblimit"]))
    if "mode_extensions" in e and set(scan["mode_extensions"]) != e["mode_extensions"]:
        problems.append("mode extensions %s, wanted %s" % (sorted(scan["mode_extensions"]),
                                                           sorted(e["mode_extensions"])))
    return problems


def describe(scan):
    parts = ["v%d L%d %dHz" % (scan["version"], scan["layer"], scan["rate"])]
    parts.append("/".join(sorted(scan["modes"])))
    if scan.get("ms_frames"):
        parts.append("ms%d" % scan["ms_frames"])
    if scan.get("is_frames"):
        parts.append("is%d" % scan["is_frames"])
    if len(scan["bitrates"]) > 1:
        parts.append("%d-%dk" % (scan["bitrates"][0], scan["bitrates"][-1]))
    else:
        parts.append("%dk" % scan["bitrates"][0])
    if scan["crc_frames"]:
        parts.append("crc")
    if scan.get("tag"):
        parts.append("%s%s%s" % (scan["tag"], "+pad" if scan["tag_padding"] else "",
                                 "(before CRC end)" if scan["tag_misplaced"] else ""))
    if scan.get("blocks", {}).get("type2"):
        parts.append("short%d" % scan["blocks"]["type2"])
    if scan.get("sblimits"):
        parts.append("sb" + "/".join(str(n) for n in scan["sblimits"]))
    return " ".join(parts)


def run_case(case, args):
    """Returns a result row (dict)."""
    row = {"case": case.name, "band": case.band, "accept": case.accept, "stream": "", "verdict": "FAIL",
           "note": ""}
    ext = {1: "mp1", 2: "mp2", 3: "mp3"}[case.layer]
    base = os.path.join(args.work, case.name)
    encoded = base + "." + ext
    try:
        if case.encoder == "layer3-writer":
            # No encoder writes intensity stereo: the stream is written directly.
            layer3_writer.write_stream(encoded, case.version, layer3_writer.RATES[case.version].index(case.rate),
                                       case.frames, case.seed, case.features)
        elif case.tag_padding is None and not case.cut_frames:
            wav = signal_for(case, args)
            tools.encode(case, wav, encoded, args.layer1enc)
        else:
            wav = signal_for(case, args)
            original = base + ".orig." + ext
            tools.encode(case, wav, original, args.layer1enc)
            with open(original, "rb") as f:
                data = f.read()
            if case.tag_padding is not None:
                data = mpeg_frames.set_tag_padding(data, case.tag_padding)
            data = mpeg_frames.drop_frames(data, case.cut_frames)
            with open(encoded, "wb") as f:
                f.write(data)
        scan = tools.scan_file(encoded)
        problems = check_stream(case, scan)
        if scan.get("frames", 0) >= 10:
            row["stream"] = describe(scan)
        if problems:
            row["note"] = "encoded file is not what the case asks for: " + "; ".join(problems)
            return row
        ref = base + "." + case.reference + ".f32"
        if case.reference == "ffmpeg":
            tools.decode_ffmpeg(encoded, ref, case.channels, case.layer)
        else:
            tools.decode_mpg123(encoded, ref)
        ours = base + ".ours.s16"
        info = tools.decode_ours(args.cli, encoded, ours)
        if info.get("frames") == "0" or os.path.getsize(ours) == 0:
            row["note"] = "tempyra-cli decoded no frames (%s)" % " ".join("%s=%s" % kv for kv in sorted(info.items()))
            return row
        if info.get("channels") != str(case.channels) or info.get("rate") != str(case.rate):
            row["note"] = "tempyra-cli reported rate=%s channels=%s" % (info.get("rate"), info.get("channels"))
            return row
        thresholds = ["--skip-frames", str(SKIP_FRAMES),
                      "--min-compared", str(int(0.8 * (case.seconds * case.rate - case.cut_frames *
                                                       case.frame_samples) * case.channels))]
        if case.accept:
            thresholds += ["--min-within1", str(MIN_WITHIN1), "--max-diff", str(MAX_DIFF),
                           "--max-unmatched-frames", str(MAX_UNMATCHED)]
        passed, values = tools.compare(args.pcmcompare, ours, ref, case.channels, case.frame_samples, thresholds)
        row.update(values)
        if passed:
            row["verdict"] = "pass" if case.accept else "info"
        else:
            row["note"] = "failed: " + values.get("failed", "?")
            if values.get("first_beyond4_frame"):
                row["note"] += " (first sample beyond 4 in frame %s)" % values["first_beyond4_frame"]
    except (tools.ToolError, ValueError) as error:
        row["note"] = str(error)
    return row


def print_table(rows, out):
    header = ("case", "stream", "band", "offset", "compared", "within1%", "exact%", "maxdiff", ">4", "SDR dB",
              "verdict")
    lines = [header]
    for r in rows:
        offset = r.get("offset_frames", "")
        if offset and r.get("alignment") == "fine":
            offset = r.get("offset_samples", "") + "s"
        lines.append((r["case"], r.get("stream", ""), r["band"] + ("" if r["accept"] else "*"), offset,
                      r.get("compared", ""), r.get("within1_pct", ""), r.get("exact_pct", ""),
                      r.get("max_diff", ""), r.get("beyond4", ""), r.get("sdr_db", ""), r["verdict"]))
    widths = [max(len(str(line[i])) for line in lines) for i in range(len(header))]
    for line in lines:
        out.write("  ".join(str(v).ljust(w) for v, w in zip(line, widths)).rstrip() + "\n")
    out.write("(* full band, or long: band-limited for long blocks only; the +-1 acceptance does not apply,\n"
              "   only the SDR is reported)\n")
    for r in rows:
        if r["note"]:
            out.write("%s: %s\n" % (r["case"], r["note"]))


def write_tsv(rows, path):
    keys = ["case", "stream", "band", "accept", "verdict", "offset_samples", "compared", "within1_pct",
            "exact_pct", "max_diff", "head_max_diff", "beyond4", "sdr_db", "note"]
    with open(path, "w") as f:
        f.write("\t".join(keys) + "\n")
        for r in rows:
            f.write("\t".join(str(r.get(k, "")) for k in keys) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--group", required=True, choices=sorted(NEEDS))
    parser.add_argument("--work", required=True, help="folder for generated files")
    parser.add_argument("--signalgen", required=True)
    parser.add_argument("--pcmcompare", required=True)
    parser.add_argument("--layer1enc", required=True)
    parser.add_argument("--cli", default="", help="tempyra-cli, the decoder under test")
    parser.add_argument("--tables", default="", help="folder of the MPEG table data, when present")
    parser.add_argument("--case", action="append", help="run only these cases")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)

    missing = tools.missing_programs(NEEDS[args.group])
    if missing:
        print("SKIPPED: reference program(s) not installed: %s (make test installs them)" % ", ".join(missing))
        return SKIP

    if args.group == "harness":
        return harness_checks.run_all(args)

    cases = reference_cases.GROUPS[args.group]
    if args.case:
        cases = [c for c in cases if c.name in args.case]
    if not args.cli or not os.path.exists(args.cli):
        print("FAILED: tempyra-cli, the decoder under test, is not built (expected at %s);" % args.cli)
        print("        these checks need `tempyra-cli decode FILE -o OUT.raw`.")
        return 1
    rows = [run_case(case, args) for case in cases]
    if args.group == "layer1":
        rows += harness_checks.layer1_extra_checks(args)
    print_table(rows, sys.stdout)
    write_tsv(rows, os.path.join(args.work, "results.tsv"))
    failed = [r for r in rows if r["verdict"] == "FAIL"]
    print("%d passed, %d failed" % (len(rows) - len(failed), len(failed)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
