"""Reads the frame headers (and Layer III block types) of an MPEG audio file.

The reference checks use this to confirm that each test file really holds
what the case asks for (version, layer, rate, modes, mid/side frames, CRC,
short blocks, the VBR tag frame and its padding bit) and to patch the padding
bit of a tag frame. It is independent of the decoder under test.
"""

import collections

BITRATES = {
    (1, 1): [0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448],
    (1, 2): [0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384],
    (1, 3): [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    (2, 1): [0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256],
    (2, 2): [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
    (2, 3): [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
}
RATES = {1: [44100, 48000, 32000], 2: [22050, 24000, 16000], 3: [11025, 12000, 8000]}
MODE_NAMES = ["stereo", "joint", "dual", "mono"]


class Header:
    def __init__(self, b, offset):
        self.offset = offset
        if b[0] != 0xFF or (b[1] >> 4) not in (0xF, 0xE):
            raise ValueError("no sync")
        if (b[1] >> 4) == 0xE:
            self.version = 3
        else:
            self.version = 1 if (b[1] >> 3) & 1 else 2
        layer_code = (b[1] >> 1) & 3
        self.crc = 1 - (b[1] & 1)
        self.bitrate_index = b[2] >> 4
        rate_index = (b[2] >> 2) & 3
        self.padding = (b[2] >> 1) & 1
        self.mode = b[3] >> 6
        self.mode_extension = (b[3] >> 4) & 3
        if layer_code == 0 or rate_index == 3 or self.bitrate_index in (0, 15):
            raise ValueError("bad header")
        self.layer = 4 - layer_code
        self.rate = RATES[self.version][rate_index]
        table = BITRATES[(min(self.version, 2), self.layer)]
        self.bitrate = table[self.bitrate_index] * 1000
        if self.layer == 1:
            self.length = (12 * self.bitrate // self.rate + self.padding) * 4
        elif self.layer == 2 or self.version == 1:
            self.length = 144 * self.bitrate // self.rate + self.padding
        else:
            self.length = 72 * self.bitrate // self.rate + self.padding
        self.channels = 1 if self.mode == 3 else 2

    def side_info_offset(self):
        return 4 + 2 * self.crc

    def side_info_size(self):
        if self.version == 1:
            return 17 if self.channels == 1 else 32
        return 9 if self.channels == 1 else 17


class BitReader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def read(self, n):
        value = 0
        for _ in range(n):
            byte = self.data[self.pos >> 3]
            value = (value << 1) | ((byte >> (7 - (self.pos & 7))) & 1)
            self.pos += 1
        return value


def layer3_block_types(header, frame):
    """Returns a list of (block_type, mixed) for each granule and channel."""
    start = header.side_info_offset()
    r = BitReader(frame[start:start + header.side_info_size()])
    mpeg1 = header.version == 1
    ch = header.channels
    r.read(9 if mpeg1 else 8)
    r.read((5 if ch == 1 else 3) if mpeg1 else (1 if ch == 1 else 2))
    if mpeg1:
        r.read(4 * ch)
    blocks = []
    for _ in range(2 if mpeg1 else 1):
        for _ in range(ch):
            r.read(12 + 9 + 8 + (4 if mpeg1 else 9))
            if r.read(1):
                block_type = r.read(2)
                mixed = r.read(1)
                r.read(10 + 9)
            else:
                block_type, mixed = 0, 0
                r.read(15 + 4 + 3)
            r.read(3 if mpeg1 else 2)
            blocks.append((block_type, mixed))
    return blocks


def layer2_sblimit(header):
    """Subbands of the Layer II allocation table that the frame's rate, mode
    and bit rate select (ISO/IEC 11172-3 Annex B; the MPEG-2 table has 30)."""
    if header.version != 1:
        return 30
    per_channel = header.bitrate // 1000 // header.channels
    fs = header.rate
    if (fs == 48000 and per_channel >= 56) or 56 <= per_channel <= 80:
        return 27
    if fs != 48000 and per_channel >= 96:
        return 30
    if fs != 32000 and per_channel <= 48:
        return 8
    return 12


def skip_id3v2(data):
    if data[:3] == b"ID3" and len(data) >= 10:
        size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
        return 10 + size + (10 if data[5] & 0x10 else 0)
    return 0


def tag_position(header, frame):
    """Offset of a "Xing"/"Info"/"VBRI" tag in the frame, or None.

    The tag follows the header, the CRC and (Layer III) the side information;
    lame writes it 2 bytes earlier in frames with a CRC, as if there were none,
    so both places are looked at.
    """
    side = header.side_info_size() if header.layer == 3 else 0
    for pos in sorted({header.side_info_offset() + side, 4 + side}, reverse=True):
        if bytes(frame[pos:pos + 4]) in (b"Xing", b"Info", b"VBRI"):
            return pos
    return None


def tag_name(header, frame):
    pos = tag_position(header, frame)
    return None if pos is None else bytes(frame[pos:pos + 4]).decode("latin-1")


def scan(data):
    """Walks the frames from the first header; returns a summary dict."""
    pos = skip_id3v2(data)
    frames = []
    while pos + 4 <= len(data):
        try:
            h = Header(data[pos:pos + 4], pos)
        except ValueError:
            break
        if pos + h.length > len(data):
            break
        frames.append(h)
        pos += h.length
    summary = {"frames": len(frames), "trailing_bytes": len(data) - pos}
    if not frames:
        return summary
    first = frames[0]
    summary.update(version=first.version, layer=first.layer, rate=first.rate, channels=first.channels)
    tag = tag_name(first, data[first.offset:first.offset + first.length])
    summary["tag"] = tag
    summary["tag_padding"] = first.padding if tag else None
    tag_pos = tag_position(first, data[first.offset:first.offset + first.length])
    # True when the tag is not where the header, CRC and side information end.
    summary["tag_misplaced"] = bool(tag) and tag_pos != first.side_info_offset() + (
        first.side_info_size() if first.layer == 3 else 0)
    summary["modes"] = collections.Counter(MODE_NAMES[h.mode] for h in frames)
    summary["mode_extensions"] = collections.Counter(h.mode_extension for h in frames if h.mode == 1)
    summary["crc_frames"] = sum(h.crc for h in frames)
    summary["bitrates"] = sorted({h.bitrate // 1000 for h in frames[1 if tag else 0:]})
    summary["first_offset"] = first.offset
    summary["first_length"] = first.length
    if first.layer == 2:
        summary["sblimits"] = sorted({layer2_sblimit(h) for h in frames})
    if first.layer == 3:
        blocks = collections.Counter()
        for h in frames[1 if tag else 0:]:
            for block_type, mixed in layer3_block_types(h, data[h.offset:h.offset + h.length]):
                blocks["mixed" if mixed and block_type == 2 else "type%d" % block_type] += 1
        summary["blocks"] = blocks
        # Joint-stereo frames using mid/side (mode extension bit 1).
        summary["ms_frames"] = sum(1 for h in frames if h.mode == 1 and h.mode_extension & 2)
        # Joint-stereo frames using intensity stereo (mode extension bit 0).
        summary["is_frames"] = sum(1 for h in frames if h.mode == 1 and h.mode_extension & 1)
    return summary


def set_tag_padding(data, padded):
    """Returns a copy whose first (tag) frame has its padding bit set or cleared.

    A padded frame is one byte longer, so a zero byte is inserted at the end of
    the tag frame (or its last byte removed), keeping every later frame where
    its header says.
    """
    pos = skip_id3v2(data)
    h = Header(data[pos:pos + 4], pos)
    if tag_name(h, data[pos:pos + h.length]) is None:
        raise ValueError("first frame carries no VBR tag")
    out = bytearray(data)
    if h.padding == padded:
        return bytes(out)
    end = pos + h.length
    if padded:
        out[pos + 2] |= 0x02
        out[end:end] = b"\x00"
    else:
        out[pos + 2] &= 0xFD
        del out[end - 1]
    return bytes(out)


def layer1_allocations(data):
    """Layer I bit allocations of every frame: the values used, the joint
    bounds, and the number of frames that give subband 31 an allocation."""
    pos = skip_id3v2(data)
    used = set()
    bounds = set()
    top = 0
    while pos + 4 <= len(data):
        try:
            h = Header(data[pos:pos + 4], pos)
        except ValueError:
            break
        if h.layer != 1 or pos + h.length > len(data):
            break
        r = BitReader(data[pos + 4 + 2 * h.crc:pos + h.length])
        bound = 32 if h.mode != 1 else 4 * (h.mode_extension + 1)
        if h.mode == 1:
            bounds.add(bound)
        top_used = False
        for sb in range(32):
            for _ in range(h.channels if sb < bound else 1):
                a = r.read(4)
                used.add(a)
                if sb == 31 and a:
                    top_used = True
        top += top_used
        pos += h.length
    return {"allocations": used, "bounds": bounds, "top_subband_frames": top}


def drop_frames(data, count):
    """The stream from its frame number `count` on (frame 0 is the first after
    any ID3v2 tag), as if a file had been cut there: the first frames left
    may point back into bit reservoir data that is no longer there."""
    pos = skip_id3v2(data)
    for _ in range(count):
        pos += Header(data[pos:pos + 4], pos).length
    return data[pos:]
