#!/usr/bin/env bash
# Makes the seed corpus of the decoder fuzzer (fuzz/seeds/decoder/): short
# pieces, cut at frame boundaries, of files that lame, twolame and our Layer I
# test encoder make from tempyra-signalgen signals. Together they cover the
# three layers, MPEG-1, MPEG-2 and MPEG-2.5, the four modes, CRCs, short
# blocks, the Xing/Info tag frame (with and without its padding bit), a VBRI
# tag, streams cut in the middle (main data in frames that are gone), two
# longer streams that fill the bit reservoir past its compaction level, and a
# Layer II stream whose bit rate and mode the standard does not allow.
#
#   tools/fuzz/make_decoder_seeds.sh BUILD_DIR [OUT_DIR]
#
# BUILD_DIR is a normal (not fuzzing) build with tempyra-signalgen and
# tempyra-layer1enc; OUT_DIR defaults to fuzz/seeds/decoder. The pieces are
# the same on every run with the same encoders.
set -euo pipefail

build=${1:?build folder with tools/signalgen and tools/layer1enc}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${2:-$root/fuzz/seeds/decoder}
signalgen=$build/tools/signalgen/tempyra-signalgen
layer1enc=$build/tools/layer1enc/tempyra-layer1enc
for program in "$signalgen" "$layer1enc"; do
  [ -x "$program" ] || { echo "make_decoder_seeds: $program is missing" >&2; exit 1; }
done
for program in lame twolame; do
  command -v "$program" > /dev/null || { echo "make_decoder_seeds: $program is not installed" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
rm -f "$out"/*

# signal NAME RATE CHANNELS KIND
signal() {
  "$signalgen" -o "$work/$1.wav" --rate "$2" --channels "$3" --kind "$4" --seconds 1.5 --stereo correlated
}

# Encoded files: NAME ENCODER RATE CHANNELS KIND ARGS...
encode() {
  local name=$1 encoder=$2 rate=$3 channels=$4 kind=$5
  shift 5
  signal "$name" "$rate" "$channels" "$kind"
  case $encoder in
    lame) lame --quiet "$@" "$work/$name.wav" "$work/$name.mp3" ;;
    twolame) twolame --quiet "$@" "$work/$name.wav" "$work/$name.mp3" ;;
    layer1) "$layer1enc" "$@" "$work/$name.wav" "$work/$name.mp3" > /dev/null ;;
  esac
}

encode l3-44k-joint-128 lame 44100 2 mix -m j -b 128
encode l3-44k-stereo-320-crc lame 44100 2 mix -m s -b 320 -p
encode l3-44k-drums-joint-128 lame 44100 2 drums -m j -b 128
encode l3-44k-ms-nores-160 lame 44100 2 mix -m f -b 160 --nores
encode l3-48k-mono-vbr2 lame 48000 1 mix -m m -V 2
encode l3-32k-dual-64 lame 32000 2 mix -m d -b 64
encode l3-22k-joint-vbr4 lame 22050 2 mix -m j -V 4
encode l3-24k-stereo-160-crc lame 24000 2 mix -m s -b 160 -p
encode l3-16k-mono-32 lame 16000 1 drums -m m -b 32
encode l3-16k-joint-abr48 lame 16000 2 mix -m j --abr 48
encode l3-11k-joint-32-crc lame 11025 2 mix -m j -b 32 -p
encode l3-12k-dual-48 lame 12000 2 mix -m d -b 48
encode l3-8k-mono-8 lame 8000 1 mix -m m -b 8
encode l3-8k-ms-drums-16 lame 8000 2 drums -m f -b 16
encode l2-44k-stereo-192 twolame 44100 2 mix -m s -b 192
encode l2-44k-joint-128-crc twolame 44100 2 mix -m j -b 128 -p
encode l2-32k-stereo-64 twolame 32000 2 mix -m s -b 64
encode l2-48k-mono-48 twolame 48000 1 mix -m m -b 48
encode l2-44k-dual-384 twolame 44100 2 mix -m d -b 384
encode l2-22k-joint-64-crc twolame 22050 2 mix -m j -b 64 -p
encode l2-16k-mono-32 twolame 16000 1 mix -m m -b 32
encode l2-24k-stereo-96 twolame 24000 2 mix -m s -b 96
encode l1-48k-stereo-384 layer1 48000 2 mix --mode stereo --bitrate 384
encode l1-44k-joint-320-crc layer1 44100 2 mix --mode joint --bound cycle --bitrate 320 --crc
encode l1-32k-mono-192 layer1 32000 1 mix --mode mono --bitrate 192
encode l1-48k-dual-128 layer1 48000 2 mix --mode dual --bitrate 128
encode l1-22k-joint-128 layer1 22050 2 mix --mode joint --bound cycle --bitrate 128
encode l1-8k-mono-64-crc layer1 8000 1 mix --mode mono --bitrate 64 --crc

# Pieces: whole frames from a start frame up to about 3 KB.
python3 - "$root/tests/reference" "$work" "$out" <<'EOF'
import os
import sys

sys.path.insert(0, sys.argv[1])
import mpeg_frames  # noqa: E402

work, out = sys.argv[2], sys.argv[3]
LIMIT = 3072


def frames(data):
    pos = mpeg_frames.skip_id3v2(data)
    result = []
    while pos + 4 <= len(data):
        try:
            header = mpeg_frames.Header(data[pos:pos + 4], pos)
        except ValueError:
            break
        if pos + header.length > len(data):
            break
        result.append((pos, header))
        pos += header.length
    return result


def piece(data, start):
    walked = frames(data)
    begin = walked[start][0]
    end = begin
    for pos, header in walked[start:]:
        if end > begin and pos + header.length - begin > LIMIT:
            break
        end = pos + header.length
    return data[begin:end]


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def frames_of(name, start, count):
    with open(os.path.join(work, name + ".mp3"), "rb") as f:
        data = f.read()
    walked = frames(data)
    begin = walked[start][0]
    end = walked[min(start + count, len(walked)) - 1][0] + walked[min(start + count, len(walked)) - 1][1].length
    return data[begin:end]


for file in sorted(os.listdir(work)):
    if not file.endswith(".mp3"):
        continue
    name = file[:-4]
    with open(os.path.join(work, file), "rb") as f:
        data = f.read()
    write(name + "-start", piece(data, 0))       # the tag frame (lame) or the first frames
    write(name + "-middle", piece(data, 12))     # main data reaching into frames that are gone

# Long enough to fill the bit reservoir past its compaction level (6692
# bytes) several times: 320 kbit/s frames, and Layer II frames of 1253 bytes
# between them.
write("l3-44k-stereo-320-crc-long", frames_of("l3-44k-stereo-320-crc", 4, 12))
write("spliced-l3-320-l2-384-long", frames_of("l3-44k-stereo-320-crc", 4, 7) + frames_of("l2-44k-dual-384", 4, 3) +
      frames_of("l3-44k-stereo-320-crc", 20, 4))

# The tag frame with its padding bit set, and one whose tag is a VBRI tag.
with open(os.path.join(work, "l3-44k-joint-128.mp3"), "rb") as f:
    data = bytearray(f.read())
data = bytearray(data[mpeg_frames.skip_id3v2(data):])
write("l3-44k-joint-128-info-padded", bytes(mpeg_frames.set_tag_padding(bytes(data), 1)[:LIMIT]))
first = mpeg_frames.Header(data[:4], 0)
tag = mpeg_frames.tag_position(first, data[:first.length])
vbri = bytearray(data[:LIMIT])
vbri[tag:tag + 18] = b"VBRI" + bytes([0, 1, 0, 0x50, 0, 0]) + bytes([0, 0, 0x40, 0, 0, 0, 0, 0x30])
write("l3-44k-joint-128-vbri", bytes(vbri))

# Streams whose later frames are of other layers, versions and rates (the
# first frame's layer routine decodes them all).
write("spliced-l3-l1-l2", frames_of("l3-44k-joint-128", 10, 3) + frames_of("l1-48k-stereo-384", 5, 2) +
      frames_of("l2-44k-stereo-192", 5, 2) + frames_of("l3-22k-joint-vbr4", 5, 2))
write("spliced-l3lsf-l3", frames_of("l3-8k-ms-drums-16", 10, 4) + frames_of("l3-44k-stereo-320-crc", 5, 2) +
      frames_of("l3-12k-dual-48", 5, 3))
write("spliced-l1-l3", frames_of("l1-8k-mono-64-crc", 5, 3) + frames_of("l3-32k-dual-64", 5, 3) +
      frames_of("l2-16k-mono-32", 5, 2))
write("spliced-l2-l3-l1", frames_of("l2-48k-mono-48", 5, 3) + frames_of("l3-44k-ms-nores-160", 5, 3) +
      frames_of("l1-22k-joint-128", 5, 3))

# A Layer II stream at 32 kbit/s stereo, which the standard does not allow
# (the frames carry a 192 kbit/s stereo stream's data).
with open(os.path.join(work, "l2-44k-stereo-192.mp3"), "rb") as f:
    data = bytearray(f.read())
data = bytearray(piece(bytes(data), 3))
data[2] = (data[2] & 0x0F) | 0x10
write("l2-44k-stereo-32-refused", bytes(data))
EOF
echo "make_decoder_seeds: $(ls "$out" | wc -l) seeds in $out ($(du -sk "$out" | cut -f1) KB)"
