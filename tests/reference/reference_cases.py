"""The files of the reference checks, grouped as the CTest tests run them.

Each case names the encoder and its options, the signal it encodes, whether
that signal is band-limited below our decoder's decoded band (then the
+-1 acceptance applies) and what the encoded file must hold, so that a case
cannot silently test something else than it says (an encoder that picked
another rate, mode or block type).
"""


class Case:
    def __init__(self, name, encoder, rate, channels, args, layer=3, stereo="correlated", kind="mix",
                 band="limited", accept=None, seconds=4, tag_padding=None, cut_frames=0, expect=None):
        self.name = name
        self.encoder = encoder
        self.rate = rate
        self.channels = channels
        self.args = list(args)
        self.layer = layer
        self.stereo = stereo
        self.kind = kind
        self.band = band                     # "limited", "full", or "long" (below the long-block limit only)
        # Acceptance (+-1 share, max difference) applies to band-limited
        # signals, and to full-band ones only where the encoder itself codes
        # nothing above our decoded band (Layer II: every allocation table
        # ends at subband 30 or below).
        self.accept = (band == "limited") if accept is None else accept
        self.seconds = seconds
        self.tag_padding = tag_padding       # None: as encoded; 0/1: tag frame patched to this
        self.cut_frames = cut_frames         # frames removed from the start of the encoded file
        self.expect = expect or {}
        self.reference = "mpg123"            # the decoder whose float output is the reference

    @property
    def version(self):
        return 1 if self.rate >= 32000 else (2 if self.rate >= 16000 else 3)

    @property
    def frame_samples(self):
        if self.layer == 1:
            return 384
        if self.layer == 3 and self.version != 1:
            return 576
        return 1152


def lame(name, rate, channels, args, **kw):
    return Case(name, "lame", rate, channels, args, layer=3, **kw)


def twolame(name, rate, channels, args, **kw):
    kw.setdefault("band", "full")
    kw.setdefault("accept", True)
    return Case(name, "twolame", rate, channels, args, layer=2, **kw)


def ffmpeg_mp2(name, rate, channels, args, **kw):
    kw.setdefault("band", "full")
    kw.setdefault("accept", True)
    return Case(name, "ffmpeg-mp2", rate, channels, args, layer=2, **kw)


def layer1(name, rate, channels, args, **kw):
    return Case(name, "layer1enc", rate, channels, args, layer=1, **kw)


def intensity(name, rate, seed, features, accept=True, frames=150, reference="mpg123"):
    """A stream of our Layer III writer: joint stereo with intensity stereo."""
    version = 1 if rate >= 32000 else (2 if rate >= 16000 else 3)
    frame_samples = 1152 if version == 1 else 576
    case = Case(name, "layer3-writer", rate, 2, [], layer=3, band="limited", accept=accept,
                seconds=frames * frame_samples / rate, expect={"intensity": True, "modes": {"joint"}})
    case.frames = frames
    case.seed = seed
    case.features = dict(features)
    case.reference = reference
    return case


# Low sampling frequencies: what mpg123, ffmpeg and the standard's text agree
# on. Intensity positions below the maximum of their partition's slen, slen
# 1-3 where it can be chosen, and the content (left channel) below the bands
# whose partition has slen 0 in the intensity tables (long band 16, short
# band 9). Both reference decoders take the maximum position 2^slen - 1 (and
# position 0 of an slen-0 partition) as a legal position; we take it as the
# illegal one, the lines left as decoded; the "-maxpos" cases show the effect.
# Mixed blocks are left out here: with intensity stereo in a mixed block,
# mpg123 parts from ffmpeg and from us (ffmpeg and we agree; checked against
# ffmpeg in "is-22k-lsf-mixed").
LSF_AGREED = {"empty_right": False, "illegal": False, "zero_slen": False, "max_slen": 3,
              "blocks": [[0, 0], [0, 0], [1, 0], [2, 0], [2, 0], [3, 0]]}


SHORT = {"short_blocks": True}

GROUPS = {
    "layer3_mpeg1": [
        lame("l3-44k-stereo-cbr128", 44100, 2, ["-m", "s", "-b", "128"], stereo="different",
             expect={"modes": {"stereo"}, **SHORT}),
        lame("l3-44k-joint-cbr320", 44100, 2, ["-m", "j", "-b", "320"], expect={"modes": {"joint"}, "ms": True}),
        lame("l3-44k-ms-cbr192", 44100, 2, ["-m", "f", "-b", "192"], expect={"modes": {"joint"}, "ms": True}),
        lame("l3-44k-dual-cbr256", 44100, 2, ["-m", "d", "-b", "256"], stereo="different",
             expect={"modes": {"dual"}}),
        lame("l3-44k-mono-cbr64", 44100, 1, ["-m", "m", "-b", "64"], expect={"modes": {"mono"}}),
        lame("l3-44k-joint-cbr128-crc", 44100, 2, ["-m", "j", "-b", "128", "-p"], expect={"crc": True}),
        lame("l3-44k-joint-cbr32-low", 44100, 2, ["-m", "j", "-b", "32"]),
        lame("l3-44k-joint-nores", 44100, 2, ["-m", "j", "-b", "160", "--nores"]),
        lame("l3-44k-drums-cbr128", 44100, 2, ["-m", "j", "-b", "128"], kind="drums", expect=SHORT),
        lame("l3-44k-silence-cbr128", 44100, 2, ["-b", "128"], kind="silence"),
        lame("l3-48k-joint-cbr160", 48000, 2, ["-m", "j", "-b", "160"], expect=SHORT),
        lame("l3-48k-mono-cbr320-crc", 48000, 1, ["-m", "m", "-b", "320", "-p"], expect={"crc": True}),
        lame("l3-48k-dual-cbr64-low", 48000, 2, ["-m", "d", "-b", "64"], stereo="left"),
        lame("l3-32k-joint-cbr96-crc", 32000, 2, ["-m", "j", "-b", "96", "-p"], expect={"crc": True}),
        lame("l3-32k-stereo-cbr32-low", 32000, 2, ["-m", "s", "-b", "32"], stereo="different"),
        lame("l3-32k-mono-cbr224", 32000, 1, ["-m", "m", "-b", "224"]),
        lame("l3-44k-joint-cbr320-full", 44100, 2, ["-m", "j", "-b", "320", "--lowpass", "-1"], band="full"),
        lame("l3-48k-stereo-cbr256-full", 48000, 2, ["-m", "s", "-b", "256", "--lowpass", "-1"], band="full",
             stereo="different"),
        lame("l3-32k-joint-cbr128-full", 32000, 2, ["-m", "j", "-b", "128", "--lowpass", "-1"], band="full"),
    ],
    "layer3_mpeg2": [
        lame("l3-22k-joint-cbr64", 22050, 2, ["-m", "j", "-b", "64"], expect={"modes": {"joint"}, "ms": True}),
        lame("l3-22k-mono-cbr8-low", 22050, 1, ["-m", "m", "-b", "8"]),
        lame("l3-22k-stereo-cbr160-crc", 22050, 2, ["-m", "s", "-b", "160", "-p"], stereo="different",
             expect={"crc": True, "modes": {"stereo"}}),
        lame("l3-24k-stereo-cbr160-crc", 24000, 2, ["-m", "s", "-b", "160", "-p"], stereo="different",
             expect={"crc": True}),
        lame("l3-24k-dual-cbr96", 24000, 2, ["-m", "d", "-b", "96"], stereo="different",
             expect={"modes": {"dual"}}),
        lame("l3-24k-ms-cbr128", 24000, 2, ["-m", "f", "-b", "128"], expect={"ms": True, **SHORT}),
        lame("l3-16k-joint-cbr32-crc", 16000, 2, ["-m", "j", "-b", "32", "-p"], expect={"crc": True}),
        lame("l3-16k-mono-cbr24", 16000, 1, ["-m", "m", "-b", "24"]),
        lame("l3-16k-drums-cbr64", 16000, 2, ["-m", "j", "-b", "64"], kind="drums", expect=SHORT),
        lame("l3-22k-joint-vbr4", 22050, 2, ["-m", "j", "-V", "4"], expect={"tag": "Xing", "vbr": True}),
        lame("l3-16k-joint-abr48", 16000, 2, ["-m", "j", "--abr", "48"], expect={"tag": "Xing"}),
        lame("l3-24k-joint-cbr128-full", 24000, 2, ["-m", "j", "-b", "128", "--lowpass", "-1"], band="full"),
        lame("l3-16k-mono-cbr64-full", 16000, 1, ["-m", "m", "-b", "64", "--lowpass", "-1"], band="full"),
    ],
    "layer3_mpeg25": [
        lame("l3-8k-mono-cbr8", 8000, 1, ["-m", "m", "-b", "8"], expect={"version": 3}),
        lame("l3-8k-joint-cbr16", 8000, 2, ["-m", "j", "-b", "16"]),
        lame("l3-8k-drums-cbr32", 8000, 2, ["-m", "j", "-b", "32"], kind="drums", expect=SHORT),
        lame("l3-11k-stereo-cbr32-crc", 11025, 2, ["-m", "s", "-b", "32", "-p"], stereo="different",
             expect={"crc": True, "modes": {"stereo"}}),
        lame("l3-11k-joint-vbr5", 11025, 2, ["-m", "j", "-V", "5"], expect={"tag": "Xing"}),
        lame("l3-12k-joint-abr32", 12000, 2, ["-m", "j", "--abr", "32"], expect={"tag": "Xing"}),
        lame("l3-12k-dual-cbr48", 12000, 2, ["-m", "d", "-b", "48"], stereo="different",
             expect={"modes": {"dual"}}),
        lame("l3-12k-ms-cbr64", 12000, 2, ["-m", "f", "-b", "64"], expect={"ms": True}),
        lame("l3-12k-mono-cbr24-crc", 12000, 1, ["-m", "m", "-b", "24", "-p"], expect={"crc": True}),
        lame("l3-11k-joint-cbr64-full", 11025, 2, ["-m", "j", "-b", "64", "--lowpass", "-1"], band="full"),
        lame("l3-8k-mono-cbr32-full", 8000, 1, ["-m", "m", "-b", "32", "--lowpass", "-1"], band="full"),
    ],
    "layer3_vbr_tags": [
        lame("l3-44k-joint-vbr0", 44100, 2, ["-m", "j", "-V", "0"], expect={"tag": "Xing", "vbr": True}),
        lame("l3-44k-joint-vbr2", 44100, 2, ["-m", "j", "-V", "2"], expect={"tag": "Xing", "vbr": True, **SHORT}),
        lame("l3-44k-mono-vbr6", 44100, 1, ["-m", "m", "-V", "6"], expect={"tag": "Xing", "vbr": True}),
        lame("l3-48k-joint-vbr9", 48000, 2, ["-m", "j", "-V", "9"], expect={"tag": "Xing", "vbr": True}),
        lame("l3-32k-stereo-vbr3-crc", 32000, 2, ["-m", "s", "-V", "3", "-p"], stereo="different",
             expect={"tag": "Xing", "crc": True}),
        lame("l3-48k-joint-abr192", 48000, 2, ["-m", "j", "--abr", "192"], expect={"tag": "Xing", "vbr": True}),
        lame("l3-32k-joint-abr64", 32000, 2, ["-m", "j", "--abr", "64"], expect={"tag": "Xing"}),
        lame("l3-44k-cbr128-info-unpadded", 44100, 2, ["-m", "j", "-b", "128"], tag_padding=0,
             expect={"tag": "Info", "tag_padding": 0}),
        lame("l3-44k-cbr128-info-padded", 44100, 2, ["-m", "j", "-b", "128"], tag_padding=1,
             expect={"tag": "Info", "tag_padding": 1}),
        lame("l3-44k-vbr2-xing-padded", 44100, 2, ["-m", "j", "-V", "2"], tag_padding=1,
             expect={"tag": "Xing", "tag_padding": 1}),
        lame("l3-44k-vbr2-xing-unpadded", 44100, 2, ["-m", "j", "-V", "2"], tag_padding=0,
             expect={"tag": "Xing", "tag_padding": 0}),
        lame("l3-22k-vbr4-xing-padded", 22050, 2, ["-m", "j", "-V", "4"], tag_padding=1,
             expect={"tag": "Xing", "tag_padding": 1}),
        lame("l3-11k-vbr5-xing-padded", 11025, 2, ["-m", "j", "-V", "5"], tag_padding=1,
             expect={"tag": "Xing", "tag_padding": 1}),
        lame("l3-48k-cbr320-info-padded-crc", 48000, 2, ["-m", "j", "-b", "320", "-p"], tag_padding=1,
             expect={"tag": "Info", "tag_padding": 1, "crc": True}),
        lame("l3-44k-cbr128-notag", 44100, 2, ["-m", "j", "-b", "128", "-t"], expect={"tag": None}),
        # Cut in the middle: the first frames' main data lies in frames that are gone.
        lame("l3-44k-cbr128-cut", 44100, 2, ["-m", "j", "-b", "128"], cut_frames=40, expect={"tag": None}),
        lame("l3-22k-vbr4-cut", 22050, 2, ["-m", "j", "-V", "4"], cut_frames=40, expect={"tag": None}),
        # Content between the short-block limit of the third window (19.98 kHz)
        # and the long-block limit (21.36 kHz): shows what the first cuts.
        lame("l3-44k-joint-vbr0-longband", 44100, 2, ["-m", "j", "-V", "0"], band="long", expect={"tag": "Xing"}),
        lame("l3-44k-joint-vbr0-full", 44100, 2, ["-m", "j", "-V", "0", "--lowpass", "-1"], band="full",
             expect={"tag": "Xing"}),
    ],
    # Intensity stereo: written by tests/reference/layer3_writer.py (no Debian
    # encoder writes it), every block type, with and without mid/side. The
    # right channel always holds a value in band 0 (of every window): we never
    # intensity-code band 0, while the reference decoders do when the right
    # channel (or window) is empty.
    "layer3_intensity": [
        intensity("is-44k-mpeg1", 44100, 1, {"empty_right": False}),
        intensity("is-48k-mpeg1", 48000, 2, {"empty_right": False}),
        intensity("is-32k-mpeg1-long", 32000, 3, {"empty_right": False, "blocks": [[0, 0], [1, 0], [3, 0]]}),
        intensity("is-22k-lsf", 22050, 4, dict(LSF_AGREED, line_budget=220)),
        intensity("is-24k-lsf-short", 24000, 5, dict(LSF_AGREED, line_budget=236, blocks=[[2, 0]])),
        intensity("is-22k-lsf-mixed", 22050, 12, dict(LSF_AGREED, line_budget=220, blocks=[[2, 1]], mid_side_share=0,
                                                      intensity_share=1), reference="ffmpeg"),
        intensity("is-16k-lsf-table3", 16000, 6, dict(LSF_AGREED, line_budget=236, is_tables=[3])),
        intensity("is-11k-lsf-table4", 11025, 7, dict(LSF_AGREED, line_budget=236, is_tables=[4])),
        intensity("is-12k-lsf-table5", 12000, 8, dict(LSF_AGREED, line_budget=236, is_tables=[5])),
        intensity("is-8k-lsf", 8000, 9, dict(LSF_AGREED, line_budget=440, short_band0_width=8)),
        # Where we and the reference decoders part: reported, not accepted.
        intensity("is-22k-lsf-maxpos", 22050, 10, {"empty_right": False}, accept=False),
        intensity("is-44k-mpeg1-empty-right", 44100, 11, {}, accept=False),
    ],
    "layer2_mpeg1": [
        # Allocation tables: 44.1 kHz stereo 192 -> 30 subbands, 128 -> 27,
        # 32 kHz stereo 64 -> 12, 44.1 kHz low rates per channel -> 8.
        twolame("l2-44k-stereo-192-sb30", 44100, 2, ["-m", "s", "-b", "192"], stereo="different",
                expect={"sblimit": 30, "modes": {"stereo"}}),
        twolame("l2-44k-stereo-128-sb27", 44100, 2, ["-m", "s", "-b", "128"],
                expect={"sblimit": 27, "modes": {"stereo"}}),
        twolame("l2-32k-stereo-64-sb12", 32000, 2, ["-m", "s", "-b", "64"], stereo="different",
                expect={"sblimit": 12}),
        twolame("l2-44k-mono-48-sb8", 44100, 1, ["-m", "m", "-b", "48"], expect={"sblimit": 8, "modes": {"mono"}}),
        twolame("l2-48k-stereo-96-sb8", 48000, 2, ["-m", "s", "-b", "96"], expect={"sblimit": 8}),
        twolame("l2-48k-joint-256", 48000, 2, ["-m", "j", "-b", "256"], expect={"joint": True}),
        twolame("l2-44k-joint-128-crc", 44100, 2, ["-m", "j", "-b", "128", "-p"],
                expect={"joint": True, "crc": True}),
        twolame("l2-32k-joint-192-crc", 32000, 2, ["-m", "j", "-b", "192", "-p"], expect={"crc": True}),
        twolame("l2-44k-dual-384", 44100, 2, ["-m", "d", "-b", "384"], stereo="different",
                expect={"modes": {"dual"}}),
        twolame("l2-32k-mono-32-sb12", 32000, 1, ["-m", "m", "-b", "32"], expect={"sblimit": 12}),
        twolame("l2-48k-mono-192-crc", 48000, 1, ["-m", "m", "-b", "192", "-p"], expect={"crc": True}),
        twolame("l2-44k-drums-joint-160", 44100, 2, ["-m", "j", "-b", "160"], kind="drums"),
        ffmpeg_mp2("l2ff-44k-stereo-192", 44100, 2, ["-b:a", "192k"], stereo="different"),
        ffmpeg_mp2("l2ff-48k-mono-64", 48000, 1, ["-b:a", "64k"]),
        ffmpeg_mp2("l2ff-32k-stereo-384", 32000, 2, ["-b:a", "384k"]),
    ],
    "layer2_lsf": [
        twolame("l2-22k-stereo-64", 22050, 2, ["-m", "s", "-b", "64"], expect={"version": 2}),
        twolame("l2-22k-joint-160-crc", 22050, 2, ["-m", "j", "-b", "160", "-p"], expect={"crc": True}),
        twolame("l2-24k-mono-8", 24000, 1, ["-m", "m", "-b", "8"]),
        twolame("l2-24k-dual-128", 24000, 2, ["-m", "d", "-b", "128"], stereo="different",
                expect={"modes": {"dual"}}),
        twolame("l2-16k-joint-48", 16000, 2, ["-m", "j", "-b", "48"]),
        twolame("l2-16k-mono-32-crc", 16000, 1, ["-m", "m", "-b", "32", "-p"], expect={"crc": True}),
        ffmpeg_mp2("l2ff-22k-stereo-96", 22050, 2, ["-b:a", "96k"]),
        ffmpeg_mp2("l2ff-16k-mono-40", 16000, 1, ["-b:a", "40k"]),
    ],
    "layer1": [
        layer1("l1-48k-stereo-384", 48000, 2, ["--mode", "stereo", "--bitrate", "384"], stereo="different"),
        layer1("l1-44k-stereo-448-crc", 44100, 2, ["--mode", "stereo", "--bitrate", "448", "--crc"],
               expect={"crc": True}),
        layer1("l1-32k-mono-192", 32000, 1, ["--mode", "mono", "--bitrate", "192"]),
        layer1("l1-44k-mono-128-crc", 44100, 1, ["--mode", "mono", "--bitrate", "128", "--crc"],
               expect={"crc": True}),
        layer1("l1-48k-dual-256", 48000, 2, ["--mode", "dual", "--bitrate", "256"], stereo="different"),
        layer1("l1-44k-joint-cycle-320", 44100, 2, ["--mode", "joint", "--bound", "cycle", "--bitrate", "320"],
               expect={"mode_extensions": {0, 1, 2, 3}}),
        layer1("l1-32k-joint-bound4-crc", 32000, 2, ["--mode", "joint", "--bound", "0", "--bitrate", "256", "--crc"],
               expect={"mode_extensions": {0}, "crc": True}),
        layer1("l1-48k-joint-bound16-160", 48000, 2, ["--mode", "joint", "--bound", "3", "--bitrate", "160"],
               expect={"mode_extensions": {3}}),
        layer1("l1-48k-stereo-64-low", 48000, 2, ["--mode", "stereo", "--bitrate", "64"]),
        layer1("l1-44k-joint-full", 44100, 2, ["--mode", "joint", "--bound", "cycle", "--bitrate", "384"],
               band="full"),
        # The low sampling frequencies (MPEG-2 and MPEG-2.5 Layer I).
        layer1("l1-22k-joint-cycle-128", 22050, 2, ["--mode", "joint", "--bound", "cycle", "--bitrate", "128"],
               expect={"mode_extensions": {0, 1, 2, 3}}),
        layer1("l1-24k-stereo-256-crc", 24000, 2, ["--mode", "stereo", "--bitrate", "256", "--crc"],
               stereo="different", expect={"crc": True}),
        layer1("l1-16k-mono-64", 16000, 1, ["--mode", "mono", "--bitrate", "64"]),
        layer1("l1-11k-dual-96", 11025, 2, ["--mode", "dual", "--bitrate", "96"], stereo="different",
               expect={"version": 3}),
        layer1("l1-12k-mono-32-crc", 12000, 1, ["--mode", "mono", "--bitrate", "32", "--crc"], expect={"crc": True}),
        layer1("l1-8k-joint-bound8-48", 8000, 2, ["--mode", "joint", "--bound", "1", "--bitrate", "48"],
               expect={"mode_extensions": {1}}),
    ],
}
