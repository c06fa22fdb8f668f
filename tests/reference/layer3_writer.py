"""Writes Layer III streams whose joint-stereo frames use intensity stereo.

No Debian encoder writes intensity stereo, so the reference checks make such
streams themselves: every frame is self-contained (main_data_begin 0), its
spectral values are count1 quadruples of table B (values -1, 0, 1; big_values
0), and its parameters are drawn from a seeded generator. The right channel
holds values only up to a random line, so that the intensity region starts
at different bands (and, in short blocks, at different bands per window);
its scale factors are random intensity positions, legal and illegal ones.
Frames vary the block type (long, start, short, mixed, stop), mid/side on and
off, scalefac_scale and, for the low sampling frequencies, the intensity
scale and the three partition tables of the intensity right channel.

The streams are decoded by the reference decoders and by ours; this writer
only has to produce valid bitstreams. The partition counts below are those
of ISO/IEC 13818-3 (nr_of_sfb_block), copied from the checked table data.
"""

import random

RATES = {1: [44100, 48000, 32000], 2: [22050, 24000, 16000], 3: [11025, 12000, 8000]}
# bitrate_index 14 in kbit/s: MPEG-1 Layer III, and the low sampling frequencies.
TOP_BITRATE = {1: 320, 2: 160, 3: 160}

# MPEG-1 scalefac_compress -> (slen1, slen2).
SLEN = [(0, 0), (0, 1), (0, 2), (0, 3), (3, 0), (1, 1), (1, 2), (1, 3),
        (2, 1), (2, 2), (2, 3), (3, 1), (3, 2), (3, 3), (4, 2), (4, 3)]

# Low sampling frequencies: scale factors per partition, [table][long, short, mixed].
PARTITIONS = [
    [[6, 5, 5, 5], [9, 9, 9, 9], [6, 9, 9, 9]],
    [[6, 5, 7, 3], [9, 9, 12, 6], [6, 9, 12, 6]],
    [[11, 10, 0, 0], [18, 18, 0, 0], [15, 18, 0, 0]],
    [[7, 7, 7, 0], [12, 12, 12, 0], [6, 15, 12, 0]],
    [[6, 6, 6, 3], [12, 9, 9, 6], [6, 12, 9, 6]],
    [[8, 8, 5, 0], [15, 12, 9, 0], [6, 18, 9, 0]],
]


class BitWriter:
    def __init__(self):
        self.bits = []

    def put(self, value, count):
        for i in range(count - 1, -1, -1):
            self.bits.append((value >> i) & 1)

    def __len__(self):
        return len(self.bits)

    def extend(self, other):
        self.bits.extend(other.bits)

    def to_bytes(self, size):
        bits = self.bits + [0] * (8 * size - len(self.bits))
        return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, 8 * size, 8))


def lsf_compression(slen, table, intensity_right, preflag=0):
    """scalefac_compress (9 bits, without the intensity-scale bit for the
    right channel) for slen1..slen4 of a partition table, the inverse of the
    standard's rule."""
    s1, s2, s3, s4 = slen
    if not intensity_right:
        if table == 0:
            return ((s1 * 5 + s2) << 4) + (s3 << 2) + s4
        if table == 1:
            return 400 + ((s1 * 5 + s2) << 2) + s3
        return 500 + s1 * 3 + s2
    if table == 3:
        return s1 * 36 + s2 * 6 + s3
    if table == 4:
        return 180 + (s1 << 4) + (s2 << 2) + s3
    return 244 + s1 * 3 + s2


# The slen ranges each partition table allows (the rule's digit ranges).
SLEN_RANGES = {0: (5, 5, 4, 4), 1: (5, 5, 4, 1), 2: (4, 3, 1, 1), 3: (5, 6, 6, 1), 4: (4, 4, 4, 1),
               5: (4, 3, 1, 1)}


def count1_values(rng, count, density):
    values = []
    for _ in range(count):
        values.append(0 if rng.random() > density else rng.choice((-1, 1)))
    return values


def write_count1(writer, values):
    """count1 table B quadruples for `values` (a multiple of 4 long)."""
    for q in range(0, len(values), 4):
        v, w, x, y = values[q:q + 4]
        code = (8 if v else 0) | (4 if w else 0) | (2 if x else 0) | (1 if y else 0)
        writer.put(15 - code, 4)
        for value in (v, w, x, y):
            if value:
                writer.put(1 if value < 0 else 0, 1)


class GranuleChannel:
    """The side information and main data of one granule of one channel."""

    def __init__(self):
        self.part2_3_length = 0
        self.global_gain = 0
        self.scalefac_compress = 0
        self.block_type = 0
        self.mixed = 0
        self.subblock_gain = (0, 0, 0)
        self.scalefac_scale = 0
        self.preflag = 0
        self.main = BitWriter()

    def side_info(self, writer, lsf):
        writer.put(self.part2_3_length, 12)
        writer.put(0, 9)  # big_values
        writer.put(self.global_gain, 8)
        writer.put(self.scalefac_compress, 9 if lsf else 4)
        if self.block_type != 0:
            writer.put(1, 1)
            writer.put(self.block_type, 2)
            writer.put(self.mixed, 1)
            writer.put(0, 5)
            writer.put(0, 5)
            for gain in self.subblock_gain:
                writer.put(gain, 3)
        else:
            writer.put(0, 1)
            for _ in range(3):
                writer.put(0, 5)
            writer.put(0, 4)
            writer.put(0, 3)
        if not lsf:
            writer.put(self.preflag, 1)
        writer.put(self.scalefac_scale, 1)
        writer.put(1, 1)  # count1table_select: table B


def scale_factor_layout(block_type, mixed):
    """MPEG-1: the (slen index 0/1) of every scale factor, in stream order."""
    if block_type != 2:
        return [0] * 11 + [1] * 10
    if mixed:
        return [0] * 8 + [0] * 9 + [1] * 18
    return [0] * 18 + [1] * 18


def make_granule_channel(rng, version, block_type, mixed, right, intensity, line_budget, features):
    g = GranuleChannel()
    lsf = version != 1
    g.block_type = block_type
    g.mixed = mixed
    g.scalefac_scale = rng.randrange(2)
    g.subblock_gain = tuple(rng.randrange(3) for _ in range(3)) if block_type == 2 else (0, 0, 0)
    g.global_gain = rng.randrange(150, 176)
    intensity_right = right and intensity
    factors = BitWriter()
    if not lsf:
        # The right channel of an intensity frame holds positions 0..7 (7 illegal).
        g.scalefac_compress = rng.choice((13, 15)) if intensity_right else rng.randrange(16)
        g.preflag = 0 if intensity_right else rng.randrange(2)
        slen = SLEN[g.scalefac_compress]
        for which in scale_factor_layout(block_type, mixed):
            bits = slen[which]
            value = rng.randrange(1 << bits) if bits else 0
            if intensity_right and bits >= 3:
                value = rng.randrange(8 if features.get("illegal", True) else 7)
            factors.put(value, bits)
    else:
        kind = 0 if block_type != 2 else (2 if mixed else 1)
        table = rng.choice(features.get("is_tables", (3, 4, 5))) if intensity_right else rng.randrange(3)
        ranges = SLEN_RANGES[table]
        slen = [min(rng.randrange(r), features.get("max_slen", 5)) for r in ranges]
        if intensity_right:
            sfc = lsf_compression(slen, table, True)
            scale = rng.choice(features.get("is_scales", (0, 1)))
            g.scalefac_compress = (sfc << 1) | scale
        else:
            g.scalefac_compress = lsf_compression(slen, table, False)
        if intensity_right and (not features.get("illegal", True) or not features.get("zero_slen", True)):
            slen = [max(1, n) if r > 1 else n for n, r in zip(slen, ranges)]
            sfc = lsf_compression(slen, table, True)
            g.scalefac_compress = (sfc << 1) | scale
        for partition, count in enumerate(PARTITIONS[table][kind]):
            bits = slen[partition]
            top = (1 << bits) - (0 if features.get("illegal", True) or not intensity_right else 1)
            for _ in range(count):
                value = rng.randrange(top) if bits else 0
                if intensity_right and "fixed_position" in features:
                    value = min(features["fixed_position"], (1 << bits) - 1)
                factors.put(value, bits)
    # Spectral values (in the order the Huffman data holds them).
    if right:
        shape = rng.random()
        if shape < 0.15:
            lines = 0 if features.get("empty_right", True) else 4  # an empty right channel
        elif shape < 0.3:
            lines = 4 * rng.randrange(1, 6)  # only the lowest bands
        else:
            lines = 4 * rng.randrange(1, line_budget // 8)
        density = rng.choice((0.1, 0.5, 0.9))
    else:
        lines = 4 * rng.randrange(line_budget // 8, line_budget // 4)
        density = rng.choice((0.3, 0.7))
    values = count1_values(rng, lines, density)
    # Thin out the last values so that windows and bands end at different places.
    for i in range(max(0, lines - 24), lines):
        if rng.random() < 0.5:
            values[i] = 0
    if right and not features.get("empty_right", True):
        # Band 0 holds a value (in short blocks, in every window): the
        # intensity region starts above it.
        if block_type == 2 and not mixed:
            width = features.get("short_band0_width", 4)
            while len(values) < 3 * width:
                values.append(0)
            for window in range(3):
                if not any(values[window * width:(window + 1) * width]):
                    values[window * width] = 1
        elif not any(values):
            values[0] = 1
        values += [0] * (-len(values) % 4)
    huffman = BitWriter()
    write_count1(huffman, values)
    g.main.extend(factors)
    g.main.extend(huffman)
    g.part2_3_length = len(g.main)
    return g


def make_frame(rng, version, rate_index, features):
    lsf = version != 1
    rate = RATES[version][rate_index]
    bitrate = TOP_BITRATE[version] * 1000
    length = (72 if lsf else 144) * bitrate // rate
    side_bytes = 17 if lsf else 32
    granules = 1 if lsf else 2
    intensity = rng.random() < features.get("intensity_share", 0.85)
    mid_side = rng.random() < features.get("mid_side_share", 0.5)
    mode_extension = (2 if mid_side else 0) | (1 if intensity else 0)
    # Lines below which the spectra lie: clear of the top subbands, which
    # our decoder leaves out, and of the last long band at the low rates.
    line_budget = features.get("line_budget", 480 if lsf else 500)

    channels = []
    for _ in range(granules):
        block = rng.choice(features.get("blocks", ((0, 0), (0, 0), (1, 0), (2, 0), (2, 0), (2, 1), (3, 0))))
        pair = []
        for ch in range(2):
            budget = line_budget if block[0] != 2 else min(line_budget, 396)
            pair.append(make_granule_channel(rng, version, block[0], block[1], ch == 1, intensity, budget, features))
        channels.append(pair)

    header = bytearray(4)
    header[0] = 0xFF
    if version == 1:
        header[1] = 0xFB
    elif version == 2:
        header[1] = 0xF3
    else:
        header[1] = 0xE3
    header[2] = (14 << 4) | (rate_index << 2)
    header[3] = (1 << 6) | (mode_extension << 4)

    side = BitWriter()
    if lsf:
        side.put(0, 8)
        side.put(0, 2)
    else:
        side.put(0, 9)
        side.put(0, 3)
        side.put(0, 8)  # scfsi of both channels
    for granule in channels:
        for g in granule:
            g.side_info(side, lsf)
    main = BitWriter()
    for granule in channels:
        for g in granule:
            main.extend(g.main)
    room = length - 4 - side_bytes
    if len(main) > 8 * room:
        raise ValueError("frame too full")
    return bytes(header) + side.to_bytes(side_bytes) + main.to_bytes(room)


def write_stream(path, version, rate_index, frames, seed, features=None):
    """`features` narrows the choices: blocks (list of (block_type, mixed)),
    mid_side_share, intensity_share, illegal (illegal positions allowed),
    empty_right (right channels without values allowed)."""
    rng = random.Random(seed)
    data = bytearray()
    for _ in range(frames):
        data += make_frame(rng, version, rate_index, features or {})
    with open(path, "wb") as f:
        f.write(bytes(data))


if __name__ == "__main__":
    import json
    import sys
    write_stream(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]),
                 json.loads(sys.argv[6]) if len(sys.argv) > 6 else None)
