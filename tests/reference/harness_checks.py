"""Checks of the reference harness itself, and the Layer I checks beyond a plain comparison.

The harness group runs without our decoder: it proves that the signal
generator is deterministic and band-limited, that tempyra-pcmcompare finds
known offsets and catches known faults, that the tag-padding patch leaves a
stream mpg123 decodes identically, and that two independent reference
decoders (mpg123 and ffmpeg) agree within the acceptance on every kind of
file the suite makes. If these fail, a failure of the decoder checks says
nothing about the decoder.
"""

import array
import os
import re
import shutil
import subprocess
import sys

import mpeg_frames
import reference_cases
import reference_tools as tools


class Report:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
        print("%s  %s%s" % ("PASS" if ok else "FAIL", what, ("  [" + detail + "]") if detail else ""))
        sys.stdout.flush()


def _read_s16(path):
    a = array.array("h")
    with open(path, "rb") as f:
        a.frombytes(f.read())
    if sys.byteorder != "little":
        a.byteswap()
    return a


def _write_s16(path, samples):
    a = array.array("h", samples)
    if sys.byteorder != "little":
        a.byteswap()
    with open(path, "wb") as f:
        f.write(a.tobytes())


def _compare(args, ours, ref, channels, frame, extra, ours_format="s16", ref_format="s16", rounding="trunc"):
    cmd = [args.pcmcompare, "--channels", str(channels), "--frame-samples", str(frame), "--ours-format",
           ours_format, "--ref-format", ref_format, "--ref-rounding", rounding] + extra + [ours, ref]
    proc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    values = dict(line.split("=", 1) for line in proc.stdout.decode().splitlines() if "=" in line)
    return proc.returncode, values


def _summary(v):
    return "offset=%s within1=%s exact=%s max=%s beyond4=%s sdr=%s" % (
        v.get("offset_samples"), v.get("within1_pct"), v.get("exact_pct"), v.get("max_diff"), v.get("beyond4"),
        v.get("sdr_db"))


def check_signalgen(args, report, work):
    a, b, c = (os.path.join(work, n) for n in ("det-a.wav", "det-b.wav", "det-c.wav"))
    for path, seed in ((a, 3), (b, 3), (c, 4)):
        tools.run_ok([args.signalgen, "-o", path, "--kind", "mix", "--rate", "22050", "--seconds", "2",
                      "--seed", str(seed)], "signal generator")
    same = open(a, "rb").read() == open(b, "rb").read()
    differs = open(a, "rb").read() != open(c, "rb").read()
    report.check(same and differs, "signal generator: same seed gives the same file, another seed another file")

    if shutil.which("sox") is None:
        print("NOTE  band-limit measurement skipped: sox is not installed")
        return
    for rate, layer in ((44100, 3), (22050, 3), (8000, 3), (48000, 1)):
        stop = tools.band_limit_stop(layer, rate)
        path = os.path.join(work, "lp-%d.wav" % rate)
        tools.run_ok([args.signalgen, "-o", path, "--kind", "noise", "--rate", str(rate), "--seconds", "2",
                      "--lowpass", "%.1f" % stop, "--peak", "0.9"], "signal generator")
        # sox's own sinc filter as the high-pass that measures what is left above the stop edge.
        # Its transition band (rate/200 wide) lies wholly above the stop edge.
        code, err = tools.run(["sox", path, "-n", "sinc", "-a", "120", "-t", "%.1f" % (rate / 200.0),
                               "%.1f" % (stop + 0.75 * rate / 200.0), "stats"])
        levels = re.findall(r"RMS lev dB\s+(\S+)", err)
        level = float(levels[0]) if levels else 0.0
        full_code, full_err = tools.run(["sox", path, "-n", "stats"])
        full_levels = re.findall(r"RMS lev dB\s+(\S+)", full_err)
        full = float(full_levels[0]) if full_levels else -200.0
        report.check(code == 0 and level < -90.0 and full > -30.0,
                     "signal generator: noise at %d Hz band-limited below %.0f Hz" % (rate, stop),
                     "level above the edge %.1f dB, whole signal %.1f dB (sox)" % (level, full))


def check_pcmcompare(args, report, work):
    """Known offsets and known faults built from a real decoding."""
    wav = os.path.join(work, "pc.wav")
    mp3 = os.path.join(work, "pc.mp3")
    tools.make_signal(args.signalgen, wav, 44100, 2, 3, lowpass=tools.band_limit_stop(3, 44100))
    tools.run_ok(["lame", "--quiet", "-b", "128", wav, mp3], "lame")
    s16 = os.path.join(work, "pc.s16")
    f32 = os.path.join(work, "pc.f32")
    with open(s16, "wb") as f:
        tools.run_ok(["mpg123", "-q", "--no-gapless", "-s", mp3], "mpg123", stdout=f)
    tools.decode_mpg123(mp3, f32)

    code, v = _compare(args, s16, f32, 2, 1152, ["--min-within1", "100"], ref_format="f32", rounding="round")
    report.check(code == 0 and v.get("offset_samples") == "0" and float(v.get("exact_pct", 0)) > 99.99,
                 "pcmcompare: mpg123's 16-bit output equals its float output rounded", _summary(v))

    ref = _read_s16(s16)
    variants = {}
    variants["shift-frame"] = array.array("h", [0] * (2 * 1152)) + ref
    variants["shift-37"] = array.array("h", [0] * (2 * 37)) + ref
    variants["lead-missing"] = ref[2 * 2 * 1152:]
    plus5 = array.array("h", ref)
    plus5[2 * 1152 * 50 + 1] += 5
    variants["one-plus5"] = plus5
    many = array.array("h", ref)
    for i in range(2 * 1152 * 3, len(many), 400):   # 0.25 % of samples off by 2
        many[i] = max(-32768, min(32767, many[i] + 2))
    variants["many-plus2"] = many
    head = array.array("h", ref)
    for i in range(0, 2 * 1152 * 2):
        head[i] = 0
    variants["head-zeroed"] = head
    dropped = ref[:2 * 1152 * 60] + ref[2 * 1152 * 61:]
    variants["frame-dropped"] = dropped
    files = {}
    for name, samples in variants.items():
        files[name] = os.path.join(work, "pc-%s.s16" % name)
        _write_s16(files[name], samples)
    acceptance = ["--min-within1", "99.9", "--max-diff", "4", "--skip-frames", "2", "--max-unmatched-frames", "3"]

    code, v = _compare(args, files["shift-frame"], s16, 2, 1152, acceptance)
    report.check(code == 0 and v.get("offset_samples") == "1152" and v.get("alignment") == "frame"
                 and v.get("exact_pct") == "100.0000", "pcmcompare: a leading extra frame is aligned", _summary(v))
    code, v = _compare(args, files["shift-37"], s16, 2, 1152, acceptance)
    report.check(code == 0 and v.get("offset_samples") == "37" and v.get("exact_pct") == "100.0000",
                 "pcmcompare: a 37-sample shift is found by the fine search", _summary(v))
    code, v = _compare(args, files["lead-missing"], s16, 2, 1152, acceptance)
    report.check(code == 0 and v.get("offset_samples") == "-2304", "pcmcompare: two missing leading frames",
                 _summary(v))
    code, v = _compare(args, files["one-plus5"], s16, 2, 1152, acceptance)
    report.check(code == 1 and v.get("max_diff") == "5" and v.get("beyond4") == "1" and "max_diff" in v.get("failed", ""),
                 "pcmcompare: one sample off by 5 fails --max-diff 4", _summary(v))
    code, v = _compare(args, files["many-plus2"], s16, 2, 1152, acceptance)
    report.check(code == 1 and "within1" in v.get("failed", "") and v.get("max_diff") == "2",
                 "pcmcompare: 0.25 % of samples off by 2 fails --min-within1 99.9", _summary(v))
    code, v = _compare(args, files["head-zeroed"], s16, 2, 1152, acceptance)
    report.check(code == 0 and int(v.get("head_max_diff", 0)) > 4,
                 "pcmcompare: differences within the first two frames are left out", _summary(v))
    code, v = _compare(args, files["frame-dropped"], s16, 2, 1152, acceptance)
    report.check(code == 1, "pcmcompare: a frame dropped in the middle fails", _summary(v))

    # The tag-padding patch: mpg123 decodes the patched stream to the same PCM.
    padded = os.path.join(work, "pc-padded.mp3")
    tools.patch_tag_padding(mp3, padded, 1)
    scan = tools.scan_file(padded)
    orig_scan = tools.scan_file(mp3)
    padded_f32 = os.path.join(work, "pc-padded.f32")
    tools.decode_mpg123(padded, padded_f32)
    code, v = _compare(args, padded_f32, f32, 2, 1152, ["--min-within1", "100"], ours_format="f32",
                       ref_format="f32")
    report.check(scan.get("tag_padding") == 1 and scan["frames"] == orig_scan["frames"] and
                 scan["first_length"] == orig_scan["first_length"] + 1 and code == 0 and
                 v.get("offset_samples") == "0" and v.get("exact_pct") == "100.0000",
                 "tag-padding patch: the padded tag frame is one byte longer and mpg123 decodes the same PCM",
                 _summary(v))


# Files on which mpg123 and ffmpeg must agree: one of each kind the suite makes.
def _agreement_cases():
    g = reference_cases.GROUPS
    pick = {"l3-44k-joint-cbr128-crc", "l3-44k-drums-cbr128", "l3-22k-joint-vbr4", "l3-8k-joint-cbr16",
            "l3-12k-dual-cbr48", "l2-44k-stereo-192-sb30", "l2-32k-stereo-64-sb12", "l2-44k-mono-48-sb8",
            "l2-22k-joint-160-crc", "l1-44k-joint-cycle-320", "l1-32k-mono-192"}
    return [c for group in g.values() for c in group if c.name in pick]


def check_reference_agreement(args, report, work):
    import reference_suite
    for case in _agreement_cases():
        base = os.path.join(work, case.name)
        ext = {1: "mp1", 2: "mp2", 3: "mp3"}[case.layer]
        try:
            wav = reference_suite.signal_for(case, args)
            tools.encode(case, wav, base + "." + ext, args.layer1enc)
            problems = reference_suite.check_stream(case, tools.scan_file(base + "." + ext))
            tools.decode_mpg123(base + "." + ext, base + ".mpg123.f32")
            tools.decode_ffmpeg(base + "." + ext, base + ".ffmpeg.f32", case.channels, case.layer)
        except tools.ToolError as error:
            report.check(False, "mpg123 and ffmpeg agree on %s" % case.name, str(error))
            continue
        # ffmpeg trims the encoder delay of files with a LAME tag, so offsets
        # are searched sample by sample and unmatched ends are not limited.
        code, v = _compare(args, base + ".ffmpeg.f32", base + ".mpg123.f32", case.channels, case.frame_samples,
                           ["--min-within1", "99.9", "--max-diff", "4", "--skip-frames", "2"], ours_format="f32",
                           ref_format="f32")
        report.check(code == 0 and not problems, "mpg123 and ffmpeg agree on %s" % case.name,
                     _summary(v) + ("; " + "; ".join(problems) if problems else ""))


def check_layer1_crc(args, report, work):
    """ffmpeg's CRC check accepts the Layer I encoder's CRCs (stereo and mono;
    for joint stereo ffmpeg protects a fixed 256 allocation bits, where the
    encoder protects the allocation fields the frame holds, as twolame does
    for Layer II)."""
    for mode, channels in (("stereo", 2), ("mono", 1)):
        wav = os.path.join(work, "crc-%d.wav" % channels)
        mp1 = os.path.join(work, "crc-%s.mp1" % mode)
        tools.make_signal(args.signalgen, wav, 44100, channels, 2, lowpass=tools.band_limit_stop(1, 44100))
        tools.run_ok([args.layer1enc, "--mode", mode, "--bitrate", "384", "--crc", wav, mp1], "layer1enc")
        code, err = tools.run(["ffmpeg", "-nostdin", "-v", "error", "-err_detect", "crccheck", "-i", mp1,
                               "-f", "null", "-"])
        mismatches = err.count("CRC mismatch")
        frames = tools.scan_file(mp1)["frames"]
        report.check(code == 0 and mismatches == 0 and frames > 200,
                     "Layer I encoder: ffmpeg finds no CRC mismatch in a %s file" % mode,
                     "%d frames, %d mismatches" % (frames, mismatches))


def run_all(args):
    work = args.work
    report = Report()
    checks = [check_signalgen, check_pcmcompare, check_layer1_crc, check_reference_agreement]
    for check in checks:
        try:
            check(args, report, work)
        except tools.ToolError as error:
            report.check(False, check.__name__, str(error))
    print("%d passed, %d failed" % (report.passed, report.failed))
    return 1 if report.failed else 0


def _row(name, ok, note, stream=""):
    return {"case": name, "band": "check", "accept": True, "stream": stream, "verdict": "pass" if ok else "FAIL",
            "note": "" if ok else note}


def layer1_extra_checks(args):
    """Allocation coverage of the Layer I files, and subband 31 left silent."""
    rows = []
    seen = set()
    bounds = set()
    for case in reference_cases.GROUPS["layer1"]:
        path = os.path.join(args.work, case.name + ".mp1")
        if case.band == "limited" and os.path.exists(path):
            with open(path, "rb") as f:
                stats = mpeg_frames.layer1_allocations(f.read())
            seen |= stats["allocations"]
            bounds |= stats["bounds"]
    missing = sorted(set(range(15)) - seen)
    rows.append(_row("l1-allocation-coverage", not missing and {4, 8, 12, 16} <= bounds,
                     "allocations never used: %s; joint bounds seen %s" % (missing, sorted(bounds)),
                     "allocations %s bounds %s" % ("0-14" if not missing else sorted(seen), sorted(bounds))))

    # A tone inside subband 31 (23.25-24 kHz): mpg123 plays it, our decoder
    # must not. What the analysis filterbank leaks into subband 30 remains
    # (about -60 dB), so ours must stay below 1 % of mpg123's peak.
    wav = os.path.join(args.work, "signals", "tone-23800-48000.wav")
    tools.make_signal(args.signalgen, wav, 48000, 1, 2, kind="tone", extra=["--freq", "23800"])
    mp1 = os.path.join(args.work, "l1-48k-sb31-tone.mp1")
    note = ""
    ok = False
    try:
        tools.run_ok([args.layer1enc, "--mode", "mono", "--bitrate", "192", wav, mp1], "layer1enc")
        with open(mp1, "rb") as f:
            top = mpeg_frames.layer1_allocations(f.read())["top_subband_frames"]
        ref = mp1 + ".mpg123.f32"
        tools.decode_mpg123(mp1, ref)
        ours = mp1 + ".ours.s16"
        tools.decode_ours(args.cli, mp1, ours)
        ref_peak = max((abs(v) for v in array.array("f", open(ref, "rb").read())), default=0.0) * 32768
        ours_peak = max((abs(v) for v in _read_s16(ours)), default=0)
        ok = top > 0 and ref_peak > 3000 and ours_peak < 0.01 * ref_peak
        note = "frames allocating subband 31: %d, mpg123 peak %.0f, ours peak %d" % (top, ref_peak, ours_peak)
    except tools.ToolError as error:
        note = str(error)
    rows.append(_row("l1-48k-sb31-tone", ok, note, note if ok else ""))
    return rows
