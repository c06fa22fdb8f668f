"""Runs the programs of one reference check: signal, encoder, two decoders, compare.

Every external program is run as a black box through its command line. Files
are kept in the case's work folder so that a failure can be looked at.
"""

import os
import shutil
import subprocess

import mpeg_frames

# The scale-factor band boundaries that bound the decoded lines, per sampling
# rate: long boundaries 21 and 22, short boundaries 12 and 13.
_BAND_ENDS = {
    44100: (418, 576, 136, 192), 48000: (384, 576, 126, 192), 32000: (550, 576, 138, 192),
    22050: (522, 576, 174, 192), 24000: (540, 576, 180, 192), 16000: (522, 576, 174, 192),
    11025: (522, 576, 174, 192), 12000: (522, 576, 174, 192), 8000: (574, 576, 166, 192),
}


def layer3_limits(rate):
    """(lineLimit, longLimit, shortLimit) of our decoder's Layer III at this rate."""
    long21, long22, short12, short13 = _BAND_ENDS[rate]
    mpeg1 = rate >= 32000
    long_limit = long22 if mpeg1 else long21
    short_limit = 3 * (short13 if mpeg1 else short12)
    line_limit = min(long_limit + 8, 18 * 31)
    return line_limit, min(long_limit, line_limit), min(short_limit, line_limit)


def decoded_band_edge(layer, rate, long_blocks_only=False):
    """Highest frequency (Hz) below which the decoder under test decodes everything.

    Layers I/II decode subbands 0-30 only. Layer III decodes long-block lines
    below longLimit, and short-block lines below shortLimit counted in the
    order the Huffman data holds them: band by band, the three windows of a
    band one after the other. A limit inside the last short band therefore
    cuts the third window lower than the first two (at 44.1 kHz: line 174 of
    192, 19.98 kHz). The edge is rounded down to a subband boundary.
    """
    if layer in (1, 2):
        return 31 * rate / 64.0
    _, long_limit, short_limit = layer3_limits(rate)
    long21, long22, short12, short13 = _BAND_ENDS[rate]
    # The short band holding the cut, and what its third window keeps.
    if short_limit >= 3 * short13:
        short_kept = short13
    else:
        width = short13 - short12
        offset = short_limit - 3 * short12
        short_kept = short12 + max(0, min(width, offset - 2 * width))
    fraction = long_limit / 576.0 if long_blocks_only else min(long_limit / 576.0, short_kept / 192.0)
    return int(fraction * 32 + 1e-9) * rate / 64.0


def band_limit_stop(layer, rate, long_blocks_only=False):
    """Stop-band edge for band-limited test signals: one subband below the edge.

    The extra subband keeps the analysis filterbank's overlap between
    neighbouring subbands (whose aliasing the synthesis cancels only when
    both are decoded) out of the cut subbands.
    """
    return decoded_band_edge(layer, rate, long_blocks_only) - rate / 64.0


class ToolError(Exception):
    pass


def run(args, stdout=None, timeout=300):
    """Runs a command; returns (returncode, stderr text)."""
    try:
        proc = subprocess.run(args, stdout=stdout or subprocess.DEVNULL, stderr=subprocess.PIPE,
                              timeout=timeout, check=False)
    except FileNotFoundError:
        raise ToolError("program not found: %s" % args[0])
    except subprocess.TimeoutExpired:
        raise ToolError("timed out: %s" % " ".join(args))
    return proc.returncode, proc.stderr.decode("utf-8", "replace")


def run_ok(args, what, stdout=None):
    code, err = run(args, stdout=stdout)
    if code != 0:
        raise ToolError("%s failed (exit %d): %s\n%s" % (what, code, " ".join(args), err.strip()[-2000:]))
    return err


def missing_programs(names):
    return [n for n in names if shutil.which(n) is None]


def make_signal(signalgen, path, rate, channels, seconds, kind="mix", stereo="correlated", lowpass=None,
                extra=None):
    if os.path.exists(path):
        return
    args = [signalgen, "-o", path, "--kind", kind, "--rate", str(rate), "--channels", str(channels),
            "--seconds", str(seconds), "--stereo", stereo]
    if lowpass:
        args += ["--lowpass", "%.1f" % lowpass]
    args += extra or []
    run_ok(args, "signal generator")


def encode(case, wav, out, layer1enc):
    enc = case.encoder
    if enc == "lame":
        # --resample keeps lame from choosing another sampling rate for low bit rates.
        args = ["lame", "--quiet", "--noreplaygain", "--resample", "%g" % (case.rate / 1000.0)] + case.args + [wav, out]
    elif enc == "twolame":
        args = ["twolame", "--quiet"] + case.args + [wav, out]
    elif enc == "ffmpeg-mp2":
        args = ["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", wav, "-c:a", "mp2"] + case.args + ["-f", "mp2", out]
    elif enc == "layer1enc":
        args = [layer1enc] + case.args + [wav, out]
    else:
        raise ToolError("unknown encoder " + enc)
    return run_ok(args, enc)


def decode_mpg123(mp3, out_f32):
    """mpg123 as the reference: no gapless trimming, float output (most exact)."""
    with open(out_f32, "wb") as f:
        run_ok(["mpg123", "-q", "--no-gapless", "-e", "f32", "-s", mp3], "mpg123", stdout=f)


def decode_ffmpeg(mp3, out_f32, channels, layer):
    """ffmpeg's floating-point decoder of the layer (its default for Layers I/II is fixed-point)."""
    decoder = {1: "mp1float", 2: "mp2float", 3: "mp3float"}[layer]
    run_ok(["ffmpeg", "-nostdin", "-v", "error", "-y", "-c:a", decoder, "-i", mp3, "-ac", str(channels),
            "-f", "f32le", out_f32], "ffmpeg")


def decode_ours(cli, mp3, out_raw):
    """tempyra-cli decode; returns the key=value pairs it printed on stderr."""
    if not cli or not os.path.exists(cli):
        raise ToolError("tempyra-cli not built (expected at %s): the decoder under test is missing" % cli)
    err = run_ok([cli, "decode", mp3, "-o", out_raw], "tempyra-cli decode")
    info = {}
    for token in err.split():
        if "=" in token:
            key, value = token.split("=", 1)
            info[key] = value
    return info


def compare(pcmcompare, ours, ref, channels, frame_samples, thresholds, ours_format="s16", ref_format="f32"):
    """Runs tempyra-pcmcompare; returns (passed, dict of its key=value output)."""
    args = [pcmcompare, "--channels", str(channels), "--frame-samples", str(frame_samples),
            "--ours-format", ours_format, "--ref-format", ref_format, "--ref-rounding", "trunc"]
    args += thresholds + [ours, ref]
    proc = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if proc.returncode not in (0, 1):
        raise ToolError("pcmcompare failed: %s" % proc.stderr.decode().strip())
    values = {}
    for line in proc.stdout.decode().splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            values[key] = value
    return proc.returncode == 0, values


def patch_tag_padding(src, dst, padded):
    with open(src, "rb") as f:
        data = f.read()
    with open(dst, "wb") as f:
        f.write(mpeg_frames.set_tag_padding(data, padded))


def scan_file(path):
    with open(path, "rb") as f:
        return mpeg_frames.scan(f.read())
